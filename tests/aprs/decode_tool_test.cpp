// Runs the built tervane-decode program on a few monitor lines and checks its
// output column by column.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct RunResult {
  int exitCode = -1;
  std::string out;
};

RunResult runTool(const std::string& arguments, const std::string& input) {
  char inputPath[] = "/tmp/tervane-decode-inputXXXXXX";
  const int fd = mkstemp(inputPath);
  if (fd < 0) return {};
  close(fd);
  {
    std::ofstream file(inputPath, std::ios::binary);
    file << input;
  }
  const std::string command = std::string(TERVANE_DECODE_TOOL) + " " + arguments + " < " + inputPath + " 2>/dev/null";
  RunResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe != nullptr) {
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::remove(inputPath);
  return result;
}

// Columns 11 to 17 of a line without a position.
const std::string kNoReport = "\t\t\t\t\t\t\t0";

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start) + "<no newline>");
  return lines;
}

TEST(DecodeTool, PrintsOneTabSeparatedLinePerInputLine) {
  const std::string input =
      "N0CALL>APRS,WIDE2-2:!4237.14N/07120.83W>test\n"
      "N0CALL>APRS:@092345z4237.14N/07120.83W#PHG5132\r\n"
      "AB_C>APRS:!4237.14N/07120.83W-\n"
      "\n"
      "N0CALL>APRS:$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\r\n"
      "N0CALL>APRS:!4237.14N/07120.83W-PHG5\t1\n"
      "N1TEST>APRS:$GPRMC,1,A,42\x01" "37.14,N,07120.83,W,,,010124\n"
      "N0CALL>APRS:!4237.14N/07120.83W-" + std::string(3000, 'x') + "\n"
      "N1TEST>S32UVT:`(_fn\"Oj/]\"4T}=\n"
      "N1TEST>APRS:;LEADER   _092345z4903.50N/07201.75W>088/036\n"
      "N1TEST>APRS:=4903.  N/07201.  W-\n"
      "last line without newline>APRS:x";
  const RunResult run = runTool("--now 2024-06-15T00:05:09Z", input);
  ASSERT_EQ(run.exitCode, 0);
  const std::vector<std::string> expected = {
      "1\t1\tN0CALL\t42.619000 N\t 71.347167 W\t42.619000\t-71.347167\t\t\t6/15/2024 00:05:09"
      "\tplain\t\t/>\t\t\t\t0",
      "1\t1\tN0CALL\t42.619000 N\t 71.347167 W\t42.619000\t-71.347167\t6/14/2024 23:45\t5132\t6/15/2024 00:05:09"
      "\tplain\t\t/#\t\t\t\t0",
      "0\t0\t\t\t\t0.000000\t0.000000\t\t\t" + kNoReport,
      "0\t0\t\t\t\t0.000000\t0.000000\t\t\t" + kNoReport,
      "1\t1\tN0CALL\t48.117300 N\t 11.516667 E\t48.117300\t11.516667\t3/23/2094 12:35:19\t\t6/15/2024 00:05:09"
      "\tnmea\t\t\t84.4\t22.4\t\t0",
      "1\t1\tN0CALL\t42.619000 N\t 71.347167 W\t42.619000\t-71.347167\t\t5?1\t6/15/2024 00:05:09"
      "\tplain\t\t/-\t\t\t\t0",
      "1\t1\tN1TEST\t 0.700000 N\t 71.347167 W\t0.700000\t-71.347167\t1/1/2024 00:00:01\t\t6/15/2024 00:05:09"
      "\tnmea\t\t\t\t\t\t0",
      "1\t1\tN0CALL\t42.619000 N\t 71.347167 W\t42.619000\t-71.347167\t\t\t6/15/2024 00:05:09"
      "\tplain\t\t/-\t\t\t\t0",
      "1\t1\tN1TEST\t33.427333 N\t112.129000 W\t33.427333\t-112.129000\t\t\t6/15/2024 00:05:09"
      "\tmic-e\t\t/j\t251.0\t20.0\t200.1\t0",
      "1\t1\tN1TEST\t49.058333 N\t 72.029167 W\t49.058333\t-72.029167\t6/14/2024 23:45\t\t6/15/2024 00:05:09"
      "\tobject\tLEADER\t/>\t88.0\t36.0\t\t0",
      "1\t1\tN1TEST\t49.058333 N\t 72.025000 W\t49.058333\t-72.025000\t\t\t6/15/2024 00:05:09"
      "\tplain\t\t/-\t\t\t\t2",
      "0\t0\t\t\t\t0.000000\t0.000000\t\t\t" + kNoReport,
  };
  EXPECT_EQ(linesOf(run.out), expected);
}

