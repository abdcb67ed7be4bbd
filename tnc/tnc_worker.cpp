#include "tnc/tnc_worker.h"

#include <chrono>
#include <thread>

#include "aprs/packet_decoder.h"
#include "base/station_settings.h"
#include "base/text_format.h"
#include "tnc/line_cutter.h"
#include "tnc/position_report.h"
#include "tnc/tnc_setup.h"

namespace tervane {

void TncPortSlot::set(std::shared_ptr<SerialPort> port) {
  std::lock_guard<std::mutex> lock(mutex_);
  port_ = std::move(port);
}

void TncPortSlot::closeAndClear() {
  std::shared_ptr<SerialPort> port;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    port.swap(port_);
  }
  if (port) port->close();
}

bool TncPortSlot::isOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return port_ && port_->isOpen();
}

CaptureSession::~CaptureSession() { stop(); }

bool CaptureSession::isCapturing() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return capturing_;
}

bool CaptureSession::isPaused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paused_;
}

bool CaptureSession::hasFile() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr;
}

void CaptureSession::start(std::FILE* file) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (file_ != nullptr) std::fclose(file_);
  file_ = file;
  capturing_ = true;
  paused_ = false;
}

void CaptureSession::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  capturing_ = false;
  paused_ = false;
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void CaptureSession::setPaused(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = paused;
}

