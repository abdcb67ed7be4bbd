// tervane-decode: runs the station's APRS packet decoder over TNC monitor
// lines read from standard input and prints one tab-separated result line per
// input line.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "aprs/packet_decoder.h"
#include "platform/clock.h"

namespace {

using tervane::PacketDecoder;
using tervane::StationEntry;

constexpr std::string_view kUsage =
    "Usage: tervane-decode [--now YYYY-MM-DDTHH:MM:SSZ] [--help]\n"
    "\n"
    "Reads TNC monitor lines (for example N0CALL>APRS,WIDE2-1:!4237.14N/07120.83W>)\n"
    "from standard input, one per line, any bytes. A line ends at LF; the LF and\n"
    "any CRs before it are removed and CR LF is put back, as the TNC delivers a\n"
    "line. Each line goes through the APRS packet decoder and gives one output\n"
    "line of seventeen tab-separated columns:\n"
    "\n"
    "   1 callsignFound   1 when a valid source callsign was found, else 0\n"
    "   2 positionValid   1 when a position was decoded, else 0\n"
    "   3 sourceCall      source callsign (the originator of a '}' third-party header)\n"
    "   4 latitudeText    decimal degrees and letter (\"%9.6f %c\") when valid,\n"
    "                     otherwise the raw text found, if any\n"
    "   5 longitudeText   likewise (\"%10.6f %c\")\n"
    "   6 latitudeDeg     signed decimal degrees, north positive (\"%.6f\")\n"
    "   7 longitudeDeg    signed decimal degrees, east positive (\"%.6f\")\n"
    "   8 sentTime        time of the report, M/D/YYYY HH:MM[:SS] (empty if none)\n"
    "   9 phgDigits       up to 4 characters after the first \"PHG\"\n"
    "  10 receivedTime    reception time, M/D/YYYY HH:MM:SS UTC (empty when no\n"
    "                     position was decoded)\n"
    "  11 reportKind      the form the position came in: plain, nmea, mic-e,\n"
    "                     compressed, object or item (empty when none)\n"
    "  12 objectName      name of the object or item (column 3 stays the station\n"
    "                     that sent it); empty for other reports\n"
    "  13 symbol          symbol table and symbol code, two characters\n"
    "  14 courseDeg       course in degrees (\"%.1f\")\n"
    "  15 speedKnots      speed in knots (\"%.1f\")\n"
    "  16 altitudeFeet    altitude in feet (\"%.1f\")\n"
    "  17 ambiguity       position digits the sender left blank, 0-4\n"
    "Columns 13 to 16 are empty when the report does not give them.\n"
    "\n"
    "Control characters (bytes 0x00-0x1F and 0x7F) inside printed texts are\n"
    "shown as '?', so every input line gives exactly one output line.\n"
    "\n"
    "Options:\n"
    "  --now YYYY-MM-DDTHH:MM:SSZ  use this fixed UTC time as the reception clock\n"
    "                              (default: the system clock)\n"
    "  --help                      show this text\n";

// The decoder keeps at most this many characters of a line.
constexpr std::size_t kKeptLineLength = 1029;
constexpr std::size_t kReadBlockBytes = 1 << 20;
constexpr std::size_t kWriteBufferBytes = 1 << 20;

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

class Output {
 public:
  Output() : buffer_(new char[kWriteBufferBytes]) {}
  ~Output() { flush(); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Every piece written is far shorter than the buffer (at most a field of
  // the station record or a formatted number).
  void raw(std::string_view text) {
    if (size_ + text.size() > kWriteBufferBytes) flush();
    std::memcpy(buffer_.get() + size_, text.data(), text.size());
    size_ += text.size();
  }
  void raw(char c) { raw(std::string_view(&c, 1)); }

  // Received text: control bytes would break the one-line-per-input layout.
  void text(std::string_view text) {
    if (size_ + text.size() > kWriteBufferBytes) flush();
    char* out = buffer_.get() + size_;
    for (char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      *out++ = (byte < 0x20 || byte == 0x7f) ? '?' : c;
    }
    size_ += text.size();
  }

  void degrees(double value) { fixed(value, 6); }

  // Empty for an absent (NaN) value.
  void optional(double value) {
    if (!std::isnan(value)) fixed(value, 1);
  }

  void fixed(double value, int decimals) {
    char digits[400];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals);
    if (ec == std::errc()) raw(std::string_view(digits, static_cast<std::size_t>(end - digits)));
  }

  void flush() {
    if (size_ > 0) writeAll(STDOUT_FILENO, buffer_.get(), size_);
    size_ = 0;
  }

 private:
  std::unique_ptr<char[]> buffer_;
  std::size_t size_ = 0;
};

std::string_view reportKindName(tervane::ReportKind kind) {
  switch (kind) {
    case tervane::ReportKind::Plain: return "plain";
    case tervane::ReportKind::Nmea: return "nmea";
    case tervane::ReportKind::MicE: return "mic-e";
    case tervane::ReportKind::Compressed: return "compressed";
    case tervane::ReportKind::Object: return "object";
    case tervane::ReportKind::Item: return "item";
    case tervane::ReportKind::None: break;
  }
  return "";
}

void printEntry(Output& out, const StationEntry& e) {
  out.raw(e.callsignFound ? '1' : '0');
  out.raw('\t');
  out.raw(e.positionValid ? '1' : '0');
  out.raw('\t');
  out.text(e.sourceCall.view());
  out.raw('\t');
  out.text(e.latitudeText.view());
  out.raw('\t');
  out.text(e.longitudeText.view());
  out.raw('\t');
  out.degrees(e.latitudeDeg);
  out.raw('\t');
  out.degrees(e.longitudeDeg);
  out.raw('\t');
  out.text(e.sentTime.view());
  out.raw('\t');
  out.text(e.phgDigits.view());
  out.raw('\t');
  out.text(e.receivedTime.view());
  out.raw('\t');
  out.raw(reportKindName(e.reportKind));
  out.raw('\t');
  out.text(e.objectName.view());
  out.raw('\t');
  if (e.symbolTable != '\0' && e.symbolCode != '\0') {
    out.text(std::string_view(&e.symbolTable, 1));
    out.text(std::string_view(&e.symbolCode, 1));
  }
  out.raw('\t');
  out.optional(e.courseDeg);
  out.raw('\t');
  out.optional(e.speedKnots);
  out.raw('\t');
  out.optional(e.altitudeFeet);
  out.raw('\t');
  out.raw(static_cast<char>('0' + std::clamp(e.ambiguity, 0, 4)));
  out.raw('\n');
}

// Feeds one input line (without its LF) to the decoder as the TNC would
// deliver it: trailing CRs removed, CR LF appended.
class LineDecoder {
 public:
  LineDecoder(const tervane::Clock& clock, Output& out) : decoder_(clock), out_(out) {}

