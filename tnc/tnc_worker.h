#pragma once
// The thread that owns the TNC's serial port from TNC > Open to TNC > Close.
// Each pass of its loop sends the PC beacon when due, applies the requests
// the user interface raised, writes pending transmissions, keeps the UTC
// clock field current, reads up to 16 bytes, cuts them into lines, decodes
// each line for the station lists and shows it in the console, time-tagged,
// highlighted or filtered as asked, and captured when a capture runs.

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/coordination.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "tnc/monitor_text.h"

namespace tervane {

struct StationEntry;

struct TncWorkerParams {
  int comNumber = 1;      // 1..4
  int baudIndex = 9600;   // the stored baudRate
  bool mobile = false;    // chooses the PC beacon's symbol
  DisplayMode displayMode = DisplayMode::FullText;  // the mode whose menu item carries the check mark
};

// What the worker shows and asks. Called on the worker's thread; the
// implementation hands everything to the user-interface thread. Only the two
// questions wait for the answer.
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
  // One line for the operator in the console (a port that could not be set up).
  virtual void notice(std::string_view text) = 0;
  // "Device Open Error": true for Continue.
  virtual bool askDeviceOpenError() = 0;
  // The capture file's name, offered with a default; nothing when cancelled.
  virtual std::optional<std::string> askCaptureFileName(const std::string& defaultName) = 0;
};

// Where heard callsigns and decoded positions go.
class StationSink {
 public:
  virtual ~StationSink() = default;
  virtual void addCallsign(std::string_view call) = 0;
  virtual void addOrUpdate(const StationEntry& entry) = 0;
};

// The TNC port as the whole program sees it: the worker puts the port it
// opened here, TNC > Close closes it from the user-interface thread.
class TncPortSlot {
 public:
  void set(std::shared_ptr<SerialPort> port);
  // Closes the port (if any) and forgets it. Safe while the worker uses it.
  void closeAndClear();
  bool isOpen() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<SerialPort> port_;
};

// The capture file and its state. It outlives a worker run, as the Capture
// Text menu does: a link closed and opened again goes on capturing into the
// same file. Every line is flushed as it is written.
class CaptureSession {
 public:
  ~CaptureSession();
  void start(std::FILE* file);  // nullptr: capturing with no file (cancelled choice)
  void stop();
  void setPaused(bool paused);
  bool isCapturing() const;
  bool isPaused() const;
  bool hasFile() const;
  void write(std::string_view line);

 private:
  mutable std::mutex mutex_;
  bool capturing_ = false;
  bool paused_ = false;
  std::FILE* file_ = nullptr;
};

struct TncWorkerContext {
  Coordination& shared;
  const Clock& clock;
  TncUi& ui;
  StationSink* stations;  // nullptr: lines are shown but not decoded
  TncPortSlot& portSlot;
  CaptureSession& capture;
  PortOpener openPort;
  // Set by TNC > Close for this run alone, so a run that is still finishing
  // never takes requests meant for the next one.
  const std::atomic<bool>* stopRequested = nullptr;
};

// The worker's entry function: 0 when it ends on TncStop or on Cancel at the
// "Device Open Error" question, -1 when the port cannot be set up.
int runTncWorker(const TncWorkerParams& params, TncWorkerContext& context);

}  // namespace tervane
