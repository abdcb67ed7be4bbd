#include "tnc/aprs_is_link.h"

#include "base/text_format.h"
#include "tnc/aprs_is.h"
#include "tnc/kiss_link.h"
#include "tnc/position_report.h"

namespace tervane {
namespace {
constexpr int kReadTimeoutMs = 200;
constexpr std::size_t kReadBytes = 8192;
// Servers send a comment line every 20 seconds or so; this long a silence
// means the connection is dead even when TCP has not noticed.
constexpr auto kSilenceLimit = std::chrono::seconds(120);
}  // namespace

AprsIsLink::AprsIsLink(std::string host, int port, AprsIsLogin login)
    : tcp_("APRS-IS", std::move(host), port, kReadTimeoutMs), login_(std::move(login)) {
  // Without a callsign of its own the station can only listen.
  if (login_.callsign.empty()) {
    login_.callsign = "N0CALL";
    login_.receiveOnly = true;
  }
}

std::string AprsIsLink::loginLine() const {
  const std::string filter =
      login_.filter.empty() ? defaultAprsIsFilter(login_.latitudeDeg, login_.longitudeDeg) : login_.filter;
  const int passcode = login_.receiveOnly ? -1 : aprsIsPasscode(login_.callsign);
  return aprsIsLoginLine(login_.callsign, passcode, TERVANE_VERSION, filter);
}

LinkStart AprsIsLink::start(LinkServices& services) {
  services_ = &services;
  tcp_.attach(services);
  return LinkStart::Running;
}

bool AprsIsLink::receive(const LineHandler& onLine) {
  bool fresh = false;
  std::shared_ptr<ByteStream> stream = tcp_.connected(&fresh);
  if (!stream) return true;
  if (fresh) {
    lines_.reset();
    state_ = Login::Sent;
    services_->ui.loginVerified(false);
    lastHeard_ = Clock::now();
    const std::string line = loginLine();
    if (!stream->write(line)) {
      tcp_.drop(stream->failure());
      return true;
    }
    services_->ui.notice("APRS-IS: " + line.substr(0, line.size() - 2));
  }
  std::uint8_t buffer[kReadBytes];
  const std::size_t n = stream->read(buffer, sizeof buffer);
  if (n == 0) {
    const std::string failure = stream->failure();
    if (!failure.empty()) {
      tcp_.drop(failure);
    } else if (Clock::now() - lastHeard_ > kSilenceLimit) {
      tcp_.drop("the server has been silent for two minutes");
    }
    return true;
  }
  lastHeard_ = Clock::now();
  lines_.feed(
      std::string_view(reinterpret_cast<const char*>(buffer), n),
      [this, &onLine](std::string_view line) {
        if (line.front() == '#') {
          takeComment(line);
        } else {
          onLine(line);
        }
      },
      [this] {
        services_->ui.notice(textf("APRS-IS: a line longer than %zu bytes is dropped, up to its line end.",
                                   NetworkLineReader::kLongestLine));
      });
  if (state_ == Login::None) tcp_.drop("the server turned the login down");
  return true;
}

void AprsIsLink::takeComment(std::string_view line) {
  line = withoutLineEnd(line);
  services_->ui.notice(line);
  const std::optional<LoginAnswer> answer = readLoginAnswer(line);
  if (!answer) return;
  if (answer->refused) {
    state_ = Login::None;
  } else {
    state_ = answer->verified && !login_.receiveOnly ? Login::Verified : Login::Unverified;
  }
  services_->ui.loginVerified(state_ == Login::Verified);
}

void AprsIsLink::send(const Outbound& item) {
  // A satellite pass's path and Initialize mean nothing on the internet;
  // typed lines in converse mode are packets, as on a TNC.
  std::string_view typed;
  switch (item.kind) {
    case Outbound::Kind::Packet:
      sendPacket(item.text);
      return;
    case Outbound::Kind::TypedLine:
      typed = item.text;
      break;
    case Outbound::Kind::Control:
      typed = "\x03";
      break;
    case Outbound::Kind::Converse:
      typed = kConverseEscape;
      break;
    case Outbound::Kind::GatedToIs:
      sendGated(item.text);
      return;
    case Outbound::Kind::PassStart:
    case Outbound::Kind::PassEnd:
    case Outbound::Kind::Initialize:
    case Outbound::Kind::GatedToRf:
      return;
  }
  for (const ConverseTextReader::Item& line : converse_.feed(typed)) {
    if (!line.isCommand) sendPacket(line.text);
  }
}

bool AprsIsLink::sendReport(std::string_view report) {
  if (!tcp_.isUp() || state_ == Login::Sent || state_ == Login::None) return false;
  sendPacket(withoutLineEnd(report));
  return true;
}

void AprsIsLink::sendPacket(std::string_view information) {
  const std::string text(information);
  if (!tcp_.isUp() || state_ != Login::Verified) {
    const char* why = !tcp_.isUp()                ? "the APRS-IS server is not connected"
                      : login_.receiveOnly        ? "the APRS-IS login is receive-only"
                      : state_ == Login::Sent     ? "the APRS-IS server has not answered the login yet"
                                                  : "the APRS-IS server did not verify the login";
    services_->ui.notice(textf("Not sent (%s): %s", why, text.c_str()));
    return;
  }
  std::string callsign;
  for (char c : login_.callsign) callsign += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  const std::string packet = callsign + ">" + std::string(kOwnDestination) + ",TCPIP*:" + text;
  bool fresh = false;
  std::shared_ptr<ByteStream> stream = tcp_.connected(&fresh);
  if (!stream || !stream->write(packet + "\r\n")) {
    services_->ui.notice(textf("Not sent (the APRS-IS connection failed): %s", text.c_str()));
    return;
  }
  services_->ui.notice("Sent: " + packet);
}

// What the IGate carries up goes out as it is, without a console line each:
// the Links window counts it. The IGate sends nothing before the server has
// verified the login; a line that meets a lost connection is lost with it.
void AprsIsLink::sendGated(const std::string& line) {
  if (!tcp_.isUp() || state_ != Login::Verified) return;
  bool fresh = false;
  if (std::shared_ptr<ByteStream> stream = tcp_.connected(&fresh)) stream->write(line + "\r\n");
}

void AprsIsLink::finish() { tcp_.close(); }

std::unique_ptr<LinkKind> makeAprsIsLink(LinkSetup& setup) {
  const StationSettings& s = setup.settings;
  return std::make_unique<AprsIsLink>(setup.spec.host, setup.spec.port,
                                      AprsIsLogin{s.callsign.str(), s.aprsIsReceiveOnly != 0, s.aprsIsFilter.str(),
                                                  setup.latitudeDeg, setup.longitudeDeg});
}

}  // namespace tervane
