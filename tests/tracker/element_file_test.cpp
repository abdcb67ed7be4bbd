#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tracker/element_file.h"

namespace tervane {
namespace {

const std::string kLine1A = "1 07530U 74089B   21194.18781552 -.00000047  00000-0 -76675-5 0  9996\n";
const std::string kLine2A = "2 07530 101.8551 168.6648 0012147 334.9161  93.8044 12.53649366135191\n";
const std::string kLine1B = "1 43017U 17073E   21193.53829711  .00000061  00000-0  39321-4 0  9990\n";
const std::string kLine2B = "2 43017  97.7112 186.5346 0025155 146.2530 214.0254 14.82036826195601\n";

struct ScanCase {
  const char* what;
  std::string text;
  std::vector<std::pair<std::string, std::int32_t>> records;  // name, catalog number
};

TEST(ElementFileScan, RecognisesSetsAndNamesThemByThePrecedingLine) {
  const std::string name40 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
  const std::string body1 = kLine1A.substr(0, 69);
  const ScanCase cases[] = {
      {"three-line sets", "AO-7  \n" + kLine1A + kLine2A + "FO-99\n" + kLine1B + kLine2B,
       {{"AO-7  ", 7530}, {"FO-99", 43017}}},
      {"two-line sets only: the first has no record, the next is named by the line before",
       kLine1A + kLine2A + kLine1B + kLine2B, {{kLine2A.substr(0, 31), 43017}}},
      {"a blank line before the set becomes its name", "AO-7\n\n" + kLine1A + kLine2A, {{"", 7530}}},
      {"a comment line before the set becomes its name", "AO-7\n# new\n" + kLine1A + kLine2A, {{"# new", 7530}}},
      {"a 40-character name is cut to 31", name40 + "\n" + kLine1A + kLine2A, {{name40.substr(0, 31), 7530}}},
      {"a 130-character name line is read as 127 + 3 characters, the second piece names the set",
       std::string(127, 'x') + "END\n" + kLine1A + kLine2A, {{"END", 7530}}},
      {"a name line of exactly 127 characters leaves an empty piece as the name",
       std::string(127, 'y') + "\n" + kLine1A + kLine2A, {{"", 7530}}},
      {"duplicate catalog numbers are both listed", "ONE\n" + kLine1A + kLine2A + "TWO\n" + kLine1A + kLine2A,
       {{"ONE", 7530}, {"TWO", 7530}}},
      {"CR LF line ends read as one line end", "AO-7\r\n" + body1 + "\r\n" + kLine2A, {{"AO-7", 7530}}},
      {"tags must be exactly \"1 \" and \"2 \"", "X\n1" + kLine1A.substr(2) + kLine2A + "Y\n" + kLine1A + "2x" +
       kLine2A.substr(2), {}},
      {"an element line of 126 characters fits one read", "N\n" + body1 + std::string(57, ' ') + "\n" + kLine2A,
       {{"N", 7530}}},
      {"one more character and its line end is a line of its own",
       "N\n" + body1 + std::string(58, ' ') + "\n" + kLine2A, {}},
      {"no line end after the last line", "AO-7\n" + kLine1A + kLine2A.substr(0, 69), {{"AO-7", 7530}}},
      {"empty file", "", {}},
  };
  for (const ScanCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<ElementRecord> records = scanElementText(c.text);
    ASSERT_EQ(records.size(), c.records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
      EXPECT_EQ(records[i].name.str(), c.records[i].first);
      EXPECT_EQ(records[i].catalogNumber, c.records[i].second);
    }
  }
}

TEST(ElementFileScan, ReadsAFileKeepingLineEndsAndYieldsNothingForAMissingOne) {
  const std::string path = ::testing::TempDir() + "tervane_element_scan.txt";
  std::ofstream(path, std::ios::binary) << "AO-7\r\n" << kLine1A.substr(0, 69) << "\r\n" << kLine2A;
  const auto records = scanElementFile(path);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].line1.str(), kLine1A);
  EXPECT_EQ(records[0].line2.str(), kLine2A);
  std::remove(path.c_str());
  EXPECT_TRUE(scanElementFile(path).empty());
}

}  // namespace
}  // namespace tervane
