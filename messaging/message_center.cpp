#include "messaging/message_center.h"

#include <algorithm>
#include <cctype>

#include "base/text_format.h"

namespace tervane {

namespace {

constexpr std::int64_t kAckPaceSeconds = 30;
constexpr std::size_t kMostAcksPerMinute = 10;


}  // namespace

MessageCenter::MessageCenter(std::string ownCall, Options options) : ownCall_(upperAscii(ownCall)), options_(options) {}

std::uint64_t MessageCenter::send(const std::string& to, const std::string& text, const std::string& number,
                                  std::int64_t nowUnix) {
  OwnMessage m;
  m.id = nextId_++;
  m.to = upperAscii(to);
  m.text = text;
  m.number = number;
  m.createdUnix = nowUnix;
  m.nextUnix = nowUnix;
  own_.push_back(std::move(m));
  return own_.back().id;
}

bool MessageCenter::outstandingTo(const std::string& to, std::uint64_t except) const {
  return std::any_of(own_.begin(), own_.end(), [&](const OwnMessage& m) {
    return m.id != except && m.to == to && m.state == OwnMessageState::Sent;
  });
}

std::vector<std::string> MessageCenter::due(std::int64_t nowUnix) {
  std::vector<std::string> infos;
  for (OwnMessage& m : own_) {
    if (!m.open() || m.nextUnix > nowUnix) continue;
    if (m.state == OwnMessageState::Queued) {
      // One message per addressee at a time; the next waits its turn.
      if (outstandingTo(m.to, m.id)) continue;
      m.replyAck = lastNumberFrom(m.to);
    } else if (m.sends >= options_.maxSends) {
      m.state = OwnMessageState::GivenUp;
      continue;
    }
    infos.push_back(messageInfo(m.to, m.text, m.number, m.replyAck));
    ++m.sends;
    m.state = OwnMessageState::Sent;
    m.lastSentUnix = nowUnix;
    const std::int64_t gap = static_cast<std::int64_t>(options_.firstGapSeconds) << std::min(m.sends - 1, 20);
    m.nextUnix = nowUnix + gap;
  }
  return infos;
}

void MessageCenter::answer(const std::string& from, const std::string& id, OwnMessageState state, Reception& r) {
  for (OwnMessage& m : own_) {
    if (m.to != from || m.state != OwnMessageState::Sent) continue;
    // The whole id as sent; a station that answers with the number alone
    // is understood too.
    if (id != m.answerId() && id != m.number) continue;
    m.state = state;
    r.answered.push_back(m.id);
  }
}

MessageCenter::Reception MessageCenter::received(const std::string& from, const AprsMessage& message,
                                                 std::int64_t nowUnix) {
  Reception r;
  if (upperAscii(message.addressee) != ownCall_) return r;
  r.forUs = true;
  const std::string sender = upperAscii(from);
  if (message.kind == AprsMessage::Kind::Ack || message.kind == AprsMessage::Kind::Rej) {
    answer(sender, message.answerId,
           message.kind == AprsMessage::Kind::Ack ? OwnMessageState::Acknowledged : OwnMessageState::Rejected, r);
    return r;
  }
  // A reply-ack acknowledges the own message it names.
  if (!message.replyAck.empty()) answer(sender, message.replyAck, OwnMessageState::Acknowledged, r);

  const bool seen = std::any_of(inbox_.begin(), inbox_.end(), [&](const ReceivedMessage& m) {
    return m.from == sender && m.number == message.number && m.text == message.text && !message.number.empty();
  });
  if (!seen) {
    inbox_.push_back(ReceivedMessage{sender, message.text, message.number, nowUnix});
    r.isNew = true;
  }
  if (message.number.empty()) return r;
  lastNumber_[sender] = message.number;
  // Every copy is acknowledged (the sender may have missed the first ack),
  // paced per message and per sender.
  std::int64_t& last = lastAck_[sender + "{" + message.answerId];
  std::deque<std::int64_t>& recent = acksTo_[sender];
  while (!recent.empty() && recent.front() <= nowUnix - 60) recent.pop_front();
  if ((last != 0 && nowUnix - last < kAckPaceSeconds) || recent.size() >= kMostAcksPerMinute) return r;
  last = nowUnix;
  recent.push_back(nowUnix);
  r.ack = ackInfo(from, message.answerId);
  return r;
}

void MessageCenter::resendNow(std::uint64_t id, std::int64_t nowUnix) {
  for (OwnMessage& m : own_) {
    if (m.id != id) continue;
    if (m.state == OwnMessageState::GivenUp) {
      m.state = OwnMessageState::Sent;
      m.sends = std::max(0, options_.maxSends - 1);
    }
    if (m.open()) m.nextUnix = nowUnix;
  }
}

void MessageCenter::cancel(std::uint64_t id) {
  for (OwnMessage& m : own_) {
    if (m.id == id && m.open()) m.state = OwnMessageState::Cancelled;
  }
}

std::string MessageCenter::lastNumberFrom(const std::string& station) const {
  const auto it = lastNumber_.find(upperAscii(station));
  return it == lastNumber_.end() ? std::string() : it->second;
}

}  // namespace tervane
