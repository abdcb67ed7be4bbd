#pragma once
// How a link without a text-mode TNC reads the texts the program writes for
// one: typed lines, Control and Converse, position reports and "QSL" texts
// behind the converse escape, the tracker's "UNPROTO ... VIA ..." and the
// Initialize command set. As on the TNC, Ctrl-C (0x03) starts a command
// line, the command "conv" returns to converse mode, and every line typed in
// converse mode, up to its carriage return, becomes one frame's information
// field. A line not yet ended waits for the next text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervane {

class ConverseTextReader {
 public:
  struct Item {
    bool isCommand = false;  // a command line; otherwise the text of one frame
    std::string text;
  };

  std::vector<Item> feed(std::string_view text);
  bool inCommandMode() const { return commandMode_; }

 private:
  std::string line_;
  bool commandMode_ = false;
};

// The commands such a link acts on, read case-insensitively: "MYCALL call"
// and "UNPROTO dest [VIA path]". Every other command has no meaning there.
struct LinkCommand {
  enum Kind { MyCall, Unproto } kind = MyCall;
  std::string argument;  // the callsign, or the path after VIA (empty without VIA)
};
std::optional<LinkCommand> readLinkCommand(std::string_view command);

}  // namespace tervane
