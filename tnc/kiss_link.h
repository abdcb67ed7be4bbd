#pragma once
// A KISS TNC: a hardware TNC in KISS mode on a serial port, or a software
// TNC such as Dire Wolf over TCP or its pseudo-terminal. Received UI frames
// become monitor lines in the TNC-2 form; what the program sends becomes UI
// frames from the station's callsign to the program's own destination
// address, along the UNPROTO VIA path. There is no command mode on the air:
// the texts meant for a text-mode TNC are read for what they mean (a line in
// converse mode is a frame, "MYCALL" and "UNPROTO ... VIA" set the callsign
// and the path, every other command has no meaning here).

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tnc/ax25.h"
#include "tnc/converse_text.h"
#include "tnc/kiss.h"
#include "tnc/link_kind.h"
#include "tnc/network_link.h"
#include "tnc/text_tnc_link.h"

namespace tervane {

// The destination address of the program's own frames: APZ is the
// experimental block of APRS software identifiers.
inline constexpr std::string_view kOwnDestination = "APZTVA";

// Who sends and along which path, as the settings give it at TNC > Open.
struct OwnFrames {
  std::string callsign;  // MYCALL
  std::string path;      // UNPROTO VIA, for example "WIDE1-1,WIDE2-1"
};

class KissLink final : public LinkKind {
 public:
  static std::unique_ptr<KissLink> onSerialPort(SerialLinkParams params, OwnFrames own);
  static std::unique_ptr<KissLink> overTcp(std::string host, int port, OwnFrames own);

  LinkStart start(LinkServices& services) override;
  bool receive(const LineHandler& onLine) override;
  void send(const Outbound& item) override;
  bool sendReport(std::string_view report) override;
  void finish() override;

 private:
  explicit KissLink(OwnFrames own) : own_(std::move(own)) {}
  void sendFrame(std::string_view information);
  void sendFrame(std::string_view information, const std::string& via);
  void readTyped(std::string_view text);
  void apply(const LinkCommand& command);
  std::string where() const;

  OwnFrames own_;
  std::optional<SerialLinkParams> serial_;
  std::optional<ReconnectingTcp> tcp_;
  LinkServices* services_ = nullptr;
  std::shared_ptr<ByteStream> port_;  // the serial port
  std::string devicePath_;
  KissDeframer deframer_;
  ConverseTextReader converse_;
};

// The link table's makers: frames from the station's callsign along its
// UNPROTO VIA path, on the chosen COM port or to the chosen network address.
std::unique_ptr<LinkKind> makeKissSerialLink(LinkSetup& setup);
std::unique_ptr<LinkKind> makeKissTcpLink(LinkSetup& setup);

}  // namespace tervane
