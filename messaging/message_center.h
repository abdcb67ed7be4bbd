#pragma once
// The station's conversations, without any window: own messages queued,
// sent and retried until acknowledged, rejected or given up; messages to the
// station taken once, acknowledged on the link they came on, and their
// reply-ack part read as an acknowledgement of an own message. Times are
// Unix seconds from the caller, so a made-up clock drives the tests.
//
// Retries: an own message goes out at once, then after 30 s, each gap
// doubling, 7 sends in all by default; one message per addressee is
// outstanding at a time, the next waits. After the last send the message is
// given up once one more gap has passed without an answer.
//
// Acknowledgements go out for every copy of a numbered message that arrives
// again, but at most once in 30 seconds per message, and at most 10 a minute
// to one sender, so a flood of messages never floods the air.

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "messaging/aprs_message.h"

namespace tervane {

enum class OwnMessageState { Queued, Sent, Acknowledged, Rejected, GivenUp, Cancelled };

struct OwnMessage {
  std::uint64_t id = 0;
  std::string to;
  std::string text;
  std::string number;
  std::string replyAck;  // fixed at the first send
  OwnMessageState state = OwnMessageState::Queued;
  int sends = 0;
  std::int64_t createdUnix = 0;
  std::int64_t lastSentUnix = 0;
  std::int64_t nextUnix = 0;  // the next send, or when it is given up
  // What an acknowledgement of it carries: "MM" or "MM}AA".
  std::string answerId() const { return replyAck.empty() ? number : number + "}" + replyAck; }
  bool open() const { return state == OwnMessageState::Queued || state == OwnMessageState::Sent; }
};

struct ReceivedMessage {
  std::string from;
  std::string text;
  std::string number;
  std::int64_t atUnix = 0;
};

class MessageCenter {
 public:
  struct Options {
    int maxSends = 7;
    int firstGapSeconds = 30;
  };
  // ownCall: the station's callsign with its SSID; only messages to exactly
  // it are the station's.
  explicit MessageCenter(std::string ownCall) : MessageCenter(std::move(ownCall), Options{}) {}
  MessageCenter(std::string ownCall, Options options);

  // Queues an own message numbered `number`; its id.
  std::uint64_t send(const std::string& to, const std::string& text, const std::string& number, std::int64_t nowUnix);
  // The information fields due now: first sends and retries. Messages out of
  // sends whose last gap has passed are given up.
  std::vector<std::string> due(std::int64_t nowUnix);

  struct Reception {
    bool forUs = false;    // addressed to the station
    bool isNew = false;    // a message shown for the first time
    std::optional<std::string> ack;   // an acknowledgement to send back on the same link
    std::vector<std::uint64_t> answered;  // own messages this acknowledged or rejected
  };
  Reception received(const std::string& from, const AprsMessage& message, std::int64_t nowUnix);

  // "Resend now": the message goes out at the next due(), its count going on.
  void resendNow(std::uint64_t id, std::int64_t nowUnix);
  void cancel(std::uint64_t id);

  const std::deque<OwnMessage>& own() const { return own_; }
  const std::deque<ReceivedMessage>& inbox() const { return inbox_; }
  // The last number received from a station, for reply-acks; empty when none.
  std::string lastNumberFrom(const std::string& station) const;

 private:
  bool outstandingTo(const std::string& to, std::uint64_t except) const;
  void answer(const std::string& from, const std::string& id, OwnMessageState state, Reception& r);

  std::string ownCall_;
  Options options_;
  std::uint64_t nextId_ = 1;
  std::deque<OwnMessage> own_;
  std::deque<ReceivedMessage> inbox_;
  std::map<std::string, std::string> lastNumber_;              // by sender, upper case
  std::map<std::string, std::int64_t> lastAck_;                // by sender + answer id
  std::map<std::string, std::deque<std::int64_t>> acksTo_;     // by sender: times of acks, last minute
};

}  // namespace tervane
