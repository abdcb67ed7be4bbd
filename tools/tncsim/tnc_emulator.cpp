#include "tools/tncsim/tnc_emulator.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "base/text_format.h"

namespace tervane::tncsim {
namespace {

constexpr unsigned char kCtrlC = 0x03;
constexpr unsigned char kBackspace = 0x08;
constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kCarriageReturn = 0x0D;
constexpr unsigned char kLineFeed = 0x0A;

// Longest command line kept; further characters are dropped.
constexpr std::size_t kCommandLineLimit = 256;
// Longest converse line (PACLEN); a full line is sent without waiting for CR.
constexpr std::size_t kPacketLength = 256;

constexpr std::string_view kPrompt = "cmd:";
constexpr std::string_view kNewLine = "\r\n";

enum class Action {
  Converse,  // leave command mode
  MyCall,    // callsign, answered with "was <old>"
  Unproto,   // destination [VIA path]
  Beacon,    // EVERY|AFTER n
  Echo,      // ON|OFF, switches the character echo
  OnOff,     // ON|OFF
  Text,      // any text
};

struct CommandSpec {
  std::string_view name;
  std::size_t shortestAbbreviation;
  Action action;
  std::string_view initialValue;
};

// Searched in order; the first entry that the typed keyword abbreviates wins,
// so the classic one-letter forms (B, E, K, M, U) come before their rivals.
constexpr CommandSpec kCommands[] = {
    {"CONVERSE", 4, Action::Converse, ""},
    {"K", 1, Action::Converse, ""},
    {"MYCALL", 2, Action::MyCall, "NOCALL"},
    {"MYALIAS", 3, Action::Text, ""},
    {"MONITOR", 1, Action::OnOff, "ON"},
    {"MSTAMP", 2, Action::OnOff, "OFF"},
    {"MXMIT", 2, Action::OnOff, "OFF"},
    {"MRESP", 3, Action::OnOff, "ON"},
    {"MCOM", 3, Action::OnOff, "OFF"},
    {"UNPROTO", 1, Action::Unproto, "CQ"},
    {"BEACON", 1, Action::Beacon, "EVERY 0"},
    {"BTEXT", 2, Action::Text, ""},
    {"ECHO", 1, Action::Echo, "ON"},
    {"EXPERT", 2, Action::OnOff, "OFF"},
    {"ELOC", 3, Action::Text, ""},
    {"HEADERLN", 7, Action::OnOff, "ON"},
    {"HEADERLINE", 8, Action::OnOff, "ON"},
    {"HID", 3, Action::OnOff, "ON"},
    {"CSTAMP", 2, Action::OnOff, "OFF"},
    {"INTFACE", 3, Action::Text, "TERMINAL"},
    {"STREAMEV", 4, Action::OnOff, "OFF"},
    {"PID", 3, Action::OnOff, "ON"},
    {"GPSTEXT", 4, Action::Text, ""},
    {"LOCATION", 3, Action::Text, "EVERY 0"},
    {"LTMON", 4, Action::Text, "0"},
    {"LTMHEAD", 4, Action::OnOff, "ON"},
    {"LGETCHAR", 3, Action::Text, "$05"},
};

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Splits off the first blank-separated word.
std::string_view firstWord(std::string_view text, std::string_view* rest) {
  text = trim(text);
  std::size_t end = 0;
  while (end < text.size() && !isBlank(text[end])) ++end;
  *rest = trim(text.substr(end));
  return text.substr(0, end);
}

const CommandSpec* findCommand(std::string_view keyword) {
  const std::string typed = upper(keyword);
  for (const CommandSpec& spec : kCommands) {
    if (typed.size() >= spec.shortestAbbreviation && typed.size() <= spec.name.size() &&
        spec.name.compare(0, typed.size(), typed) == 0) {
      return &spec;
    }
  }
  return nullptr;
}

// "ON"/"OFF" for the accepted spellings, empty otherwise.
std::string onOffValue(std::string_view text) {
  const std::string typed = upper(text);
  if (typed == "ON" || typed == "YES" || typed == "Y") return "ON";
  if (typed == "OFF" || typed == "NO" || typed == "N") return "OFF";
  return {};
}

// "EVERY n" or "AFTER n" from "E n", "EVERY n", "A n", "AFTER n".
std::string beaconValue(std::string_view text) {
  std::string_view number;
  const std::string keyword = upper(firstWord(text, &number));
  std::string_view when;
  if (!keyword.empty() && std::string_view("EVERY").starts_with(keyword)) {
    when = "EVERY";
  } else if (!keyword.empty() && std::string_view("AFTER").starts_with(keyword)) {
    when = "AFTER";
  } else {
    return {};
  }
  if (number.empty() || number.size() > 3 ||
      !std::all_of(number.begin(), number.end(),
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; })) {
    return {};
  }
  return std::string(when) + " " + std::string(number);
}

}  // namespace

