// The built simulator on a real pseudo-terminal, driven through the serial
// port layer the way the TNC worker drives a TNC.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/serial_port.h"

extern char** environ;

namespace tervane {
namespace {

using std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

long long msSince(SteadyClock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(SteadyClock::now() - start).count();
}

std::string scratchPath(const std::string& leaf) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "tncsim_" + info->name() + "_" + std::to_string(::getpid()) + "_" + leaf;
}

class Simulator {
 public:
  explicit Simulator(std::vector<std::string> options) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    std::vector<std::string> words{TERVANE_TNCSIM_PATH};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    stdout_ = out[0];
    devicePath_ = firstLine();
  }
  ~Simulator() {
    stop();
    if (stdout_ >= 0) ::close(stdout_);
  }
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  const std::string& devicePath() const { return devicePath_; }

  // Ends the simulator with SIGTERM; its exit status, or -1.
  int stop() {
    if (pid_ <= 0) return exitStatus_;
    ::kill(pid_, SIGTERM);
    int status = 0;
    if (::waitpid(pid_, &status, 0) == pid_ && WIFEXITED(status)) exitStatus_ = WEXITSTATUS(status);
    pid_ = -1;
    return exitStatus_;
  }

 private:
  std::string firstLine() {
    std::string line;
    const auto start = SteadyClock::now();
    while (msSince(start) < 5000) {
      pollfd out{stdout_, POLLIN, 0};
      if (::poll(&out, 1, 100) <= 0) continue;
      char c = 0;
      if (::read(stdout_, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return {};
  }

  pid_t pid_ = -1;
  int stdout_ = -1;
  int exitStatus_ = -1;
  std::string devicePath_;
};

// Reads in 16-byte reads, as the TNC worker does, until the text holds
// `needle` or the time limit passes.
std::string readUntil(SerialPort& port, const std::string& needle, int limitMs = 2000,
                      std::string text = {}) {
  const auto start = SteadyClock::now();
  while (text.find(needle) == std::string::npos && msSince(start) < limitMs) {
    std::uint8_t buffer[16];
    const std::size_t got = port.read(buffer, sizeof buffer);
    text.append(reinterpret_cast<const char*>(buffer), got);
  }
  return text;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream content;
  content << file.rdbuf();
  return content.str();
}

std::string waitForLog(const std::string& path, const std::string& needle, int limitMs = 2000) {
  const auto start = SteadyClock::now();
  std::string content = readFile(path);
  while (content.find(needle) == std::string::npos && msSince(start) < limitMs) {
    std::this_thread::sleep_for(milliseconds(10));
    content = readFile(path);
  }
  return content;
}

TEST(TncSimulator, AnswersTheProbeAndLogsASession) {
  const std::string logPath = scratchPath("log.txt");
  Simulator simulator({"--log", logPath});
  ASSERT_FALSE(simulator.devicePath().empty());
  SerialOpenResult opened = openSerialDevice(simulator.devicePath(), 9600);
  ASSERT_NE(opened.port, nullptr) << opened.error;
  SerialPort& port = *opened.port;

  ASSERT_TRUE(port.write(std::string("\x03\r\r")));
  std::uint8_t probe[16];
  const std::size_t answered = port.read(probe, sizeof probe);
  ASSERT_GT(answered, 0u) << "no answer within one 16-byte read";
  const std::string prompts = "\r\ncmd:\r\ncmd:\r\ncmd:";
  EXPECT_EQ(readUntil(port, prompts, 500, std::string(reinterpret_cast<char*>(probe), answered)),
            prompts);

  ASSERT_TRUE(port.write(std::string("\x03MYCALL N0CALL\r")));
  EXPECT_NE(readUntil(port, "was NOCALL").find("MYCALL   was NOCALL"), std::string::npos);
  ASSERT_TRUE(port.write(std::string("\x03UNPROTO APRS VIA WIDE2-1\r")));
  ASSERT_TRUE(port.write(std::string("nonsense\r")));
  EXPECT_NE(readUntil(port, "?EH").find("?EH"), std::string::npos);
  ASSERT_TRUE(port.write(std::string("conv\r")));
  ASSERT_TRUE(port.write(std::string("hello\r")));
  ASSERT_TRUE(port.write(std::string("bell\x07 and \\\r")));

  const std::string log = waitForLog(logPath, "TX\tbell");
  EXPECT_NE(log.find("LINK\topen\n"), std::string::npos) << log;
  EXPECT_NE(log.find("CMD\tMYCALL N0CALL\nCMD\tUNPROTO APRS VIA WIDE2-1\nCMD\tnonsense\n"
                     "CMD\tconv\nMODE\tconverse\nTX\thello\nTX\tbell\\x07 and \\x5C\n"),
            std::string::npos)
      << log;

  port.close();
  EXPECT_NE(waitForLog(logPath, "LINK\tclosed").find("LINK\tclosed"), std::string::npos);
  EXPECT_EQ(simulator.stop(), 0) << "SIGTERM ends the simulator cleanly";
}

TEST(TncSimulator, SurvivesTheProgramClosingAndReopeningTheDevice) {
  Simulator simulator({});
  ASSERT_FALSE(simulator.devicePath().empty());
  std::string previousCall = "NOCALL";
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    SerialOpenResult opened = openSerialDevice(simulator.devicePath(), 9600);
    ASSERT_NE(opened.port, nullptr) << opened.error;
    const std::string prompts = "\r\ncmd:\r\ncmd:\r\ncmd:";
    ASSERT_TRUE(opened.port->write(std::string("\x03\r\r")));
    EXPECT_EQ(readUntil(*opened.port, prompts, 1000), prompts);
    // The TNC keeps its settings across opens, and the answer is this round's.
    const std::string call = "N0CALL-" + std::to_string(round + 1);
    ASSERT_TRUE(opened.port->write("MYCALL " + call + "\r"));
    EXPECT_EQ(readUntil(*opened.port, "\r\ncmd:", 1000),
              "MYCALL " + call + "\r\nMYCALL   was " + previousCall + "\r\ncmd:");
    previousCall = call;
    if (round % 2 == 1) std::this_thread::sleep_for(milliseconds(100));
    opened.port->close();
  }
  EXPECT_EQ(simulator.stop(), 0);
}

TEST(TncSimulator, SilentTncLeavesTheProbeUnanswered) {
  const std::string trafficPath = scratchPath("traffic.txt");
  std::ofstream(trafficPath) << "N0CALL>APRS:>should never be heard\n";
  Simulator simulator({"--silent", "--traffic", trafficPath, "--rate", "0"});
  ASSERT_FALSE(simulator.devicePath().empty());
  SerialOpenResult opened = openSerialDevice(simulator.devicePath(), 9600);
  ASSERT_NE(opened.port, nullptr) << opened.error;
  ASSERT_TRUE(opened.port->write(std::string("\x03\r\r")));
  std::uint8_t buffer[16];
  EXPECT_EQ(opened.port->read(buffer, sizeof buffer), 0u);
  EXPECT_EQ(opened.port->read(buffer, sizeof buffer), 0u);
}

TEST(TncSimulator, TrafficLinesArriveWithTheChosenLineEnd) {
  struct Row {
    const char* name;
    std::vector<std::string> lineEndOption;
    const char* lineEnd;
  };
  const Row rows[] = {
      {"CR LF by default", {}, "\r\n"},
      {"lone CR", {"--line-end", "cr"}, "\r"},
      {"LF CR", {"--line-end", "lfcr"}, "\n\r"},
  };
  const std::string trafficPath = scratchPath("traffic.txt");
  std::ofstream(trafficPath, std::ios::binary)
      << "N0CALL>APRS,WIDE2-1:!4237.14N/07120.83W-PHG5132/test\r\n"
      << "\n"
      << "KB1XYZ>APRS:>status only\n"
      << "W1ABC-9>APRS,KB1XYZ*:@092345z4225.31N/07103.47W_220/004g005t058\n";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<std::string> options{"--traffic", trafficPath, "--rate", "0", "--count", "3"};
    options.insert(options.end(), row.lineEndOption.begin(), row.lineEndOption.end());
    Simulator simulator(options);
    ASSERT_FALSE(simulator.devicePath().empty());
    SerialOpenResult opened = openSerialDevice(simulator.devicePath(), 9600);
    ASSERT_NE(opened.port, nullptr) << opened.error;
    const std::string end = row.lineEnd;
    const std::string expected = "N0CALL>APRS,WIDE2-1:!4237.14N/07120.83W-PHG5132/test" + end +
                                 "KB1XYZ>APRS:>status only" + end +
                                 "W1ABC-9>APRS,KB1XYZ*:@092345z4225.31N/07103.47W_220/004g005t058" +
                                 end;
    std::string received = readUntil(*opened.port, "_220/004g005t058" + end);
    received += readUntil(*opened.port, "no more", 300);
    EXPECT_EQ(received, expected);
  }
}

}  // namespace
}  // namespace tervane
