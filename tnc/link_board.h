#pragma once
// What the Links window shows and asks of the links: every link with where
// it stands and what it carried, each opened and closed on its own, and the
// IGate. The TNC menu's links are the one implementation in the program; the
// guide's pictures use a made-up board.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "igate/packet_router.h"
#include "tnc/link_kind.h"

namespace tervane {

// One link as the Links window shows it.
struct LinkRow {
  std::string name;  // "KISS"
  std::string end;   // "kiss-tcp:127.0.0.1:8001"
  bool radio = true;
  bool transmits = true;
  bool running = false;
  LinkCondition condition = LinkCondition::Closed;
  std::string detail;      // where it is up, or why it is not
  int retrySeconds = 0;    // Retrying: seconds until the next attempt
  std::string lastError;   // the last reason it went down or failed
  bool verified = false;   // APRS-IS: the server verified the login
  std::uint64_t packetsIn = 0;
  std::uint64_t packetsOut = 0;
  std::uint64_t duplicates = 0;
};

class LinkBoard {
 public:
  virtual ~LinkBoard() = default;
  virtual std::vector<LinkRow> linkRows() const = 0;
  virtual void openLink(std::size_t index) = 0;
  virtual void closeLink(std::size_t index) = 0;
  // The further links of the settings were edited.
  virtual void linksEdited() = 0;
  virtual IgateCounts igateCounts() const = 0;
  // Why the IGate does not run; empty when it does.
  virtual std::string igateIdleReason() const = 0;
  virtual bool igateOn() const = 0;
  virtual void setIgateOn(bool on) = 0;
  // The IGate's path changed in the settings.
  virtual void igateSettingsChanged() = 0;
};

}  // namespace tervane
