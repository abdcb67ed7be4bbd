#include "tnc/converse_text.h"

#include <algorithm>

namespace tervane {
namespace {

constexpr char kControlC = '\x03';

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return upper(x) == upper(y); });
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The first blank-separated word of the text, and the rest after it.
std::string_view firstWord(std::string_view text, std::string_view* rest) {
  text = trimmed(text);
  const std::size_t end = std::min(text.find(' '), text.size());
  *rest = trimmed(text.substr(end));
  return text.substr(0, end);
}

}  // namespace

std::vector<ConverseTextReader::Item> ConverseTextReader::feed(std::string_view text) {
  std::vector<Item> items;
  for (char c : text) {
    if (c == kControlC) {
      commandMode_ = true;
      line_.clear();
    } else if (c == '\r') {
      if (commandMode_) {
        std::string_view rest;
        if (sameWord(firstWord(line_, &rest), "conv") || sameWord(firstWord(line_, &rest), "k")) {
          commandMode_ = false;
        } else if (!trimmed(line_).empty()) {
          items.push_back(Item{true, line_});
        }
      } else if (!line_.empty()) {
        items.push_back(Item{false, line_});
      }
      line_.clear();
    } else if (c != '\n') {
      line_.push_back(c);
    }
  }
  return items;
}

std::optional<LinkCommand> readLinkCommand(std::string_view command) {
  std::string_view rest;
  const std::string_view word = firstWord(command, &rest);
  if (sameWord(word, "MYCALL")) {
    std::string_view after;
    return LinkCommand{LinkCommand::MyCall, std::string(firstWord(rest, &after))};
  }
  if (sameWord(word, "UNPROTO")) {
    std::string_view after;
    firstWord(rest, &after);  // the destination: own frames keep the program's own
    std::string_view path;
    if (!sameWord(firstWord(after, &path), "VIA")) path = {};
    return LinkCommand{LinkCommand::Unproto, std::string(path)};
  }
  return std::nullopt;
}

}  // namespace tervane
