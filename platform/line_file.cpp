#include "platform/line_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tervane {

std::unique_ptr<LineFile> LineFile::create(const std::string& path, std::string* reason) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  return std::unique_ptr<LineFile>(new LineFile(fd, path));
}

LineFile::~LineFile() { ::close(fd_); }

bool LineFile::append(std::string_view line, std::string* reason) {
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    *reason = n < 0 ? std::strerror(errno) : "nothing could be written";
    // Take back the part of the line that got in, so that a later line never
    // follows half of this one.
    if (done > 0 && ::ftruncate(fd_, size_) == 0) ::lseek(fd_, size_, SEEK_SET);
    return false;
  }
  size_ += static_cast<long long>(done);
  struct stat status {};
  if (::fstat(fd_, &status) == 0 && status.st_nlink == 0) {
    *reason = "the file was deleted";
    return false;
  }
  return true;
}

}  // namespace tervane