const char* recordTag(RecordKind kind) {
  switch (kind) {
    case RecordKind::Command:
      return "CMD";
    case RecordKind::Transmit:
      return "TX";
    case RecordKind::Mode:
      return "MODE";
  }
  return "?";
}

std::string escapeForLog(std::string_view bytes) {
  std::string result;
  result.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      result += c;
    } else {
      result += textf("\\x%02X", byte);
    }
  }
  return result;
}

TncEmulator::TncEmulator(bool silent) : silent_(silent) {
  for (const CommandSpec& spec : kCommands) {
    if (spec.action != Action::Converse) parameters_.emplace(spec.name, spec.initialValue);
  }
}

std::string TncEmulator::receive(std::string_view bytes) {
  std::string answer;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (mode_ == TncMode::Command) {
      commandByte(byte, answer);
    } else {
      converseByte(byte, answer);
    }
  }
  if (silent_) answer.clear();
  return answer;
}

std::vector<TncRecord> TncEmulator::takeRecords() { return std::exchange(records_, {}); }

std::string TncEmulator::parameter(std::string_view name) const {
  const auto found = parameters_.find(upper(name));
  return found == parameters_.end() ? std::string() : found->second;
}

void TncEmulator::commandByte(unsigned char byte, std::string& answer) {
  switch (byte) {
    case kCtrlC:
      lineBuffer_.clear();
      answer += kNewLine;
      answer += kPrompt;
      return;
    case kLineFeed:
      return;
    case kBackspace:
    case kDelete:
      if (!lineBuffer_.empty()) {
        lineBuffer_.pop_back();
        if (echo_) answer += "\b \b";
      }
      return;
    case kCarriageReturn: {
      answer += kNewLine;
      const std::string line = std::exchange(lineBuffer_, {});
      if (!trim(line).empty()) {
        record(RecordKind::Command, line);
        executeCommand(line, answer);
      }
      if (mode_ == TncMode::Command) answer += kPrompt;
      return;
    }
    default:
      if (lineBuffer_.size() < kCommandLineLimit) {
        lineBuffer_ += static_cast<char>(byte);
        if (echo_) answer += static_cast<char>(byte);
      }
      return;
  }
}

void TncEmulator::converseByte(unsigned char byte, std::string& answer) {
  switch (byte) {
    case kCtrlC:
      lineBuffer_.clear();
      enterCommandMode(answer);
      return;
    case kLineFeed:
      return;
    case kBackspace:
    case kDelete:
      if (!lineBuffer_.empty()) lineBuffer_.pop_back();
      return;
    case kCarriageReturn:
      if (!lineBuffer_.empty()) record(RecordKind::Transmit, std::exchange(lineBuffer_, {}));
      return;
    default:
      lineBuffer_ += static_cast<char>(byte);
      if (lineBuffer_.size() >= kPacketLength) {
        record(RecordKind::Transmit, std::exchange(lineBuffer_, {}));
      }
      return;
  }
}

void TncEmulator::enterCommandMode(std::string& answer) {
  mode_ = TncMode::Command;
  record(RecordKind::Mode, "command");
  answer += kNewLine;
  answer += kPrompt;
}

void TncEmulator::executeCommand(std::string_view line, std::string& answer) {
  std::string_view argument;
  const std::string_view keyword = firstWord(line, &argument);
  const CommandSpec* spec = findCommand(keyword);
  if (spec == nullptr) {
    answer += "?EH";
    answer += kNewLine;
    return;
  }
  if (spec->action == Action::Converse) {
    mode_ = TncMode::Converse;
    record(RecordKind::Mode, "converse");
    return;
  }
  std::string& value = parameters_.find(spec->name)->second;
  if (argument.empty()) {
    answer += textf("%-8s %s", std::string(spec->name).c_str(), value.c_str());
    answer += kNewLine;
    return;
  }
  std::string newValue;
  switch (spec->action) {
    case Action::MyCall:
    case Action::Unproto:
      newValue = upper(argument);
      break;
    case Action::Beacon:
      newValue = beaconValue(argument);
      break;
    case Action::Echo:
    case Action::OnOff:
      newValue = onOffValue(argument);
      break;
    case Action::Text:
    case Action::Converse:
      newValue = std::string(argument);
      break;
  }
  if (newValue.empty()) {
    answer += "?bad";
    answer += kNewLine;
    return;
  }
  if (spec->action == Action::MyCall) {
    answer += textf("%-8s was %s", std::string(spec->name).c_str(), value.c_str());
    answer += kNewLine;
  }
  if (spec->action == Action::Echo) echo_ = newValue == "ON";
  value = std::move(newValue);
}

void TncEmulator::record(RecordKind kind, std::string text) {
  records_.push_back(TncRecord{kind, std::move(text)});
}

}  // namespace tervane::tncsim
