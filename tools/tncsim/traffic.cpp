#include "tools/tncsim/traffic.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <utility>

namespace tervane::tncsim {

std::optional<std::string> lineEndBytes(std::string_view name) {
  if (name == "crlf") return std::string("\r\n");
  if (name == "cr") return std::string("\r");
  if (name == "lf") return std::string("\n");
  if (name == "lfcr") return std::string("\n\r");
  if (name == "crcr") return std::string("\r\r");
  return std::nullopt;
}

bool loadTrafficLines(const std::string& path, std::vector<std::string>* lines,
                      std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = std::strerror(errno);
    return false;
  }
  const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  lines->clear();
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (!line.empty()) lines->push_back(std::move(line));
    start = end + 1;
  }
  return true;
}

std::string sampleTrafficPath() {
  char executable[4096] = {};
  const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
  if (length > 0) {
    std::string directory(executable, static_cast<std::size_t>(length));
    directory.erase(directory.find_last_of('/') + 1);
    const std::string installed = directory + "../share/tervaneaprs/tncsim-traffic.txt";
    if (::access(installed.c_str(), R_OK) == 0) return installed;
  }
  return TERVANE_TNCSIM_SOURCE_TRAFFIC;
}

TrafficFeed::TrafficFeed(std::vector<std::string> lines, TrafficOptions options)
    : lines_(std::move(lines)), options_(std::move(options)) {
  if (options_.linesPerSecond > 0) {
    period_ = std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(1.0 / options_.linesPerSecond));
  }
}

void TrafficFeed::restart(SteadyClock::time_point now) { next_ = now; }

bool TrafficFeed::finished() const {
  if (lines_.empty()) return true;
  if (options_.lineLimit >= 0 && sent_ >= options_.lineLimit) return true;
  return !options_.loop && index_ >= lines_.size();
}

bool TrafficFeed::due(SteadyClock::time_point now) const { return !finished() && now >= next_; }

int TrafficFeed::waitMs(SteadyClock::time_point now) const {
  if (finished()) return -1;
  if (now >= next_) return 0;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_ - now).count();
  return static_cast<int>(std::min<long long>(left, 60'000));
}

std::string TrafficFeed::take(SteadyClock::time_point now) {
  std::string line = lines_[index_] + options_.lineEnd;
  ++index_;
  if (options_.loop && index_ >= lines_.size()) index_ = 0;
  ++sent_;
  // Keep the rate steady, but do not burst to catch up after a stall.
  next_ += period_;
  if (next_ <= now) next_ = now + period_;
  return line;
}

}  // namespace tervane::tncsim