  void decodeLine(std::string_view raw) {
    while (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    decodeStripped(raw);
  }

  // A line whose line end is already removed.
  void decodeStripped(std::string_view text) {
    const std::size_t kept = std::min(text.size(), kKeptLineLength);
    std::memcpy(line_, text.data(), kept);
    line_[kept] = '\r';
    line_[kept + 1] = '\n';
    decoder_.beginLine(std::string_view(line_, kept + 2));
    decoder_.decode();
    printEntry(out_, decoder_.entry());
  }

 private:
  PacketDecoder decoder_;
  Output& out_;
  char line_[kKeptLineLength + 2];
};

// Collects a line that spans read blocks. Only the first kKeptLineLength
// bytes can matter, unless everything after them is CRs that the line end
// removes, so the rest is reduced to whether it held anything else.
class PartialLine {
 public:
  void append(std::string_view piece) {
    const std::size_t room = kKeptLineLength - std::min(head_.size(), kKeptLineLength);
    head_.append(piece.substr(0, room));
    for (char c : piece.substr(std::min(room, piece.size()))) {
      if (c != '\r') tailHasText_ = true;
    }
    active_ = true;
  }
  bool active() const { return active_; }
  void finish(LineDecoder& decoder) {
    // With text beyond the kept part the line is longer than the decoder
    // keeps, so CRs at the end of the kept part are not the line end.
    if (tailHasText_) {
      decoder.decodeStripped(head_);
    } else {
      decoder.decodeLine(head_);
    }
    head_.clear();
    tailHasText_ = false;
    active_ = false;
  }

 private:
  std::string head_;
  bool tailHasText_ = false;
  bool active_ = false;
};

bool readNow(std::string_view text, tervane::CalendarTime* now) {
  // YYYY-MM-DDTHH:MM:SSZ
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z') {
    return false;
  }
  const auto number = [text](std::size_t from, std::size_t length, int* value) {
    for (std::size_t i = from; i < from + length; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
    }
    std::from_chars(text.data() + from, text.data() + from + length, *value);
    return true;
  };
  tervane::CalendarTime t;
  if (!number(0, 4, &t.year) || !number(5, 2, &t.month) || !number(8, 2, &t.day) || !number(11, 2, &t.hour) ||
      !number(14, 2, &t.minute) || !number(17, 2, &t.second)) {
    return false;
  }
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > tervane::daysInMonth(t.year, t.month) || t.hour > 23 ||
      t.minute > 59 || t.second > 59) {
    return false;
  }
  *now = t;
  return true;
}

int usageError(std::string_view message) {
  std::fprintf(stderr, "tervane-decode: %.*s\n\n", static_cast<int>(message.size()), message.data());
  std::fwrite(kUsage.data(), 1, kUsage.size(), stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<tervane::CalendarTime> fixedNow;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
      return 0;
    }
    std::string_view value;
    if (arg == "--now") {
      if (i + 1 >= argc) return usageError("--now needs a time");
      value = argv[++i];
    } else if (arg.starts_with("--now=")) {
      value = arg.substr(6);
    } else {
      return usageError("unknown option");
    }
    tervane::CalendarTime now;
    if (!readNow(value, &now)) return usageError("--now wants YYYY-MM-DDTHH:MM:SSZ");
    fixedNow = now;
  }

  tervane::SystemClock systemClock;
  tervane::FixedClock fixedClock(fixedNow ? tervane::unixFromCalendar(*fixedNow) : 0);
  const tervane::Clock& clock = fixedNow ? static_cast<const tervane::Clock&>(fixedClock) : systemClock;

  Output out;
  auto decoder = std::make_unique<LineDecoder>(clock, out);
  PartialLine partial;
  std::unique_ptr<char[]> block(new char[kReadBlockBytes]);
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, block.get(), kReadBlockBytes);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    std::string_view rest(block.get(), static_cast<std::size_t>(got));
    for (;;) {
      const std::size_t end = rest.find('\n');
      if (end == std::string_view::npos) {
        if (!rest.empty()) partial.append(rest);
        break;
      }
      if (partial.active()) {
        partial.append(rest.substr(0, end));
        partial.finish(*decoder);
      } else {
        decoder->decodeLine(rest.substr(0, end));
      }
      rest.remove_prefix(end + 1);
    }
  }
  if (partial.active()) partial.finish(*decoder);
  return 0;
}
