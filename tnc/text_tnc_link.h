#pragma once
// The text-mode TNC on a serial port, spoken to in its own command language:
// the probe when the link opens (Ctrl-C and two carriage returns, with the
// "Device Open Error" question when nothing answers), texts written exactly
// as the program hands them over, and the converse escape before the PC
// beacon and the e-mail prompt. Monitored lines are cut from its output 16
// bytes at a time.

#include <memory>
#include <string>
#include <vector>

#include "platform/serial_port.h"
#include "tnc/line_cutter.h"
#include "tnc/link_kind.h"
#include "tnc/link_table.h"

namespace tervane {

// A serial link: which COM port and speed, and how to open it.
struct SerialLinkParams {
  int comNumber = 1;         // 1..4
  int baud = 9600;
  PortOpener openPort;
};

class TextTncLink final : public LinkKind {
 public:
  explicit TextTncLink(SerialLinkParams params) : params_(std::move(params)) {}

  LinkStart start(LinkServices& services) override;
  bool receive(const LineHandler& onLine) override;
  void send(const Outbound& item) override;
  bool sendReport(std::string_view report) override;
  void prepareEmail() override;
  bool beaconsByItself() const override { return true; }
  void finish() override;

 private:
  void finishCutPrompt(std::string_view answer);

  SerialLinkParams params_;
  LinkServices* services_ = nullptr;
  std::shared_ptr<SerialPort> port_;
  std::string devicePath_;
  LineCutter cutter_;
};

// What the text-mode TNC is written for an item, write by write, in its
// command language: Ctrl-C, "conv", "UNPROTO ... VIA ...", "B E n", the
// Initialize set with MYCALL and BTEXT.
std::vector<std::string> textTncWrites(const Outbound& item);

// Opens the serial port of a link; on failure tells the operator which
// port and device could not be opened and why.
std::shared_ptr<SerialPort> openLinkPort(const SerialLinkParams& params, LinkServices& services,
                                         std::string* devicePath);
// The one console line for a serial link whose device stopped working.
void noticeLostPort(const SerialLinkParams& params, const std::string& devicePath, const std::string& reason,
                    LinkServices& services);

// The link table's maker: the settings' speed on the chosen COM port.
std::unique_ptr<LinkKind> makeTextTncLink(LinkSetup& setup);

}  // namespace tervane
