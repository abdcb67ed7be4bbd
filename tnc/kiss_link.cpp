#include "tnc/kiss_link.h"

#include "base/text_format.h"
#include "tnc/position_report.h"

namespace tervane {
namespace {
// A serial read asks for 16 bytes, as for the text-mode TNC, so a quiet line
// paces the worker's pass at about a quarter of a second; a TCP read takes
// what has arrived, waiting at most as long.
constexpr std::size_t kSerialReadBytes = 16;
constexpr std::size_t kTcpReadBytes = 4096;
constexpr int kTcpReadTimeoutMs = 200;
}  // namespace

std::unique_ptr<KissLink> KissLink::onSerialPort(SerialLinkParams params, OwnFrames own) {
  std::unique_ptr<KissLink> link(new KissLink(std::move(own)));
  link->serial_ = std::move(params);
  return link;
}

std::unique_ptr<KissLink> KissLink::overTcp(std::string host, int port, OwnFrames own) {
  std::unique_ptr<KissLink> link(new KissLink(std::move(own)));
  link->tcp_.emplace("KISS link", std::move(host), port, kTcpReadTimeoutMs);
  return link;
}

std::string KissLink::where() const {
  return serial_ ? textf("COM%d (%s)", serial_->comNumber, devicePath_.c_str()) : tcp_->address();
}

LinkStart KissLink::start(LinkServices& services) {
  services_ = &services;
  if (serial_) {
    port_ = openLinkPort(*serial_, services, &devicePath_);
    return port_ ? LinkStart::Running : LinkStart::Failed;
  }
  tcp_->attach(services);
  bool fresh = false;
  tcp_->connected(&fresh);
  return LinkStart::Running;
}

bool KissLink::receive(const LineHandler& onLine) {
  std::shared_ptr<ByteStream> stream = port_;
  if (tcp_) {
    bool fresh = false;
    stream = tcp_->connected(&fresh);
    if (!stream) return true;
  }
  std::uint8_t buffer[kTcpReadBytes];
  const std::size_t n = stream->read(buffer, tcp_ ? kTcpReadBytes : kSerialReadBytes);
  if (n == 0) {
    const std::string failure = stream->failure();
    if (failure.empty()) return true;
    if (tcp_) {
      deframer_ = KissDeframer();
      tcp_->drop(failure);
      return true;
    }
    noticeLostPort(*serial_, devicePath_, failure, *services_);
    return false;
  }
  deframer_.feed(buffer, n, [&onLine](int /*port*/, std::string_view payload) {
    const std::optional<Ax25UiFrame> frame =
        readUiFrame(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size());
    if (frame) onLine(monitorLine(*frame) + "\r\n");
  });
  return true;
}

void KissLink::send(const Outbound& item) {
  switch (item.kind) {
    case Outbound::Kind::TypedLine:
      readTyped(item.text);
      break;
    case Outbound::Kind::Control:
      readTyped("\x03");
      break;
    case Outbound::Kind::Converse:
      readTyped(kConverseEscape);
      break;
    case Outbound::Kind::Packet:
      sendFrame(item.text);
      break;
    case Outbound::Kind::PassStart:
    case Outbound::Kind::PassEnd:
      own_.path = item.path;
      break;
    case Outbound::Kind::GatedToRf:
      sendFrame(item.text, item.path);
      break;
    case Outbound::Kind::GatedToIs:
      break;
    case Outbound::Kind::Initialize:
      if (item.settings) own_ = OwnFrames{item.settings->callsign.str(), item.settings->unprotoVia.str()};
      readTyped(kConverseEscape);  // as a TNC after Initialize: typed lines are packets
      break;
  }
}

// What the operator types is read as on a TNC: lines in converse mode are
// frames, and in command mode MYCALL and UNPROTO ... VIA set the callsign
// and the path.
void KissLink::readTyped(std::string_view text) {
  for (const ConverseTextReader::Item& item : converse_.feed(text)) {
    if (!item.isCommand) {
      sendFrame(item.text);
    } else if (const std::optional<LinkCommand> command = readLinkCommand(item.text)) {
      apply(*command);
    }
  }
}

void KissLink::apply(const LinkCommand& command) {
  if (command.kind == LinkCommand::MyCall) {
    own_.callsign = command.argument;
  } else {
    own_.path = command.argument;
  }
}

bool KissLink::sendReport(std::string_view report) {
  if (tcp_ && !tcp_->isUp()) return false;
  sendFrame(withoutLineEnd(report));
  return true;
}

void KissLink::sendFrame(std::string_view information) { sendFrame(information, own_.path); }

void KissLink::sendFrame(std::string_view information, const std::string& via) {
  const std::optional<Ax25Address> source = parseAx25Address(own_.callsign);
  const std::optional<std::vector<Ax25Address>> path = parseAx25Path(via);
  const std::string text(information);
  if (!source) {
    services_->ui.notice(textf("Not sent: the station's callsign \"%s\" is no AX.25 address "
                               "(Settings > Station...): %s", own_.callsign.c_str(), text.c_str()));
    return;
  }
  if (!path) {
    services_->ui.notice(
        textf("Not sent: the path \"%s\" is no list of AX.25 addresses (UNPROTO VIA): %s", via.c_str(),
              text.c_str()));
    return;
  }
  Ax25UiFrame frame;
  frame.destination = *parseAx25Address(kOwnDestination);
  frame.source = *source;
  frame.digipeaters = *path;
  frame.information = text.substr(0, kAx25MaxInfoBytes);
  std::shared_ptr<ByteStream> stream = port_;
  if (tcp_) {
    bool fresh = false;
    stream = tcp_->isUp() ? tcp_->connected(&fresh) : nullptr;
  }
  const std::vector<std::uint8_t> bytes = kissDataFrame(encodeUiFrame(frame));
  if (!stream || !stream->write(bytes.data(), bytes.size())) {
    services_->ui.notice(textf("Not sent (the KISS link to %s is down): %s", where().c_str(), text.c_str()));
    return;
  }
  services_->ui.notice("Sent: " + monitorLine(frame));
}

void KissLink::finish() {
  if (port_) port_->close();
  if (tcp_) tcp_->close();
}

std::unique_ptr<LinkKind> makeKissSerialLink(LinkSetup& setup) {
  return KissLink::onSerialPort(
      SerialLinkParams{setup.spec.comNumber, tncBaudFromIndex(setup.settings.baudRate), std::move(setup.openPort)},
      OwnFrames{setup.settings.callsign.str(), setup.settings.unprotoVia.str()});
}

std::unique_ptr<LinkKind> makeKissTcpLink(LinkSetup& setup) {
  return KissLink::overTcp(setup.spec.host, setup.spec.port,
                           OwnFrames{setup.settings.callsign.str(), setup.settings.unprotoVia.str()});
}

}  // namespace tervane