TEST(DecodeTool, LinesAcrossReadBlocksDecodeWhole) {
  // Several MiB of input, so lines straddle the program's read blocks at
  // many different offsets.
  const std::vector<std::string> kLines = {
      "N0CALL>APRS:!4237.14N/07120.83W-PHG5132",
      "W1AW>APRS:@092345z4903.50S/07201.75E>moving along",
      "junk without a callsign",
      "N1TEST>APRS:>" + std::string(2500, 'x'),
  };
  std::string input;
  std::size_t count = 0;
  while (input.size() < 5u * 1024 * 1024) {
    input += kLines[count % kLines.size()];
    input += count % 3 == 0 ? "\r\n" : "\n";
    ++count;
  }
  const RunResult run = runTool("--now 2024-06-15T12:00:00Z", input);
  ASSERT_EQ(run.exitCode, 0);
  const std::vector<std::string> expected = {
      "1\t1\tN0CALL\t42.619000 N\t 71.347167 W\t42.619000\t-71.347167\t\t5132\t6/15/2024 12:00:00"
      "\tplain\t\t/-\t\t\t\t0",
      "1\t1\tW1AW\t49.058333 S\t 72.029167 E\t-49.058333\t72.029167\t6/15/2024 23:45\t\t6/15/2024 12:00:00"
      "\tplain\t\t/>\t\t\t\t0",
      "0\t0\t\t\t\t0.000000\t0.000000\t\t\t" + kNoReport,
      "1\t0\tN1TEST\t\t\t0.000000\t0.000000\t\t\t" + kNoReport,
  };
  const std::vector<std::string> out = linesOf(run.out);
  ASSERT_EQ(out.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    ASSERT_EQ(out[i], expected[i % expected.size()]) << "line " << i;
  }
}

TEST(DecodeTool, ControlBytesInInvalidLinesStayOnOneLine) {
  const RunResult run = runTool("--now=2024-06-15T12:00:00Z", "N0CALL>APRS:$GPRMC,1,A,\x7f\x02\r,N,,\n");
  ASSERT_EQ(run.exitCode, 0);
  EXPECT_EQ(linesOf(run.out), std::vector<std::string>{"1\t0\tN0CALL\t???\t\t0.000000\t0.000000\t\t\t" + kNoReport});
}

TEST(DecodeTool, OptionsAndExitStatus) {
  struct Row {
    const char* name;
    const char* arguments;
    int exitCode;
    bool printsUsage;
  };
  const Row kRows[] = {
      {"help", "--help", 0, true},
      {"unknown option", "--frobnicate", 2, false},
      {"missing time", "--now", 2, false},
      {"time without Z", "--now 2024-06-15T12:00:00", 2, false},
      {"impossible date", "--now 2023-02-29T12:00:00Z", 2, false},
      {"hour 24", "--now 2024-06-15T24:00:00Z", 2, false},
      {"valid time, empty input", "--now 2024-02-29T23:59:59Z", 0, false},
  };
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    const RunResult run = runTool(row.arguments, "");
    EXPECT_EQ(run.exitCode, row.exitCode);
    EXPECT_EQ(run.out.find("Usage: tervane-decode") != std::string::npos, row.printsUsage);
    if (!row.printsUsage) {
      EXPECT_EQ(run.out, "");
    }
  }
}

}  // namespace
