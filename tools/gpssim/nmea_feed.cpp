#include "tools/gpssim/nmea_feed.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tervane::gpssim {
namespace {

std::string_view field(std::string_view sentence, std::size_t index) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < index; ++i) {
    const std::size_t comma = sentence.find(',', start);
    if (comma == std::string_view::npos) return {};
    start = comma + 1;
  }
  const std::size_t end = sentence.find_first_of(",*", start);
  return sentence.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace

std::string_view sentenceTime(std::string_view sentence) {
  const std::string_view address = field(sentence, 0);
  if (address.size() < 4 || address[0] != '$') return {};
  const std::string_view kind = address.substr(address.size() - 3);
  if (kind == "GGA" || kind == "RMC" || kind == "ZDA") return field(sentence, 1);
  if (kind == "GLL") return field(sentence, 5);
  return {};
}

std::vector<std::string> groupNmeaSentences(std::string_view text) {
  std::vector<std::string> groups;
  std::string current;
  std::string currentTime;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    const std::string_view time = sentenceTime(line);
    if (!time.empty() && time != currentTime) {
      if (!current.empty()) groups.push_back(std::move(current));
      current.clear();
      currentTime = time;
    }
    current.append(line);
    current += "\r\n";
  }
  if (!current.empty()) groups.push_back(std::move(current));
  return groups;
}

bool loadNmeaLog(const std::string& path, std::vector<std::string>* groups, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = std::strerror(errno);
    return false;
  }
  std::stringstream content;
  content << file.rdbuf();
  *groups = groupNmeaSentences(content.str());
  return true;
}

std::string sampleNmeaPath() {
  char executable[4096] = {};
  const ssize_t length = ::readlink("/proc/self/exe", executable, sizeof executable - 1);
  if (length > 0) {
    std::string directory(executable, static_cast<std::size_t>(length));
    directory.erase(directory.find_last_of('/') + 1);
    const std::string installed = directory + "../share/tervaneaprs/gpssim-sample.nmea";
    if (::access(installed.c_str(), R_OK) == 0) return installed;
  }
  return TERVANE_GPSSIM_SOURCE_SAMPLE;
}

NmeaFeed::NmeaFeed(std::vector<std::string> groups, double groupsPerSecond, bool loop)
    : groups_(std::move(groups)), loop_(loop) {
  if (groupsPerSecond > 0) {
    period_ = std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(1.0 / groupsPerSecond));
  }
}

void NmeaFeed::restart(SteadyClock::time_point now) { next_ = now; }

bool NmeaFeed::finished() const { return groups_.empty() || (!loop_ && index_ >= groups_.size()); }

bool NmeaFeed::due(SteadyClock::time_point now) const { return !finished() && now >= next_; }

int NmeaFeed::waitMs(SteadyClock::time_point now) const {
  if (finished()) return -1;
  if (now >= next_) return 0;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_ - now).count();
  return static_cast<int>(std::min<long long>(left, 60'000));
}

std::string NmeaFeed::take(SteadyClock::time_point now) {
  std::string group = groups_[index_];
  ++index_;
  if (loop_ && index_ >= groups_.size()) index_ = 0;
  next_ += period_;
  if (next_ <= now) next_ = now + period_;
  return group;
}

}  // namespace tervane::gpssim
