#include "tnc/monitor_text.h"

#include "base/text_format.h"

namespace tervane {

std::string timeTagged(const CalendarTime& local, std::string_view line) {
  std::string out = textf("[%d/%d/%d %02d:%02d:%02d]  ", local.month, local.day, local.year, local.hour,
                          local.minute, local.second);
  out.append(line);
  return out;
}

bool matchesFilter(const FilterStrings& filters, std::string_view line) {
  for (const auto& f : filters) {
    if (!f.empty() && line.find(f.view()) != std::string_view::npos) return true;
  }
  return false;
}

std::optional<std::string> applyDisplayMode(DisplayMode mode, const FilterStrings& filters, std::string_view line) {
  switch (mode) {
    case DisplayMode::FullText:
      return std::string(line);
    case DisplayMode::Highlight:
      return (matchesFilter(filters, line) ? std::string(" > ") : std::string("    ")).append(line);
    case DisplayMode::Filter:
      if (matchesFilter(filters, line)) return std::string(line);
      return std::nullopt;
  }
  return std::string(line);
}

FilterStrings parseFilterText(std::string_view text) {
  constexpr std::size_t kTextLimit = 2047;
  if (text.size() > kTextLimit) text = text.substr(0, kTextLimit);
  // The dialog's text is a zero-terminated string: a zero byte ends it.
  text = text.substr(0, text.find('\0'));
  FilterStrings slots{};
  const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
  std::size_t pos = 0;
  for (std::size_t slot = 0; slot < slots.size() && pos < text.size(); ++slot) {
    std::size_t end = pos;
    while (end < text.size() && !isBreak(text[end])) ++end;
    slots[slot] = text.substr(pos, end - pos);
    while (end < text.size() && isBreak(text[end])) ++end;
    pos = end;
  }
  return slots;
}

std::string formatFilterText(const FilterStrings& filters) {
  std::string out;
  for (const auto& f : filters) {
    out.append(f.view());
    out.append("\r\n");
  }
  return out;
}

}  // namespace tervane
