#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messaging/aprs_message.h"
#include "messaging/message_center.h"

namespace tervane {
namespace {

// Information fields as stations send them, and what is read from them.
TEST(AprsMessage, ReadsWhatStationsSend) {
  struct Row {
    const char* info;
    bool message;
    AprsMessage::Kind kind;
    const char* addressee;
    const char* text;
    const char* number;
    const char* replyAck;
    const char* answerId;
  };
  using K = AprsMessage::Kind;
  const Row rows[] = {
      {":K1TVA-10 :Hello there{42", true, K::Message, "K1TVA-10", "Hello there", "42", "", "42"},
      {":K1TVA-10 :Hello{MM}AA", true, K::Message, "K1TVA-10", "Hello", "MM", "AA", "MM}AA"},
      {":K1TVA-10 :Hello{MM}", true, K::Message, "K1TVA-10", "Hello", "MM", "", "MM}"},
      {":K1TVA-10 :no number at all", true, K::Message, "K1TVA-10", "no number at all", "", "", ""},
      {":K1TVA-10 :Tail {", true, K::Message, "K1TVA-10", "Tail {", "", "", ""},
      {":K1TVA-10 :Six {ABCDEF", true, K::Message, "K1TVA-10", "Six {ABCDEF", "", "", ""},
      {":K1TVA-10 :ack42", true, K::Ack, "K1TVA-10", "", "", "", "42"},
      {":K1TVA-10 :ackMM}AA", true, K::Ack, "K1TVA-10", "", "", "", "MM}AA"},
      {":K1TVA-10 :rej7", true, K::Rej, "K1TVA-10", "", "", "", "7"},
      {":BLN3     :Net tonight 8 pm", true, K::Bulletin, "BLN3", "Net tonight 8 pm", "", "", ""},
      {":BLN1WX   :Storm warning", true, K::Bulletin, "BLN1WX", "Storm warning", "", "", ""},
      {":BLNQ     :Hamfest Saturday", true, K::Announcement, "BLNQ", "Hamfest Saturday", "", "", ""},
      {":K1TVA-10 :", true, K::Message, "K1TVA-10", "", "", "", ""},
      // No message: an ack without a number, an addressee of 8 or 10
      // characters, a field cut short, no ':' first.
      {":K1TVA-10 :ack", false, K::Message, "", "", "", "", ""},
      {":K1TVA-10 :ack{x}", false, K::Message, "", "", "", "", ""},
      {":K1TVA-1 :Hello", false, K::Message, "", "", "", "", ""},
      {":K1TVA-10  :Hello", false, K::Message, "", "", "", "", ""},
      {":K1TVA", false, K::Message, "", "", "", "", ""},
      {"!4237.14N/07120.83W-", false, K::Message, "", "", "", "", ""},
      {":         :nobody", false, K::Message, "", "", "", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.info);
    const std::optional<AprsMessage> m = readMessage(r.info);
    ASSERT_EQ(m.has_value(), r.message);
    if (!m) continue;
    EXPECT_EQ(m->kind, r.kind);
    EXPECT_EQ(m->addressee, r.addressee);
    EXPECT_EQ(m->text, r.text);
    EXPECT_EQ(m->number, r.number);
    EXPECT_EQ(m->replyAck, r.replyAck);
    EXPECT_EQ(m->answerId, r.answerId);
  }
  EXPECT_EQ(messageInfo("W1XYZ", "Hi", "7", "AB"), ":W1XYZ    :Hi{7}AB");
  EXPECT_EQ(ackInfo("W1XYZ", "MM}AA"), ":W1XYZ    :ackMM}AA");
  EXPECT_EQ(messageTextRefusal(std::string(68, 'x')), "a message holds at most 67 characters");
  EXPECT_EQ(messageTextRefusal("a{b"), "a message cannot hold |, ~ or {");
  EXPECT_EQ(messageTextRefusal("bell\a"), "a message holds printable ASCII characters only");
  EXPECT_EQ(messageTextRefusal(std::string(67, 'x')), "");
  EXPECT_EQ(messageNumberFrom(99999), "99999");
  EXPECT_EQ(messageNumberFrom(100000), "1");
}

std::vector<std::int64_t> sendTimes(MessageCenter& c, std::int64_t from, std::int64_t to) {
  std::vector<std::int64_t> times;
  for (std::int64_t t = from; t <= to; ++t) {
    if (!c.due(t).empty()) times.push_back(t - from);
  }
  return times;
}

// A station that never answers: 7 sends, each gap twice the one before, then
// given up; the next message to it waited its turn all along.
TEST(MessageCenter, RetriesUntilGivenUpOneAtATime) {
  MessageCenter c("K1TVA-10");
  const std::uint64_t first = c.send("W1XYZ", "first", "1", 1000);
  const std::uint64_t second = c.send("W1XYZ", "second", "2", 1000);
  const std::uint64_t other = c.send("K9NOT", "elsewhere", "3", 1000);
  std::vector<std::string> atStart = c.due(1000);
  ASSERT_EQ(atStart.size(), 2u);
  EXPECT_EQ(atStart[0], ":W1XYZ    :first{1");
  EXPECT_EQ(atStart[1], ":K9NOT    :elsewhere{3");
  c.cancel(other);
  const std::vector<std::int64_t> times = sendTimes(c, 1001, 1000 + 30 * 127);
  // Retries at 30, 90, 210, 450, 930, 1890 s after the first send; the
  // second message goes out when the first is given up, 3810 s in.
  EXPECT_EQ(times, (std::vector<std::int64_t>{29, 89, 209, 449, 929, 1889, 3809}));
  EXPECT_EQ(c.own()[0].state, OwnMessageState::GivenUp);
  EXPECT_EQ(c.own()[0].sends, 7);
  EXPECT_EQ(c.own()[1].state, OwnMessageState::Sent);
  EXPECT_EQ(c.own()[2].state, OwnMessageState::Cancelled);
  (void)first;
  (void)second;
}

// Acknowledgements, rejections and reply-acks stop the retries of exactly
// the message they name; a stranger's ack or one for a number never sent
// changes nothing.
TEST(MessageCenter, AnswersStopTheRightMessage) {
  struct Row {
    const char* from;
    const char* answer;  // the answering station's information field
    OwnMessageState state;
  };
  const Row rows[] = {
      {"W1XYZ", ":K1TVA-10 :ack5", OwnMessageState::Acknowledged},
      {"w1xyz", ":K1TVA-10 :rej5", OwnMessageState::Rejected},
      {"W1XYZ", ":K1TVA-10 :Sure thing{9}5", OwnMessageState::Acknowledged},
      {"W1XYZ", ":K1TVA-10 :ack6", OwnMessageState::Sent},
      {"K9NOT", ":K1TVA-10 :ack5", OwnMessageState::Sent},
      {"W1XYZ", ":K1TVA-1  :ack5", OwnMessageState::Sent},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.answer);
    MessageCenter c("K1TVA-10");
    c.send("W1XYZ", "Are you there?", "5", 0);
    ASSERT_EQ(c.due(0).size(), 1u);
    c.received(r.from, *readMessage(r.answer), 10);
    EXPECT_EQ(c.own()[0].state, r.state);
    EXPECT_EQ(c.due(40).empty(), r.state != OwnMessageState::Sent);
  }
}

// Messages to the station: each new one shown once, every copy acknowledged
// on its link but at most once in 30 s per message and 10 a minute per
// sender, with the reply-ack part echoed; the next own message to that
// sender carries its last number as reply-ack.
TEST(MessageCenter, IncomingMessagesAreAckedWithoutFloodingTheAir) {
  MessageCenter c("K1TVA-10");
  const AprsMessage hello = *readMessage(":K1TVA-10 :Hello{MM}AA");
  MessageCenter::Reception r = c.received("W1XYZ", hello, 100);
  EXPECT_TRUE(r.isNew);
  ASSERT_TRUE(r.ack);
  EXPECT_EQ(*r.ack, ":W1XYZ    :ackMM}AA");
  r = c.received("W1XYZ", hello, 110);  // a copy: shown once, ack paced
  EXPECT_FALSE(r.isNew);
  EXPECT_FALSE(r.ack);
  r = c.received("W1XYZ", hello, 131);
  EXPECT_FALSE(r.isNew);
  EXPECT_TRUE(r.ack);
  EXPECT_FALSE(c.received("W1XYZ", *readMessage(":K1TVA-10X:Hello{MM}"), 200).forUs);
  EXPECT_FALSE(c.received("W1XYZ", *readMessage(":K1TVA-1  :Hello{MM}"), 200).forUs);
  EXPECT_FALSE(c.received("W1XYZ", *readMessage(":K1TVA-10 :no number"), 200).ack);

  int acks = 0;
  for (int i = 0; i < 1000; ++i) {
    acks += c.received("K1FLD", *readMessage(":K1TVA-10 :flood{" + std::to_string(i)), 1000).ack ? 1 : 0;
  }
  EXPECT_EQ(acks, 10);
  EXPECT_EQ(c.inbox().size(), 1002u);  // Hello, the unnumbered one, the flood

  c.send("W1XYZ", "Reply", "12", 300);
  EXPECT_EQ(c.due(300), std::vector<std::string>{":W1XYZ    :Reply{12}MM"});
}

}  // namespace
}  // namespace tervane
