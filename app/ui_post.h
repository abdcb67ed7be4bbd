#pragma once
// The one path from a worker thread to the user-interface thread. A worker
// posts a function; it runs later on the user-interface thread, and only
// while the window it was posted for still exists and the run that posted it
// has not been retired (GPS > Off, Tracker > Off), so nothing a finishing
// run sends overwrites what the operator has set since. Workers never touch
// widgets themselves and never wait, except for a question the operator must
// answer.

#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <memory>
#include <utility>

namespace tervane {

class UiPost {
 public:
  // window: what the posted functions belong to; they are dropped once it
  // has gone. Made on the user-interface thread.
  explicit UiPost(QWidget* window) : window_(window) {}

  // Runs fn on the user-interface thread, unless the window has gone or
  // this path has been retired (and evenRetired is false).
  template <typename F>
  void operator()(F&& fn, bool evenRetired = false) const {
    QPointer<QWidget> window = window_;
    std::shared_ptr<std::atomic<bool>> live = live_;
    // Posted to the application object, which outlives every window, and
    // checked there: a window may go between the post and the call.
    QMetaObject::invokeMethod(
        qApp,
        [window, live, evenRetired, fn = std::forward<F>(fn)]() mutable {
          if (window && (evenRetired || *live)) fn();
        },
        Qt::QueuedConnection);
  }

  // Runs fn on the user-interface thread and waits for its answer: only for
  // a question the operator answers in a dialog. False when the window has
  // gone.
  template <typename F>
  bool ask(F&& fn) const {
    bool answer = false;
    QPointer<QWidget> window = window_;
    QMetaObject::invokeMethod(
        qApp,
        [window, &answer, &fn] {
          if (window) answer = fn();
        },
        Qt::BlockingQueuedConnection);
    return answer;
  }

  // What the run posts from now on is dropped (but evenRetired calls).
  void retire() { *live_ = false; }

 private:
  QPointer<QWidget> window_;
  std::shared_ptr<std::atomic<bool>> live_ = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace tervane
