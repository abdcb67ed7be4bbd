#pragma once
// What the station sends, as typed items, in the order the operator and the
// program produce them: typed lines, the Control and Converse buttons, own
// packets (position reports, QSL replies), a satellite pass's path and its
// end, and TNC > Initialize. Each link kind renders an item in its own form;
// only the text-mode TNC kind speaks the TNC's command language.
//
// Every run of a link has its own queue; producers on any thread post to the
// outbox, which hands an item to the queue of the run that is open, or says
// that none is.

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/station_settings.h"

namespace tervane {

struct Outbound {
  enum class Kind {
    TypedLine,   // text: what the operator typed, each line ending in CR
    Control,     // the Control button: the TNC to command mode
    Converse,    // the Converse button: the TNC back to converse mode
    Packet,      // text: the information field of a packet of the station's own
    PassStart,   // a satellite pass begins: its destination and path; the TNC's own beacon stops
    PassEnd,     // the pass is over: the station's own destination and path, and its own TNC beacon
    Initialize,  // TNC > Initialize with the settings as they are
    GatedToIs,   // text: a packet heard on RF, as the IGate sends it to APRS-IS ("SRC>DST,PATH,qAR,LOGIN:info")
    GatedToRf,   // text: a third-party information field ("}SRC>DST,TCPIP,IGATE*:..."); path: the IGate's RF path
  };
  Kind kind = Kind::TypedLine;
  std::string text;
  std::string destination;  // PassStart, PassEnd
  std::string path;         // PassStart, PassEnd
  // PassEnd: the TNC's own beacon period in tens of seconds when the TNC
  // beacons by itself; -1 when the PC beacons.
  int tncBeaconTens = -1;
  // Initialize: the settings, and whether the TNC may beacon by itself (a
  // station that is not set up has the TNC's beacon turned off).
  std::shared_ptr<const StationSettings> settings;
  bool tncBeaconAllowed = true;

  Outbound() = default;
  explicit Outbound(Kind k, std::string t = {}) : kind(k), text(std::move(t)) {}
  static Outbound typedLine(std::string text) { return Outbound(Kind::TypedLine, std::move(text)); }
  static Outbound packet(std::string information) { return Outbound(Kind::Packet, std::move(information)); }
};

// One run's items, taken by its worker without waiting.
class OutboundQueue {
 public:
  void post(Outbound item);
  std::optional<Outbound> take();

 private:
  std::mutex mutex_;
  std::deque<Outbound> items_;
};

// Where every producer posts: the queues of the link runs that are open
// (one for a single link's outbox, several for items every link sends).
class LinkOutbox {
 public:
  // False, and nothing queued, when no link run is open.
  bool post(Outbound item);
  // Replaces every queue by this one.
  void attach(std::shared_ptr<OutboundQueue> queue);
  void add(std::shared_ptr<OutboundQueue> queue);
  void remove(const std::shared_ptr<OutboundQueue>& queue);
  // TNC > Close: what has not been taken yet is dropped with the run.
  void detach();

 private:
  std::mutex mutex_;
  std::vector<std::shared_ptr<OutboundQueue>> queues_;
};

}  // namespace tervane
