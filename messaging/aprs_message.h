#pragma once
// APRS messages as information fields: ":ADDRESSEE:text{MM}AA". The
// addressee is padded with blanks to nine characters; the text is at most 67
// characters without '|', '~' or '{'; the message number MM is 1 to 5
// letters or digits; the reply-ack part "}AA" names the last message number
// the sender received from the addressee. Acknowledgements and rejections
// are messages whose text is "ack" or "rej" followed by exactly the
// characters after the '{' of the message they answer (reply-ack part
// included). Bulletins and announcements are messages to BLN0..BLN9,
// BLNA..BLNZ, and group bulletins to BLNnGROUP.

#include <optional>
#include <string>
#include <string_view>

namespace tervane {

inline constexpr std::size_t kMessageAddresseeLength = 9;
inline constexpr std::size_t kMessageTextLongest = 67;
inline constexpr std::size_t kMessageNumberLongest = 5;

struct AprsMessage {
  enum class Kind { Message, Ack, Rej, Bulletin, Announcement };
  Kind kind = Kind::Message;
  std::string addressee;  // blanks taken off the end
  std::string text;       // without the '{' part; for Ack and Rej, empty
  std::string number;     // the message number, empty when the message has none
  std::string replyAck;   // after '}', empty when there is none
  // Ack, Rej: what they answer, exactly the characters after "ack"/"rej".
  // Message: what an acknowledgement of it must carry ("MM" or "MM}AA").
  std::string answerId;
  // Bulletins: the group of a group bulletin ("WX" of BLN1WX); empty otherwise.
  std::string group;
};

// The message in an information field; nothing when the field is no
// message: no ':' at its start, an addressee that is not nine characters
// between two ':', or an acknowledgement or rejection without a number. A
// '{' part that is no valid message number (empty, more than five
// characters, other than letters and digits) leaves the message without a
// number, so it is never acknowledged.
std::optional<AprsMessage> readMessage(std::string_view info);

// Why a text cannot be sent as a message, in a few words; empty when it can.
std::string messageTextRefusal(std::string_view text);
// Why an addressee cannot be used; empty when it can (1 to 9 characters,
// letters, digits and '-').
std::string addresseeRefusal(std::string_view addressee);

// The information field of a message; replyAck may be empty.
std::string messageInfo(std::string_view addressee, std::string_view text, std::string_view number,
                        std::string_view replyAck);
// The information field of an acknowledgement or rejection of a message
// whose answerId is given.
std::string ackInfo(std::string_view addressee, std::string_view answerId);
std::string rejInfo(std::string_view addressee, std::string_view answerId);

// Message numbers from a counter kept in the settings: 1 ... 99999, then 1 again.
std::string messageNumberFrom(int counter);

}  // namespace tervane
