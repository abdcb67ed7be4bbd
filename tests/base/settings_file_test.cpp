// The settings file on disk: damaged files load as defaults for whatever
// cannot be read, and a save killed at any moment leaves either the old or
// the new file whole, never a half-written one.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "base/profile_file.h"
#include "base/station_settings.h"
#include "platform/qt_profile_store.h"

namespace tervane {
namespace {

// Sixteen of each slot entry, the 24 original single entries and the 9 added
// for the link kinds and gpsd.
constexpr std::size_t kEntriesPerSave = 16 * 8 + 24 + 9 + 1 + 3 * 4 + 2;

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

std::size_t savedEntries(const QByteArray& bytes) {
  std::size_t n = 0;
  for (const ProfileEntry& e : parseProfileText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    if (e.section == "Version 1.0") ++n;
  }
  return n;
}

void saveWithCallsign(const QString& path, const std::string& call) {
  QtProfileStore store(path);
  StationSettings s;
  s.load(store);
  s.callsign = call;
  s.message = std::string(60, 'm');
  s.save(store);
  store.flush();
}

TEST(SettingsFile, DamagedFilesLoadWhatCanBeRead) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("TervaneAPRS.conf"));
  saveWithCallsign(path, "N0CALL");
  const QByteArray whole = readFile(path);
  ASSERT_EQ(savedEntries(whole), kEntriesPerSave);

  std::mt19937 random(3);
  QByteArray garbage(4000, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  struct Row {
    const char* name;
    QByteArray bytes;
    const char* callsign;  // what the damaged file still gives
  };
  const Row rows[] = {
      {"empty file", QByteArray(), ""},
      {"truncated in the middle", whole.left(whole.size() / 2), "N0CALL"},
      {"truncated inside a quoted text", whole.left(whole.indexOf("callsign=\"N0") + 12), ""},
      {"garbage bytes", garbage, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    writeFile(path, r.bytes);
    QtProfileStore store(path);
    StationSettings s;
    s.load(store);
    EXPECT_EQ(s.callsign, r.callsign);
    EXPECT_EQ(s.tncType, 3);
    EXPECT_EQ(s.beaconInterval, "30.0");
    EXPECT_EQ(s.satelliteLeadTime[15], 18);
  }
}

// A file that cannot be read, or a save that cannot be written, is reported
// with its reason; a readable file and a first run report nothing.
TEST(SettingsFile, ProblemsAreReportedWithTheirReason) {
  struct Row {
    const char* name;
    const char* setUp;  // what stands where the settings file and its folder go
    const char* readProblem;
    const char* writeProblem;
  };
  const Row rows[] = {
      {"a readable file", "file", "", ""},
      {"no file yet", "nothing", "", ""},
      {"the file is a folder", "folder at file", "it is a folder, not a file", "it is a folder, not a file"},
      {"the folder is a file", "file at folder", "", "cannot be made: Not a directory"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("TervaneWare"));
    const QString path = folder + QStringLiteral("/TervaneAPRS.conf");
    const std::string setUp = r.setUp;
    if (setUp == "file") saveWithCallsign(path, "N0CALL");
    if (setUp == "folder at file") {
      ASSERT_TRUE(QDir().mkpath(path));
    }
    if (setUp == "file at folder") writeFile(folder, "not a folder");

    QtProfileStore store(path);
    EXPECT_EQ(store.location(), path.toStdString());
    EXPECT_EQ(store.readProblem(), r.readProblem);
    StationSettings s;
    s.load(store);
    EXPECT_EQ(s.callsign, setUp == "file" ? "N0CALL" : "");
    s.callsign = "N0NEW";
    s.save(store);
    const bool saved = store.flush();
    EXPECT_EQ(saved, *r.writeProblem == '\0');
    EXPECT_NE(store.writeProblem().find(r.writeProblem), std::string::npos) << store.writeProblem();
    if (!saved) {  // the operator clears the way and exits again
      if (setUp == "folder at file") {
        ASSERT_TRUE(QDir(path).removeRecursively());
      }
      if (setUp == "file at folder") {
        ASSERT_TRUE(QFile::remove(folder));
      }
      EXPECT_TRUE(store.flush());
      EXPECT_EQ(store.writeProblem(), "");
    }
    QtProfileStore again(path);
    EXPECT_EQ(again.readText("Version 1.0", "callsign", ""), "N0NEW");
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/.TervaneAPRS-probe")));
  }
}

TEST(SettingsFile, ASaveKilledAtAnyMomentLeavesAWholeFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("TervaneAPRS.conf"));
  saveWithCallsign(path, "N0CALL-0");
  std::mt19937 random(5);
  for (int round = 1; round <= 25; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) saveWithCallsign(path, "N0CALL-" + std::to_string(i % 10));
    }
    usleep(static_cast<useconds_t>(2000 + random() % 20000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    const QByteArray bytes = readFile(path);
    ASSERT_EQ(savedEntries(bytes), kEntriesPerSave) << "round " << round;
    QtProfileStore store(path);
    StationSettings s;
    s.load(store);
    EXPECT_EQ(s.callsign.str().rfind("N0CALL-", 0), 0u);
  }
  // No temporary files of interrupted saves are mistaken for settings.
  EXPECT_TRUE(QFile::exists(path));
}

}  // namespace
}  // namespace tervane
