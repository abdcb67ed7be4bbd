#pragma once
// The seam between the TNC worker and the kind of link it runs: a text-mode
// TNC on a serial port, a KISS TNC on a serial port or over TCP, APRS-IS. A
// link kind supplies monitored lines and takes the texts and reports the
// program sends; everything the kinds share (line handling, decoding,
// display modes, time tags, capture, PC beacons, the e-mail prompt, the UTC
// clock) is the worker's.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/byte_stream.h"
#include "base/outbound.h"

namespace tervane {


// Where a link stands, for the status bar.
enum class LinkCondition {
  Up,        // detail: where it is connected
  Retrying,  // detail: why; retrySeconds: when it tries again
  Failed,    // detail: why (empty: the last console line says it)
  Closed,
};

// What the worker shows and asks. Called on the worker's thread; the
// implementation hands everything to the user-interface thread. Only the
// question waits for the answer.
class TncUi {
 public:
  virtual ~TncUi() = default;
  // One monitor line as shown, with its own line-end bytes.
  virtual void showLine(std::string_view line) = 0;
  virtual void setUtcClock(std::string_view text) = 0;
  // Puts the text into the input line, focused, caret at its end.
  virtual void prefillInputLine(std::string_view text) = 0;
  // The link ended by itself: the TNC menu returns to its closed state.
  virtual void linkEnded() = 0;
  // The capture ended by itself (a write failed): the Capture Text menu
  // returns to its not-capturing state.
  virtual void captureEnded() = 0;
  // One line for the operator in the console; not decoded, not captured.
  virtual void notice(std::string_view text) = 0;
  // "Device Open Error" about what gave no answer ("TNC port COM1
  // (/dev/ttyS0): no answer to Ctrl-C and two Returns"): true for Continue.
  virtual bool askDeviceOpenError(std::string_view what) = 0;
  // An APRS-IS link: whether the server has verified the login, which the
  // IGate needs before it sends anything up.
  virtual void loginVerified(bool verified) { (void)verified; }
  // Where the link stands now, for the status bar.
  virtual void linkCondition(LinkCondition condition, std::string_view detail, int retrySeconds = 0) {
    (void)condition;
    (void)detail;
    (void)retrySeconds;
  }
};

// What a link kind may use while the worker runs it.
struct LinkServices {
  TncUi& ui;
  // Every stream the kind opens goes here, so TNC > Close can end a wait.
  StreamSlot& streams;
  // Set by TNC > Close for this run.
  const std::atomic<bool>* stopRequested = nullptr;
  bool stopping() const { return (stopRequested != nullptr && stopRequested->load()) || streams.isClosed(); }
};

enum class LinkStart {
  Running,    // the link works (or, for a network link, keeps trying)
  Cancelled,  // the operator gave up at the "Device Open Error" question
  Failed,     // the link cannot be set up; the kind has said why
};

using LineHandler = std::function<void(std::string_view line)>;

class LinkKind {
 public:
  virtual ~LinkKind() = default;
  virtual LinkStart start(LinkServices& services) = 0;
  // Waits at most a fraction of a second for traffic and hands every
  // complete monitored line, with two line-end bytes, to onLine. False when
  // the link is lost for good; the kind has said why.
  virtual bool receive(const LineHandler& onLine) = 0;
  // One item the station sends, in the kind's own form.
  virtual void send(const Outbound& item) = 0;
  // The PC beacon's position report, ending in a carriage return. False
  // when the link cannot take it now (a network link that is down): the
  // beacon stays due and goes out once the link is back.
  virtual bool sendReport(std::string_view report) = 0;
  // Before the e-mail line is offered in the input line.
  virtual void prepareEmail() {}
  // True when the TNC sends the station's beacon by itself when told to
  // (tncBeaconOn); every other link leaves the beacon to the PC.
  virtual bool beaconsByItself() const { return false; }
  // Releases what the link holds; called once when the worker ends.
  virtual void finish() = 0;
};

}  // namespace tervane
