#include "base/profile_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/text_format.h"

namespace tervane {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text; false when the closing quote is missing.
bool unquote(std::string_view quoted, std::string* out) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
  quoted = quoted.substr(1, quoted.size() - 2);
  out->clear();
  for (std::size_t i = 0; i < quoted.size(); ++i) {
    const char c = quoted[i];
    if (c != '\\' || i + 1 >= quoted.size()) {
      out->push_back(c);
      continue;
    }
    const char e = quoted[++i];
    switch (e) {
      case 'n': out->push_back('\n'); break;
      case 'r': out->push_back('\r'); break;
      case 't': out->push_back('\t'); break;
      case 'x':
        if (i + 2 < quoted.size() && hexDigit(quoted[i + 1]) >= 0 && hexDigit(quoted[i + 2]) >= 0) {
          out->push_back(static_cast<char>(hexDigit(quoted[i + 1]) * 16 + hexDigit(quoted[i + 2])));
          i += 2;
        } else {
          out->push_back('x');
        }
        break;
      default: out->push_back(e); break;
    }
  }
  return true;
}

bool readInteger(std::string_view text, int* value) {
  if (text.empty() || text.size() > 20) return false;
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(copy.c_str(), &end, 10);
  if (errno != 0 || end == copy.c_str() || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

std::string quote(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += textf("\\x%02x", byte);
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

}  // namespace

std::vector<ProfileEntry> parseProfileText(std::string_view text) {
  std::vector<ProfileEntry> entries;
  std::string section;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.back() == ']') section = std::string(line.substr(1, line.size() - 2));
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0) continue;
    const std::string_view name = trim(line.substr(0, eq));
    const std::string_view raw = trim(line.substr(eq + 1));
    if (name.empty()) continue;
    ProfileEntry entry{section, std::string(name), 0};
    int number = 0;
    std::string quoted;
    if (readInteger(raw, &number)) {
      entry.value = number;
    } else if (unquote(raw, &quoted)) {
      entry.value = quoted;
    } else {
      continue;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string formatProfileText(const std::vector<ProfileEntry>& entries) {
  std::string out;
  bool first = true;
  std::string section;
  for (const ProfileEntry& e : entries) {
    if (first || e.section != section) {
      if (!first) out += '\n';
      section = e.section;
      out += '[' + section + "]\n";
      first = false;
    }
    out += e.name;
    out += '=';
    if (const int* n = std::get_if<int>(&e.value)) {
      out += std::to_string(*n);
    } else {
      out += quote(std::get<std::string>(e.value));
    }
    out += '\n';
  }
  return out;
}

}  // namespace tervane
