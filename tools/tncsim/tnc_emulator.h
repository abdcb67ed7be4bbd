#pragma once
// The command interpreter of a TNC-2 style text-mode TNC: command mode with
// the "cmd:" prompt and character echo, converse mode in which every line
// ended by CR is transmitted as an unproto frame, and Ctrl-C (0x03) to get
// from converse mode back to command mode. It only turns received bytes into
// the TNC's answer and a record of what happened; the device side lives in
// the simulator's main loop.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tervane::tncsim {

enum class TncMode { Command, Converse };

enum class RecordKind {
  Command,  // a command line received in command mode
  Transmit, // a line sent in converse mode (what goes on the air)
  Mode,     // the TNC changed mode; text "command" or "converse"
};

struct TncRecord {
  RecordKind kind = RecordKind::Command;
  std::string text;  // raw bytes, line end removed
};

// "CMD", "TX" or "MODE".
const char* recordTag(RecordKind kind);

// Bytes outside printable ASCII, and the backslash, as \xNN (upper-case hex),
// so that a record stays on one line and decodes without ambiguity.
std::string escapeForLog(std::string_view bytes);

class TncEmulator {
 public:
  // A silent TNC takes commands and transmits but never answers.
  explicit TncEmulator(bool silent = false);

  // Feeds bytes received from the terminal side; returns the TNC's answer
  // (echo, command responses, prompts) and appends records to the log.
  std::string receive(std::string_view bytes);

  // The records since the last call.
  std::vector<TncRecord> takeRecords();

  TncMode mode() const { return mode_; }
  // The stored value of a parameter by its full name ("MYCALL", "UNPROTO",
  // "BEACON", "BTEXT", ...), as the TNC would show it; empty when unknown.
  std::string parameter(std::string_view name) const;

 private:
  void commandByte(unsigned char byte, std::string& answer);
  void converseByte(unsigned char byte, std::string& answer);
  void executeCommand(std::string_view line, std::string& answer);
  void enterCommandMode(std::string& answer);
  void record(RecordKind kind, std::string text);

  bool silent_;
  TncMode mode_ = TncMode::Command;
  bool echo_ = true;
  std::string lineBuffer_;
  std::map<std::string, std::string, std::less<>> parameters_;
  std::vector<TncRecord> records_;
};

}  // namespace tervane::tncsim
