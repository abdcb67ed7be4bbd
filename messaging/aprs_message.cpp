#include "messaging/aprs_message.h"

#include <algorithm>
#include <cctype>

namespace tervane {

namespace {

bool alnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

bool validNumber(std::string_view n, bool mayBeEmpty) {
  if (n.empty()) return mayBeEmpty;
  return n.size() <= kMessageNumberLongest && std::all_of(n.begin(), n.end(), alnum);
}

std::string padded(std::string_view addressee) {
  std::string a(addressee.substr(0, kMessageAddresseeLength));
  a.resize(kMessageAddresseeLength, ' ');
  return a;
}

}  // namespace

std::optional<AprsMessage> readMessage(std::string_view info) {
  if (info.size() < kMessageAddresseeLength + 2 || info[0] != ':' || info[kMessageAddresseeLength + 1] != ':') {
    return std::nullopt;
  }
  AprsMessage m;
  std::string_view addressee = info.substr(1, kMessageAddresseeLength);
  while (!addressee.empty() && addressee.back() == ' ') addressee.remove_suffix(1);
  if (addressee.empty()) return std::nullopt;
  m.addressee = std::string(addressee);
  std::string_view text = info.substr(kMessageAddresseeLength + 2);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);

  for (const char* answer : {"ack", "rej"}) {
    if (text.size() >= 3 && text.substr(0, 3) == answer) {
      std::string_view id = text.substr(3);
      while (!id.empty() && id.back() == ' ') id.remove_suffix(1);
      const std::size_t close = id.find('}');
      const std::string_view number = id.substr(0, close);
      const std::string_view reply = close == std::string_view::npos ? std::string_view() : id.substr(close + 1);
      // "ack" alone, or with something that is no message number, answers
      // nothing.
      if (!validNumber(number, false) || !validNumber(reply, true)) return std::nullopt;
      m.kind = answer[0] == 'a' ? AprsMessage::Kind::Ack : AprsMessage::Kind::Rej;
      m.answerId = std::string(id);
      return m;
    }
  }

  const std::size_t brace = text.rfind('{');
  if (brace != std::string_view::npos) {
    const std::string_view id = text.substr(brace + 1);
    const std::size_t close = id.find('}');
    const std::string_view number = id.substr(0, close);
    const std::string_view reply = close == std::string_view::npos ? std::string_view() : id.substr(close + 1);
    if (validNumber(number, false) && validNumber(reply, true)) {
      m.number = std::string(number);
      m.replyAck = std::string(reply);
      m.answerId = std::string(id);
      text = text.substr(0, brace);
    }
  }
  m.text = std::string(text);
  if (m.addressee.size() >= 4 && m.addressee.compare(0, 3, "BLN") == 0) {
    const char c = m.addressee[3];
    if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      m.kind = AprsMessage::Kind::Bulletin;
      m.group = m.addressee.substr(4);
    } else if (std::isupper(static_cast<unsigned char>(c)) != 0 && m.addressee.size() == 4) {
      m.kind = AprsMessage::Kind::Announcement;
    }
  }
  return m;
}

std::string messageTextRefusal(std::string_view text) {
  if (text.empty()) return "the message is empty";
  if (text.size() > kMessageTextLongest) return "a message holds at most 67 characters";
  for (char c : text) {
    if (c == '|' || c == '~' || c == '{') return "a message cannot hold |, ~ or {";
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7e) return "a message holds printable ASCII characters only";
  }
  return {};
}

std::string addresseeRefusal(std::string_view addressee) {
  if (addressee.empty() || addressee.size() > kMessageAddresseeLength) return "a station's name has 1 to 9 characters";
  for (char c : addressee) {
    if (!alnum(c) && c != '-') return "a station's name holds letters, digits and '-' only";
  }
  return {};
}

std::string messageInfo(std::string_view addressee, std::string_view text, std::string_view number,
                        std::string_view replyAck) {
  std::string info = ":" + padded(addressee) + ":" + std::string(text);
  if (!number.empty()) {
    info += "{" + std::string(number);
    if (!replyAck.empty()) info += "}" + std::string(replyAck);
  }
  return info;
}

std::string ackInfo(std::string_view addressee, std::string_view answerId) {
  return ":" + padded(addressee) + ":ack" + std::string(answerId);
}

std::string rejInfo(std::string_view addressee, std::string_view answerId) {
  return ":" + padded(addressee) + ":rej" + std::string(answerId);
}

std::string messageNumberFrom(int counter) {
  const int n = counter < 1 ? 1 : (counter - 1) % 99999 + 1;
  return std::to_string(n);
}

}  // namespace tervane
