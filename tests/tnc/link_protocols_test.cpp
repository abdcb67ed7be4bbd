#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tnc/aprs_is.h"
#include "tnc/aprs_is_link.h"
#include "tnc/ax25.h"
#include "tnc/converse_text.h"
#include "tnc/kiss.h"
#include "tnc/link_choice.h"
#include "tnc/network_link.h"

namespace tervane {
namespace {

std::vector<std::uint8_t> frameOf(const std::string& source, const std::string& destination,
                                  const std::string& path, const std::string& info) {
  Ax25UiFrame f;
  f.source = *parseAx25Address(source);
  f.destination = *parseAx25Address(destination);
  f.digipeaters = *parseAx25Path(path);
  f.information = info;
  return encodeUiFrame(f);
}

// The monitor lines a byte stream from a KISS TNC yields.
std::vector<std::string> monitored(const std::vector<std::uint8_t>& bytes) {
  KissDeframer deframer;
  std::vector<std::string> lines;
  deframer.feed(bytes.data(), bytes.size(), [&lines](int, std::string_view payload) {
    if (auto f = readUiFrame(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()))
      lines.push_back(monitorLine(*f));
  });
  return lines;
}

std::vector<std::uint8_t> operator+(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Kiss, EveryByteValueSurvivesAndDamageNeverCostsTheNextFrame) {
  std::string allBytes;
  for (int b = 1; b < 256; ++b) allBytes.push_back(static_cast<char>(b == '\r' || b == '\n' ? ' ' : b));
  const auto good = kissDataFrame(frameOf("N0CALL-9", "APZTVA", "WIDE1-1,WIDE2-2", ">after"));
  const std::string goodLine = "N0CALL-9>APZTVA,WIDE1-1,WIDE2-2:>after";
  std::vector<std::uint8_t> repeated = frameOf("W1ABC", "APRS", "N1DIG-1,WIDE2-1", "!x");
  repeated[kAx25AddressBytes * 2 + 6] |= 0x80;  // N1DIG-1 has repeated the frame

  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> lines;
  };
  const std::vector<std::uint8_t> fend{kKissFend};
  std::vector<std::uint8_t> wrongControl = frameOf("K1AAA", "APRS", "", "x");
  wrongControl[kAx25AddressBytes * 2] = 0x13;
  std::vector<std::uint8_t> wrongPid = frameOf("K1AAA", "APRS", "", "x");
  wrongPid[kAx25AddressBytes * 2 + 1] = 0xCF;
  std::vector<std::uint8_t> brokenEscape = kissDataFrame(frameOf("K1AAA", "APRS", "", "x"));
  brokenEscape.insert(brokenEscape.begin() + 5, {kKissFesc, 0x41});
  const Case cases[] = {
      {"every byte value, FEND and FESC escaped",
       kissDataFrame(frameOf("N0CALL", "APRS", "", allBytes)),
       {"N0CALL>APRS:" + allBytes.substr(0, allBytes.find('\0'))}},
      {"a digipeater that repeated carries the star", kissDataFrame(repeated), {"W1ABC>APRS,N1DIG-1*,WIDE2-1:!x"}},
      {"frame longer than AX.25 allows", kissDataFrame(frameOf("K1AAA", "APRS", "", std::string(250, 'x')) +
                                                         std::vector<std::uint8_t>(100, 'y')) + good,
       {goodLine}},
      {"wrong control byte", kissDataFrame(wrongControl) + good, {goodLine}},
      {"wrong protocol byte", kissDataFrame(wrongPid) + good, {goodLine}},
      {"broken escape", brokenEscape + good, {goodLine}},
      {"garbage between frames", std::vector<std::uint8_t>{'n', 'o', 'i', 's', 'e'} + fend + good, {goodLine}},
      {"first frame without its leading FEND", std::vector<std::uint8_t>(good.begin() + 1, good.end()) + good,
       {goodLine, goodLine}},
      {"command frame (not data) is no packet",
       std::vector<std::uint8_t>{kKissFend, 0x01, 0x20, kKissFend} + good, {goodLine}},
      {"endless bytes without FEND", std::vector<std::uint8_t>(5000, 'z') + fend + good, {goodLine}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(monitored(c.bytes), c.lines);
    // The same bytes a few at a time, as a serial port delivers them.
    KissDeframer deframer;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < c.bytes.size(); at += 3) {
      deframer.feed(c.bytes.data() + at, std::min<std::size_t>(3, c.bytes.size() - at),
                    [&lines](int, std::string_view payload) {
                      if (auto f = readUiFrame(reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()))
                        lines.push_back(monitorLine(*f));
                    });
    }
    EXPECT_EQ(lines, c.lines);
  }
}

// What a KISS or APRS-IS link makes of the texts written for a text-mode TNC.
TEST(ConverseText, LinesBecomeFramesAndTheTncsCommandsSetCallAndPath) {
  ConverseTextReader reader;
  std::vector<ConverseTextReader::Item> items;
  for (const char* text : {"\x03MYCALL N0CALL-9\r", "UNPROTO APRS VIA WIDE1-1,WIDE2-1\r", "B E 0\r", "conv\r",
                           "typed line\r", "\x03" "conv\r/071200z4221.61N/07103.53W-PHG5230/CQ\r", "part ",
                           "of a line\r", "\x03", "\x03UNPROTO APRS\r"}) {
    for (auto& item : reader.feed(text)) items.push_back(std::move(item));
  }
  std::vector<std::string> frames;
  std::vector<std::string> commands;
  for (const auto& item : items) (item.isCommand ? commands : frames).push_back(item.text);
  EXPECT_EQ(frames, (std::vector<std::string>{"typed line", "/071200z4221.61N/07103.53W-PHG5230/CQ", "part of a line"}));
  ASSERT_EQ(commands.size(), 4u);
  EXPECT_TRUE(reader.inCommandMode());
  const auto call = readLinkCommand(commands[0]);
  ASSERT_TRUE(call);
  EXPECT_EQ(call->kind, LinkCommand::MyCall);
  EXPECT_EQ(call->argument, "N0CALL-9");
  const auto path = readLinkCommand(commands[1]);
  ASSERT_TRUE(path);
  EXPECT_EQ(path->argument, "WIDE1-1,WIDE2-1");
  EXPECT_FALSE(readLinkCommand(commands[2]));
  EXPECT_EQ(readLinkCommand(commands[3])->argument, "");
  EXPECT_FALSE(parseAx25Path("WIDE1-1,TOOLONGCALL"));
  EXPECT_FALSE(parseAx25Path("WIDE2-16"));
  EXPECT_EQ(parseAx25Path("RELAY, WIDE")->size(), 2u);
}

// N0CALL's passcode 13023 is the one APRS-IS documentation and many
// programs' tests give; case and SSID do not change a passcode.
TEST(AprsIs, PasscodeLoginAndTheServersAnswer) {
  EXPECT_EQ(aprsIsPasscode("N0CALL"), 13023);
  EXPECT_EQ(aprsIsPasscode("n0call-9"), 13023);
  EXPECT_NE(aprsIsPasscode("N0CALM"), 13023);
  EXPECT_EQ(aprsIsLoginLine("n0call-9", 13023, "1.0.0", "r/42.36/-71.06/100"),
            "user N0CALL-9 pass 13023 vers TervaneAPRS 1.0.0 filter r/42.36/-71.06/100\r\n");
  EXPECT_EQ(aprsIsLoginLine("N0CALL", -1, "1.0.0", ""), "user N0CALL pass -1 vers TervaneAPRS 1.0.0\r\n");
  EXPECT_EQ(defaultAprsIsFilter(-33.8688, 151.2093), "r/-33.87/151.21/100");
  // A station without a callsign of its own can only listen.
  EXPECT_EQ(AprsIsLink("localhost", 14580, AprsIsLogin{"", false, "", 42.36, -71.06}).loginLine(),
            "user N0CALL pass -1 vers TervaneAPRS 1.0.0 filter r/42.36/-71.06/100\r\n");
  struct Row {
    const char* line;
    bool answers, verified, refused;
  };
  const Row rows[] = {
      {"# logresp N0CALL verified, server T2TEST", true, true, false},
      {"# logresp N0CALL unverified, server T2TEST", true, false, false},
      {"# Invalid login string, closing connection", true, false, true},
      {"# aprsc 2.1.14-g5e22b37 7 Dec 2026 12:00:00 GMT T2TEST 10.0.0.1:14580", false, false, false},
      {"N0CALL>APRS:# not a comment line", false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    const std::optional<LoginAnswer> a = readLoginAnswer(r.line);
    ASSERT_EQ(a.has_value(), r.answers);
    if (!a) continue;
    EXPECT_EQ(a->verified, r.verified);
    EXPECT_EQ(a->refused, r.refused);
  }
}

// What an APRS-IS server's bytes become, whole and in the pieces a TCP
// read may bring; "(too long)" marks where the reader reports a line it
// drops.
TEST(NetworkLineReader, AnyLineEndCutsZeroBytesGoAndOverlongLinesAreDroppedWhole) {
  using namespace std::string_literals;
  const std::string longest(NetworkLineReader::kLongestLine, 'x');
  struct Row {
    const char* what;
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"LF alone ends a line", "K1AAA>APRS:one\nK1AAA>APRS:two\n", {"K1AAA>APRS:one\r\n", "K1AAA>APRS:two\r\n"}},
      {"CR alone ends a line", "K1AAA>APRS:one\rK1AAA>APRS:two\r", {"K1AAA>APRS:one\r\n", "K1AAA>APRS:two\r\n"}},
      {"CR LF, LF CR and empty lines between end one line each", "a\r\nb\n\rc\r\n\r\n\n\nd\r\n",
       {"a\r\n", "b\r\n", "c\r\n", "d\r\n"}},
      {"a line without its end waits for it", "K1AAA>APRS:one\nK1AAA>APRS:tw", {"K1AAA>APRS:one\r\n"}},
      {"zero bytes are taken out, the text around them kept",
       "K1AAA>APRS:before\0after\n\0\0\0K1BBB>APRS:next\n\0\0\n"s,
       {"K1AAA>APRS:beforeafter\r\n", "K1BBB>APRS:next\r\n"}},
      {"the longest line is kept", longest + "\n", {longest + "\r\n"}},
      {"one byte more drops the line whole, said once", longest + "yz\n# comment\n",
       {"(too long)", "# comment\r\n"}},
      {"an endless line is dropped up to its end and not glued to the next",
       "K1AAA>APRS:a\n" + std::string(100000, 'y') + "tail\r\nK1BBB>APRS:b\r\n",
       {"K1AAA>APRS:a\r\n", "(too long)", "K1BBB>APRS:b\r\n"}},
      {"zero bytes do not count towards the length", std::string(100, '\0') + longest + "\n", {longest + "\r\n"}},
      {"every byte but CR, LF and zero passes", "\x01\x7f\x80\xc3\xbc\xff\n", {"\x01\x7f\x80\xc3\xbc\xff\r\n"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    for (const std::size_t piece : {r.bytes.size(), std::size_t{1}, std::size_t{7}}) {
      NetworkLineReader reader;
      std::vector<std::string> lines;
      const auto onLine = [&lines](std::string_view l) { lines.emplace_back(l); };
      const auto onTooLong = [&lines] { lines.emplace_back("(too long)"); };
      for (std::size_t at = 0; at < r.bytes.size(); at += piece) {
        reader.feed(std::string_view(r.bytes).substr(at, piece), onLine, onTooLong);
      }
      EXPECT_EQ(lines, r.lines) << "read " << piece << " bytes at a time";
    }
  }
  // A new connection does not finish the last one's line.
  NetworkLineReader reader;
  std::vector<std::string> lines;
  const auto onLine = [&lines](std::string_view l) { lines.emplace_back(l); };
  const auto onTooLong = [&lines] { lines.emplace_back("(too long)"); };
  reader.feed("K1AAA>APRS:cut off", onLine, onTooLong);
  reader.reset();
  reader.feed("K1BBB>APRS:b\n", onLine, onTooLong);
  EXPECT_EQ(lines, std::vector<std::string>{"K1BBB>APRS:b\r\n"});
}

TEST(LinkChoice, TheEnvironmentNamesOneLinkForOneRun) {
  struct Row {
    const char* text;
    bool valid;
    LinkType type;
    int com;
    const char* host;
    int port;
  };
  const Row rows[] = {
      {"tnc:COM1", true, LinkType::TextTnc, 1, "", 0},
      {"kiss:COM3", true, LinkType::KissSerial, 3, "", 0},
      {"kiss-tcp:localhost:8001", true, LinkType::KissTcp, 1, "localhost", 8001},
      {"aprs-is:rotate.aprs2.net:14580", true, LinkType::AprsIs, 1, "rotate.aprs2.net", 14580},
      {"kiss-tcp:[::1]:8001", true, LinkType::KissTcp, 1, "::1", 8001},
      {"kiss:COM5", false, LinkType::TextTnc, 0, "", 0},
      {"kiss-tcp:localhost", false, LinkType::TextTnc, 0, "", 0},
      {"kiss-tcp:localhost:99999", false, LinkType::TextTnc, 0, "", 0},
      {"agw:localhost:8000", false, LinkType::TextTnc, 0, "", 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.text);
    const std::optional<LinkSpec> spec = parseLinkOverride(r.text);
    ASSERT_EQ(spec.has_value(), r.valid);
    if (!r.valid) continue;
    EXPECT_EQ(spec->type, r.type);
    if (r.port == 0) {
      EXPECT_EQ(spec->comNumber, r.com);
    }
    EXPECT_EQ(spec->host, r.host);
    EXPECT_EQ(spec->port, r.port);
  }
  // The table's order is the stored linkType's and the dialog's: row i is
  // the kind a settings file with linkType=i opens, and the console names
  // each kind as it always has.
  const char* const described[] = {"text-mode TNC on COM2", "KISS TNC on COM2", "KISS over TCP to localhost:8001",
                                   "APRS-IS server localhost:8001"};
  ASSERT_EQ(linkKinds().size(), std::size(described));
  for (std::size_t i = 0; i < linkKinds().size(); ++i) {
    const LinkKindEntry& kind = linkKinds()[i];
    SCOPED_TRACE(kind.overridePrefix);
    EXPECT_EQ(kind.type, linkTypeFromIndex(static_cast<std::int32_t>(i)));
    const bool serial = kind.endpoint == LinkEndpoint::SerialPort;
    const std::optional<LinkSpec> spec =
        parseLinkOverride(std::string(kind.overridePrefix) + (serial ? ":COM2" : ":localhost:8001"));
    ASSERT_TRUE(spec.has_value());
    EXPECT_EQ(spec->type, kind.type);
    EXPECT_EQ(describeLink(*spec), described[i]);
  }
}

}  // namespace
}  // namespace tervane
