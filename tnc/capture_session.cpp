#include "tnc/capture_session.h"

namespace tervane {

void CaptureSession::start(std::unique_ptr<LineFile> file) {
  std::lock_guard<std::mutex> lock(mutex_);
  file_ = std::move(file);
  capturing_ = file_ != nullptr;
  paused_ = false;
}

void CaptureSession::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  capturing_ = false;
  paused_ = false;
  file_.reset();
}

void CaptureSession::setPaused(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = paused;
}

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

std::optional<std::string> CaptureSession::write(std::string_view line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!capturing_ || paused_ || !file_) return std::nullopt;
  std::string reason;
  if (file_->append(line, &reason)) return std::nullopt;
  std::string notice = "Capture stopped: " + file_->path() + " could not be written (" + reason + ").";
  file_.reset();
  capturing_ = false;
  paused_ = false;
  return notice;
}

}  // namespace tervane
