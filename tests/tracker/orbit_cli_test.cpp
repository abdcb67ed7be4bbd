#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/text_format.h"
#include "tests/tracker/element_lines.h"
#include "tools/orbit/orbit_cli.h"
#include "tracker/element_file.h"
#include "tracker/pass_table.h"
#include "tracker/orbit_model.h"

namespace tervane {
namespace {

const testing::TestOrbit kFirst{"FIRST SAT", 91001, 21194.5, 51.64, 213.25, 0.0002, 155.1, 334.2, 15.4879};
const testing::TestOrbit kSecond{"SECOND SAT", 91002, 21194.5, 98.6, 34.3, 0.0008, 20.1, 340.0, 14.2955};
constexpr std::int64_t kStart = 1626220800;  // 2021-07-14T00:00:00Z

using Table = std::vector<std::vector<std::string>>;

class OrbitTool : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(path_, std::ios::binary) << testing::elementFileText(kFirst) << testing::elementFileText(kSecond);
  }
  void TearDown() override { std::remove(path_.c_str()); }

  int run(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return runOrbitTool(args, out_, err_);
  }

  Table table() const {
    Table rows;
    std::istringstream lines(out_.str());
    for (std::string line; std::getline(lines, line);) {
      std::istringstream cells(line);
      rows.emplace_back();
      for (std::string cell; std::getline(cells, cell, '\t');) rows.back().push_back(cell);
    }
    return rows;
  }

  static OrbitModel modelOf(const testing::TestOrbit& orbit) {
    const auto lines = testing::elementLines(orbit);
    OrbitModel model;
    model.loadElements(orbit.name, lines.first, lines.second);
    return model;
  }

  // One file per test: the tests run side by side as separate processes.
  std::string path_ = ::testing::TempDir() + "tervane_orbit_cli_" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(OrbitTool, LookPrintsEverySatelliteAtEveryInstantAsTheModelComputesIt) {
  ASSERT_EQ(run({"look", path_, "48.1", "11.6", "2021-07-14T00:00:00Z", "3", "600"}), 0);
  Table expected;
  for (const auto* orbit : {&kFirst, &kSecond}) {
    OrbitModel model = modelOf(*orbit);
    for (std::int64_t t = kStart; t < kStart + 1800; t += 600) {
      model.propagate(t);
      const LookAngles look = model.lookAngles(48.1, 11.6);
      expected.push_back({orbit->name, std::to_string(t)});
      for (double value : {model.xKm(), model.yKm(), model.zKm(), look.azimuthDeg, look.elevationDeg, look.rangeKm,
                           look.subLatitudeDeg, look.subLongitudeDeg, look.altitudeKm}) {
        expected.back().push_back(textf("%.6f", value));
      }
    }
  }
  EXPECT_EQ(table(), expected);
}

TEST_F(OrbitTool, CrossingsChainSearchesTwoSecondsAfterEachCrossing) {
  ASSERT_EQ(run({"crossings", path_, "48.1", "11.6", std::to_string(kStart), "4"}), 0);
  Table expected;
  for (const auto* orbit : {&kFirst, &kSecond}) {
    OrbitModel model = modelOf(*orbit);
    expected.push_back({orbit->name});
    std::int64_t from = kStart;
    for (int i = 0; i < 4; ++i) {
      const auto crossing = model.findCrossing(from, 48.1, 11.6);
      ASSERT_TRUE(crossing.has_value());
      expected.back().push_back(std::to_string(*crossing));
      from = *crossing + 2;
    }
  }
  EXPECT_EQ(table(), expected);
  ASSERT_EQ(run({"crossings", path_, "-89.5", "0", std::to_string(kStart), "3"}), 0);
  EXPECT_EQ(table().front(), (std::vector<std::string>{"FIRST SAT", "none"}));
}

TEST_F(OrbitTool, PassesPrintsThePassTableOfEverySatellite) {
  ASSERT_EQ(run({"passes", path_, "48.1", "11.6", "2021-07-14T00:00:00Z", "2"}), 0);
  std::vector<ElementRecord> satellites;
  for (const auto* orbit : {&kFirst, &kSecond}) satellites.push_back(scanElementText(testing::elementFileText(*orbit)).at(0));
  Table expected;
  for (const PassRow& row : passTable(satellites, 48.1, 11.6, kStart, 2)) {
    const SatellitePass& p = row.pass;
    expected.push_back({row.satellite == 0 ? "FIRST SAT" : "SECOND SAT", std::to_string(*p.riseUnix),
                        textf("%.2f", p.riseAzimuthDeg), std::to_string(p.culminationUnix),
                        textf("%.2f", p.maxElevationDeg), std::to_string(*p.setUnix), textf("%.2f", p.setAzimuthDeg)});
  }
  EXPECT_GT(expected.size(), 8u);
  EXPECT_EQ(table(), expected);
}

TEST_F(OrbitTool, RejectsBadArguments) {
  const std::vector<std::string> rows[] = {
      {},
      {"orbit", path_, "0", "0", "0"},
      {"look", path_, "91", "0", "0"},
      {"look", path_, "45", "east", "0"},
      {"look", path_, "45", "10", "yesterday"},
      {"look", path_, "45", "10", "0", "2", "0"},
      {"crossings", path_, "45", "10", "0", "0"},
      {"crossings", path_, "45", "10", "0", "1", "1"},
      {"passes", path_, "45", "10", "0"},
      {"passes", path_, "45", "10", "0", "0"},
      {"passes", path_, "45", "10", "0", "8"},
  };
  for (const auto& args : rows) {
    SCOPED_TRACE(args.empty() ? std::string("no arguments") : args[0] + " ... " + args.back());
    EXPECT_EQ(run(args), 2);
    EXPECT_TRUE(out_.str().empty());
    EXPECT_NE(err_.str().find("usage:"), std::string::npos);
  }
  EXPECT_EQ(run({"look", path_ + ".missing", "45", "10", "0"}), 1);
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_NE(out_.str().find("crossings FILE LAT LON START"), std::string::npos);
}

TEST(OrbitToolInstant, ReadsSecondsOrIsoUtc) {
  const std::pair<const char*, std::optional<std::int64_t>> rows[] = {
      {"1626220800", 1626220800},           {"-86400", -86400},
      {"2021-07-14T00:00:00Z", 1626220800}, {"2038-01-19T03:14:08Z", 2147483648LL},
      {"2000-02-29T23:59:59Z", 951868799},  {"2021-02-29T00:00:00Z", std::nullopt},
      {"2021-07-14 00:00:00", std::nullopt}, {"12abc", std::nullopt},
  };
  for (const auto& [text, seconds] : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(parseInstant(text), seconds);
  }
}

}  // namespace
}  // namespace tervane
