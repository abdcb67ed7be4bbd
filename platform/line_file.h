#pragma once
// A text file written line by line, for capture files: every line reaches
// the file whole and at once, or the write fails with the system's reason
// (a full disk, a file-size limit, a file deleted or a folder removed under
// the program) and the file is left as it was before that line, never with a
// part of it.

#include <memory>
#include <string>
#include <string_view>

namespace tervane {

class LineFile {
 public:
  // Creates the file, or empties an existing one; nothing, with the reason,
  // when it cannot be opened for writing.
  static std::unique_ptr<LineFile> create(const std::string& path, std::string* reason);
  ~LineFile();
  LineFile(const LineFile&) = delete;
  LineFile& operator=(const LineFile&) = delete;

  // False, with the reason, when the line could not be written whole.
  bool append(std::string_view line, std::string* reason);
  const std::string& path() const { return path_; }

 private:
  LineFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  int fd_;
  std::string path_;
  long long size_ = 0;
};

}  // namespace tervane
