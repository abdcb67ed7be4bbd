#pragma once
// The APRS Internet System as a link: a TCP connection to an APRS-IS server,
// logged in with the station's callsign and passcode and a filter that
// chooses the traffic. Every packet line the server sends is a monitored
// line; its comment lines ("# ...") are shown but not decoded. Lines end at
// CR, LF or CR LF; zero bytes in them are taken out, and a line too long
// for the worker is dropped with one console line. Reports go out as
// "CALL>APZTVA,TCPIP*:text", and only after the server has verified the
// login; otherwise the console says that nothing was sent. A dropped
// connection, a refused login or a server silent for two minutes brings a
// new connection after the back-off.

#include <chrono>
#include <memory>
#include <string>

#include "tnc/converse_text.h"
#include "tnc/link_kind.h"
#include "tnc/link_table.h"
#include "tnc/network_link.h"

namespace tervane {

struct AprsIsLogin {
  std::string callsign;  // the station's callsign; the login uses it in upper case
  bool receiveOnly = false;  // log in with passcode -1
  std::string filter;    // empty: 100 km around the station
  double latitudeDeg = 0;
  double longitudeDeg = 0;
};

class AprsIsLink final : public LinkKind {
 public:
  AprsIsLink(std::string host, int port, AprsIsLogin login);

  LinkStart start(LinkServices& services) override;
  bool receive(const LineHandler& onLine) override;
  void send(const Outbound& item) override;
  bool sendReport(std::string_view report) override;
  void finish() override;

  // The exact login line the link sends.
  std::string loginLine() const;

 private:
  using Clock = std::chrono::steady_clock;
  enum class Login { None, Sent, Verified, Unverified };
  void sendPacket(std::string_view information);
  void sendGated(const std::string& line);
  void takeComment(std::string_view line);

  ReconnectingTcp tcp_;
  AprsIsLogin login_;
  LinkServices* services_ = nullptr;
  Login state_ = Login::None;
  Clock::time_point lastHeard_{};
  NetworkLineReader lines_;
  ConverseTextReader converse_;
};

// The link table's maker: logged in with the station's callsign and filter,
// the default filter around the station's position.
std::unique_ptr<LinkKind> makeAprsIsLink(LinkSetup& setup);

}  // namespace tervane
