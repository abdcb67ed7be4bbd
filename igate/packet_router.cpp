#include "igate/packet_router.h"

namespace tervane {

namespace {

constexpr std::int64_t kSameOnTwoLinksSeconds = 30;

std::string_view withoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

HeardHow heardHowOf(const Packet& packet, bool rf) {
  if (!rf) return HeardHow::AprsIs;
  return hopsUsed(packet) == 0 ? HeardHow::RfDirect : HeardHow::RfDigipeated;
}

}  // namespace

void PacketRouter::setIgate(std::optional<IgateSetup> setup) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (setup) {
    std::vector<std::string> own = setup->ownCalls;
    own.push_back(setup->login);
    up_ = std::make_unique<RfToIsGate>(setup->login, std::move(own));
    down_ = std::make_unique<IsToRfGate>(setup->login, setup->rfPath);
  } else {
    up_.reset();
    down_.reset();
  }
  setup_ = std::move(setup);
  counts_.on = setup_.has_value();
}

// A packet is the same when its source, destination and information field
// are: the path differs between the radio and APRS-IS.
bool PacketRouter::seenOnOtherLink(const Packet& packet, int link, std::int64_t nowUnix) {
  while (!seenOrder_.empty() && seenOrder_.front().first <= nowUnix - kSameOnTwoLinksSeconds) {
    const auto it = seen_.find(seenOrder_.front().second);
    if (it != seen_.end() && it->second.atUnix == seenOrder_.front().first) seen_.erase(it);
    seenOrder_.pop_front();
  }
  std::string key = packet.source + '>' + packet.destination + ':' + packet.info;
  const auto it = seen_.find(key);
  if (it != seen_.end() && it->second.atUnix > nowUnix - kSameOnTwoLinksSeconds) {
    return it->second.link != link;
  }
  seen_[key] = Seen{link, nowUnix};
  seenOrder_.emplace_back(nowUnix, std::move(key));
  return false;
}

void PacketRouter::refuse(const char* direction, const std::string& reason, std::uint64_t& count) {
  ++count;
  ++counts_.refusals[std::string(direction) + reason];
}

Reception PacketRouter::received(int link, bool rf, std::string_view line, std::int64_t nowUnix) {
  Reception r;
  const std::optional<Packet> packet = readMonitorLine(withoutLineEnd(line));
  if (!packet) return r;
  r.heard = heardHowOf(*packet, rf);
  std::optional<Outbound> out;
  Sender sender;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    r.duplicate = seenOnOtherLink(*packet, link, nowUnix);
    if (r.duplicate) ++counts_.duplicates;
    if (!setup_) return r;
    if (rf) {
      down_->heardOnRf(*packet, nowUnix);
      GateDecision d = up_->decide(*packet, nowUnix);
      if (!d.gate) {
        refuse("RF>IS: ", d.reason, counts_.refusedToIs);
        return r;
      }
      out = Outbound(Outbound::Kind::GatedToIs, std::move(d.line));
      sender = setup_->toIs;
    } else {
      down_->heardOnIs(*packet, nowUnix);
      if (!setup_->toRf) return r;
      GateDecision d = down_->decide(*packet, nowUnix);
      if (!d.gate) {
        refuse("IS>RF: ", d.reason, counts_.refusedToRf);
        return r;
      }
      out = Outbound(Outbound::Kind::GatedToRf, std::move(d.packet.info));
      for (const PathEntry& hop : d.packet.path) out->path += (out->path.empty() ? "" : ",") + hop.call;
      sender = setup_->toRf;
    }
  }
  // Posted outside the lock: the sender takes the link's own locks.
  const bool up = out->kind == Outbound::Kind::GatedToIs;
  const bool sent = sender && sender(std::move(*out));
  std::lock_guard<std::mutex> lock(mutex_);
  if (sent) {
    ++(up ? counts_.gatedToIs : counts_.gatedToRf);
  } else {
    refuse(up ? "RF>IS: " : "IS>RF: ", "the link cannot send now", up ? counts_.refusedToIs : counts_.refusedToRf);
  }
  return r;
}

IgateCounts PacketRouter::counts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return counts_;
}

}  // namespace tervane
