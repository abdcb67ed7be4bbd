#include "tnc/text_tnc_link.h"

#include <chrono>
#include <thread>

#include "base/text_format.h"
#include "tnc/position_report.h"
#include "tnc/tnc_setup.h"

namespace tervane {

std::shared_ptr<SerialPort> openLinkPort(const SerialLinkParams& params, LinkServices& services,
                                         std::string* devicePath) {
  SerialOpenResult opened = params.openPort(params.comNumber, params.baud);
  *devicePath = opened.devicePath;
  if (!opened.port) {
    services.ui.notice(textf("TNC port COM%d (%s) could not be opened: %s", params.comNumber,
                             opened.devicePath.c_str(), opened.error.c_str()));
    services.ui.linkCondition(LinkCondition::Failed,
                              textf("COM%d (%s): %s", params.comNumber, opened.devicePath.c_str(), opened.error.c_str()));
    return nullptr;
  }
  services.streams.set(opened.port);
  services.ui.linkCondition(LinkCondition::Up, textf("COM%d (%s)", params.comNumber, opened.devicePath.c_str()));
  return opened.port;
}

void noticeLostPort(const SerialLinkParams& params, const std::string& devicePath, const std::string& reason,
                    LinkServices& services) {
  services.ui.notice(textf("TNC port COM%d (%s) stopped working: %s. The link is closed.", params.comNumber,
                           devicePath.c_str(), reason.c_str()));
  services.ui.linkCondition(LinkCondition::Failed,
                            textf("COM%d (%s) stopped working: %s", params.comNumber, devicePath.c_str(), reason.c_str()));
}

LinkStart TextTncLink::start(LinkServices& services) {
  services_ = &services;
  port_ = openLinkPort(params_, services, &devicePath_);
  if (!port_) return LinkStart::Failed;
  if (services.stopping()) return LinkStart::Running;

  port_->write(std::string_view("\x03\r\r"));
  std::uint8_t probe[LineCutter::kReadSize];
  const std::size_t answered = port_->read(probe, sizeof probe);
  if (answered == 0 && !services.stopping() &&
      !services.ui.askDeviceOpenError(textf("TNC port COM%d (%s): no answer to Ctrl-C and two Returns",
                                            params_.comNumber, devicePath_.c_str()))) {
    return LinkStart::Cancelled;
  }
  finishCutPrompt(std::string_view(reinterpret_cast<const char*>(probe), answered));
  return LinkStart::Running;
}

// The probe's answer is discarded, but a TNC answers each of its three bytes
// with a new line and the "cmd:" prompt, more than one read holds: the read
// may end inside a prompt ("...cm"). The prompt's rest ("d:") would then
// stand in front of the first monitored line, where it spoils the line's
// decoding. Read just that rest and discard it when it is the prompt's;
// anything else is monitored text and stays in the cutter, where the next
// read completes its line.
void TextTncLink::finishCutPrompt(std::string_view answer) {
  constexpr std::string_view kPrompt = "cmd:";
  for (std::size_t k = kPrompt.size() - 1; k > 0; --k) {
    if (!answer.ends_with(kPrompt.substr(0, k))) continue;
    std::uint8_t* at = cutter_.prepareRead();
    const std::size_t n = port_->read(at, kPrompt.size() - k);
    if (!kPrompt.substr(k).starts_with(std::string_view(reinterpret_cast<const char*>(at), n))) {
      cutter_.commit(n, [](std::string_view) {});
    }
    return;
  }
}

bool TextTncLink::receive(const LineHandler& onLine) {
  std::uint8_t* at = cutter_.prepareRead();
  const std::size_t n = port_->read(at, LineCutter::kReadSize);
  if (n == 0) {
    const std::string failure = port_->failure();
    if (failure.empty()) return true;
    noticeLostPort(params_, devicePath_, failure, *services_);
    return false;
  }
  cutter_.commit(n, onLine);
  return true;
}

std::vector<std::string> textTncWrites(const Outbound& item) {
  switch (item.kind) {
    case Outbound::Kind::TypedLine:
      return {item.text};
    case Outbound::Kind::Control:
      return {std::string(1, '\x03')};
    case Outbound::Kind::Converse:
      return {kConverseEscape};
    case Outbound::Kind::Packet:
      return {kConverseEscape + item.text + "\r"};
    case Outbound::Kind::PassStart:
      return {"\x03" + textf("UNPROTO %s VIA %s\r", item.destination.c_str(), item.path.c_str()), "B E  0\r"};
    case Outbound::Kind::PassEnd: {
      std::vector<std::string> writes = {"\x03" +
                                         textf("UNPROTO %s VIA %s\r", item.destination.c_str(), item.path.c_str())};
      if (item.tncBeaconTens >= 0) writes.push_back(textf("B E %d\r", item.tncBeaconTens));
      writes.emplace_back("conv\r");
      return writes;
    }
    case Outbound::Kind::Initialize: {
      if (!item.settings) return {};
      std::vector<std::string> texts = tncInitializationTexts(*item.settings, nullptr);
      return item.tncBeaconAllowed ? texts : withoutTncBeacon(std::move(texts));
    }
    case Outbound::Kind::GatedToIs:
    case Outbound::Kind::GatedToRf:
      // The IGate works through KISS and APRS-IS links; a text-mode TNC
      // cannot send another station's header.
      return {};
  }
  return {};
}

void TextTncLink::send(const Outbound& item) {
  for (const std::string& text : textTncWrites(item)) port_->write(text);
}

bool TextTncLink::sendReport(std::string_view report) {
  port_->write(kConverseEscape);
  port_->write(report);
  return true;
}

void TextTncLink::prepareEmail() {
  port_->write(kConverseEscape);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

void TextTncLink::finish() {
  if (port_) port_->close();
}

std::unique_ptr<LinkKind> makeTextTncLink(LinkSetup& setup) {
  return std::make_unique<TextTncLink>(
      SerialLinkParams{setup.spec.comNumber, tncBaudFromIndex(setup.settings.baudRate), std::move(setup.openPort)});
}

}  // namespace tervane
