#pragma once
// The capture file and its state. It outlives a worker run, as the Capture
// Text menu does: a link closed and opened again goes on capturing into the
// same file. The user-interface thread starts, pauses, resumes and stops it;
// the TNC worker writes the lines it shows. Each line reaches the file whole
// at once; a write that fails ends the capture and says why.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/line_file.h"

namespace tervane {

class CaptureSession {
 public:
  // Capturing into the file; without a file there is no capture.
  void start(std::unique_ptr<LineFile> file);
  void stop();
  void setPaused(bool paused);
  bool isCapturing() const;
  bool isPaused() const;
  bool hasFile() const;
  // Writes the line when capturing, not paused and a file is open. When the
  // write fails, the capture ends and the operator's notice comes back.
  std::optional<std::string> write(std::string_view line);

 private:
  mutable std::mutex mutex_;
  bool capturing_ = false;
  bool paused_ = false;
  std::unique_ptr<LineFile> file_;
};

}  // namespace tervane