void CaptureSession::write(std::string_view line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!capturing_ || paused_ || file_ == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

namespace {

class TncWorker {
 public:
  TncWorker(const TncWorkerParams& params, TncWorkerContext& context)
      : params_(params), ctx_(context), events_(context.shared.events), values_(context.shared.values),
        decoder_(context.clock), mode_(params.displayMode) {}

  int run() {
    const std::string portName = textf("COM%1d", params_.comNumber);
    SerialOpenResult opened = ctx_.openPort(params_.comNumber, tncBaudFromIndex(params_.baudIndex));
    if (!opened.port) {
      ctx_.ui.notice(textf("TNC port %s (%s) could not be opened: %s", portName.c_str(), opened.devicePath.c_str(),
                           opened.error.c_str()));
      ctx_.ui.linkEnded();
      return -1;
    }
    port_ = opened.port;
    ctx_.portSlot.set(port_);
    if (stopRequested()) return finish();

    events_.transmitReady.raise();
    events_.clearReady.raise();

    port_->write(std::string("\x03\r\r"));
    std::uint8_t probe[LineCutter::kReadSize];
    const std::size_t answered = port_->read(probe, sizeof probe);
    if (answered == 0 && !stopRequested() && !ctx_.ui.askDeviceOpenError()) {
      ctx_.ui.linkEnded();
      return finish();
    }
    finishCutPrompt(std::string_view(reinterpret_cast<const char*>(probe), answered));

    while (pass()) {
    }
    return finish();
  }

 private:
  // One pass of the loop; false when the worker is to end.
  // The port is released when the worker ends, however it ends.
  int finish() {
    ctx_.portSlot.closeAndClear();
    port_->close();
    return 0;
  }

  // The probe's answer is discarded, but a TNC answers each of its three
  // bytes with a new line and the "cmd:" prompt, more than one read holds:
  // the read may end inside a prompt ("...cm"). The prompt's rest ("d:")
  // would then stand in front of the first monitored line, where it spoils
  // the line's decoding. Read just that rest and discard it when it is the
  // prompt's; anything else is monitored text and goes to the cutter.
  void finishCutPrompt(std::string_view answer) {
    constexpr std::string_view kPrompt = "cmd:";
    for (std::size_t k = kPrompt.size() - 1; k > 0; --k) {
      if (!answer.ends_with(kPrompt.substr(0, k))) continue;
      std::uint8_t* at = cutter_.prepareRead();
      const std::size_t n = port_->read(at, kPrompt.size() - k);
      if (!kPrompt.substr(k).starts_with(std::string_view(reinterpret_cast<const char*>(at), n))) commitRead(n);
      return;
    }
  }

  // The user interface's requests are taken without waiting: the loop is
  // paced by the port's read time-out when the TNC is silent, and keeps up
  // with the TNC when it is not.
  bool stopRequested() const { return ctx_.stopRequested != nullptr && ctx_.stopRequested->load(); }

  bool pass() {
    if (stopRequested()) return false;
    pcBeacon();
    if (events_.timeTagToggle.wait(0)) timeTag_ = !timeTag_;
    if (events_.showFullText.wait(0)) mode_ = DisplayMode::FullText;
    if (events_.showHighlight.wait(0)) mode_ = DisplayMode::Highlight;
    if (events_.showFiltered.wait(0)) mode_ = DisplayMode::Filter;
    if (events_.capturePause.wait(0)) ctx_.capture.setPaused(true);
    if (events_.captureResume.wait(0)) ctx_.capture.setPaused(false);
    if (events_.captureStop.wait(0)) ctx_.capture.stop();
    if (events_.tncStop.wait(0) || stopRequested()) return false;
    if (events_.captureStart.wait(0)) startCapture();
    if (events_.emailPrompt.wait(0)) emailPrompt();
    while (events_.transmitRequest.wait(0)) {
      port_->write(ctx_.shared.transmitBuffer.str());
      events_.transmitReady.raise();
    }
    updateClock();

    std::uint8_t* at = cutter_.prepareRead();
    const std::size_t n = port_->read(at, LineCutter::kReadSize);
    if (n == 0) {
      while (events_.clearRequest.wait(0)) events_.clearReady.raise();
      return true;
    }
    commitRead(n);
    return true;
  }

  // Hands the n bytes just read into the cutter's buffer on, line by line.
  void commitRead(std::size_t n) {
    cutter_.commit(n, [this](std::string_view line) { processLine(line); });
  }

  void pcBeacon() {
    const StationPosition p = values_.position();
    const CalendarTime utc = ctx_.clock.utcNow();
    const BeaconDecision d = checkPcBeacon(utc, values_.lastBeaconHours, values_.beaconMinutes,
                                           values_.tncBeaconFlag, p.latitudeDeg, p.longitudeDeg);
    if (!d.send) return;
    port_->write(kConverseEscape);
    port_->write(buildPositionReport(utc, p.latitudeDeg, p.latHemisphere, p.longitudeDeg, p.lonHemisphere,
                                     params_.mobile, values_.phgText(), values_.beaconComment()));
    values_.lastBeaconHours = nextLastBeaconHours(d.nowHours);
  }

  void startCapture() {
    const std::string name = defaultCaptureName(values_.captureDirectory(), ctx_.clock.localNow());
    const std::optional<std::string> chosen = ctx_.ui.askCaptureFileName(name);
    if (!chosen) {
      ctx_.capture.start(nullptr);
      return;
    }
    values_.setCaptureDirectory(captureDirectoryOf(*chosen));
    std::FILE* file = std::fopen(chosen->c_str(), "w");
    if (file == nullptr) ctx_.ui.notice(textf("Capture file %s could not be opened.", chosen->c_str()));
    ctx_.capture.start(file);
  }

  void emailPrompt() {
    port_->write(kConverseEscape);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ctx_.ui.prefillInputLine(buildEmailLine(values_.emailAddress()));
  }

  void updateClock() {
    const CalendarTime utc = ctx_.clock.utcNow();
    const std::string text = textf("%02d:%02d:%02d", utc.hour, utc.minute, utc.second);
    if (text != clockText_) {
      clockText_ = text;
      ctx_.ui.setUtcClock(text);
    }
  }

  void processLine(std::string_view line) {
    if (ctx_.stations != nullptr) {
      decoder_.beginLine(line);
      decoder_.decode();
      const StationEntry& entry = decoder_.entry();
      if (entry.callsignFound) {
        ctx_.stations->addCallsign(entry.sourceCall.view());
        if (entry.positionValid) ctx_.stations->addOrUpdate(entry);
      }
    }
    std::string shown = timeTag_ ? timeTagged(ctx_.clock.localNow(), line) : std::string(line);
    const std::optional<std::string> out =
        mode_ == DisplayMode::FullText ? std::optional<std::string>(std::move(shown))
                                       : applyDisplayMode(mode_, values_.filterStrings(), shown);
    if (!out) return;
    ctx_.capture.write(*out);
    ctx_.ui.showLine(*out);
  }

  const TncWorkerParams params_;
  TncWorkerContext& ctx_;
  Events& events_;
  WorkingValues& values_;
  std::shared_ptr<SerialPort> port_;
  LineCutter cutter_;
  PacketDecoder decoder_;
  DisplayMode mode_;
  bool timeTag_ = false;
  std::string clockText_;
};

}  // namespace

int runTncWorker(const TncWorkerParams& params, TncWorkerContext& context) {
  TncWorker worker(params, context);
  return worker.run();
}

}  // namespace tervane
