#include "platform/qt_profile_store.h"

#include <QIODevice>
#include <QMetaType>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "base/profile_file.h"

namespace tervane {

namespace {

namespace fs = std::filesystem;

std::string errorText(int error) { return std::error_code(error, std::generic_category()).message(); }

// Why an existing settings file cannot be read; empty when it can be read or
// does not exist yet.
std::string whyUnreadable(const fs::path& file) {
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (status.type() == fs::file_type::not_found) return {};
  if (ec) return ec.message();
  if (fs::is_directory(status)) return "it is a folder, not a file";
  std::FILE* f = std::fopen(file.c_str(), "rb");
  if (f == nullptr) return errorText(errno);
  char buffer[4096];
  while (std::fread(buffer, 1, sizeof buffer, f) == sizeof buffer) {
  }
  const std::string why = std::ferror(f) != 0 ? errorText(errno) : std::string();
  std::fclose(f);
  return why;
}

// Why the settings file cannot be written, found by doing what a save does:
// make the folder, then write a new file beside the old one.
std::string whyUnwritable(const fs::path& file) {
  std::error_code ec;
  const fs::path folder = file.parent_path();
  fs::create_directories(folder, ec);
  if (ec) return "the folder " + folder.string() + " cannot be made: " + ec.message();
  if (fs::is_directory(file, ec)) return "it is a folder, not a file";
  if (fs::exists(file, ec)) {
    std::FILE* existing = std::fopen(file.c_str(), "r+");  // opened for writing, left unchanged
    if (existing == nullptr) return errorText(errno);
    std::fclose(existing);
  }
  const fs::path probe = folder / ".TervaneAPRS-probe";
  std::FILE* f = std::fopen(probe.c_str(), "w");
  if (f == nullptr) return errorText(errno);
  std::string why;
  if (std::fputs("; probe\n", f) < 0 || std::fflush(f) != 0) why = errorText(errno);
  std::fclose(f);
  fs::remove(probe, ec);
  return why.empty() ? "the file could not be replaced" : why;
}

QString keyOf(std::string_view section, std::string_view entry) {
  return QString::fromLatin1(section.data(), static_cast<qsizetype>(section.size())) + QLatin1Char('/') +
         QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
}

bool readProfile(QIODevice& device, QSettings::SettingsMap& map) {
  const QByteArray bytes = device.readAll();
  for (const ProfileEntry& e : parseProfileText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    const QString key = e.section.empty() ? QString::fromLatin1(e.name.c_str()) : keyOf(e.section, e.name);
    if (const int* n = std::get_if<int>(&e.value)) {
      map.insert(key, QVariant(*n));
    } else {
      const std::string& t = std::get<std::string>(e.value);
      map.insert(key, QVariant(QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size()))));
    }
  }
  return true;
}

bool writeProfile(QIODevice& device, const QSettings::SettingsMap& map) {
  std::vector<ProfileEntry> entries;
  for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
    const QString& key = it.key();
    const qsizetype slash = key.lastIndexOf(QLatin1Char('/'));
    ProfileEntry e;
    e.section = slash < 0 ? std::string() : key.left(slash).toLatin1().toStdString();
    e.name = (slash < 0 ? key : key.mid(slash + 1)).toLatin1().toStdString();
    if (it.value().typeId() == QMetaType::Int) {
      e.value = it.value().toInt();
    } else {
      e.value = it.value().toString().toLatin1().toStdString();
    }
    entries.push_back(std::move(e));
  }
  const std::string text = "; TervaneAPRS settings\n" + formatProfileText(entries);
  return device.write(text.data(), static_cast<qint64>(text.size())) == static_cast<qint64>(text.size());
}

}  // namespace

QSettings::Format QtProfileStore::fileFormat() {
  static const QSettings::Format format =
      QSettings::registerFormat(QStringLiteral("conf"), readProfile, writeProfile);
  return format;
}

QtProfileStore::QtProfileStore() {
#ifdef Q_OS_WIN
  settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("TervaneWare"),
                                          QStringLiteral("TervaneAPRS"));
#else
  settings_ = std::make_unique<QSettings>(fileFormat(), QSettings::UserScope, QStringLiteral("TervaneWare"),
                                          QStringLiteral("TervaneAPRS"));
#endif
  // A save goes to a new file that replaces the old one only when complete.
  settings_->setAtomicSyncRequired(true);
  indexKeys();
  checkReadable();
}

QtProfileStore::QtProfileStore(const QString& filePath) {
  settings_ = std::make_unique<QSettings>(filePath, fileFormat());
  // A save goes to a new file that replaces the old one only when complete.
  settings_->setAtomicSyncRequired(true);
  indexKeys();
  checkReadable();
}

bool QtProfileStore::isFile() const {
#ifdef Q_OS_WIN
  return false;
#else
  return true;
#endif
}

std::string QtProfileStore::location() const { return settings_->fileName().toLocal8Bit().toStdString(); }

void QtProfileStore::checkReadable() {
  if (isFile()) readProblem_ = whyUnreadable(fs::path(location()));
  if (readProblem_.empty() && settings_->status() != QSettings::NoError) readProblem_ = "it could not be read";
}

void QtProfileStore::indexKeys() {
  spelling_.clear();
  for (const QString& key : settings_->allKeys()) spelling_.insert({key.toLower(), key});
}

QString QtProfileStore::storedKey(std::string_view section, std::string_view entry) const {
  const QString key = keyOf(section, entry);
  const auto it = spelling_.find(key.toLower());
  return it == spelling_.end() ? key : it->second;
}

QString QtProfileStore::keyForWrite(std::string_view section, std::string_view entry) {
  const QString key = keyOf(section, entry);
  return spelling_.insert({key.toLower(), key}).first->second;
}

int QtProfileStore::readInt(std::string_view section, std::string_view entry, int defaultValue) const {
  const QVariant v = settings_->value(storedKey(section, entry));
  if (!v.isValid()) return defaultValue;
  const int type = v.typeId();
  if (type == QMetaType::Int || type == QMetaType::UInt || type == QMetaType::LongLong) return v.toInt();
  return defaultValue;
}

std::string QtProfileStore::readText(std::string_view section, std::string_view entry,
                                     std::string_view defaultValue) const {
  const QVariant v = settings_->value(storedKey(section, entry));
  if (!v.isValid() || v.typeId() != QMetaType::QString) return std::string(defaultValue);
  return v.toString().toLatin1().toStdString();
}

void QtProfileStore::writeInt(std::string_view section, std::string_view entry, int value) {
  settings_->setValue(keyForWrite(section, entry), QVariant(value));
}

void QtProfileStore::writeText(std::string_view section, std::string_view entry, std::string_view value) {
  settings_->setValue(keyForWrite(section, entry),
                      QVariant(QString::fromLatin1(value.data(), static_cast<qsizetype>(value.size()))));
}

// A QSettings object keeps the first error it met for good, so after a
// failed read or save the entries move to a fresh one, which tries anew.
void QtProfileStore::reopen() {
  std::vector<std::pair<QString, QVariant>> entries;
  for (const QString& key : settings_->allKeys()) entries.emplace_back(key, settings_->value(key));
  const QString name = settings_->fileName();
  const QSettings::Format format = settings_->format();
  settings_.reset();
  settings_ = std::make_unique<QSettings>(name, format);
  settings_->setAtomicSyncRequired(true);
  for (const auto& [key, value] : entries) settings_->setValue(key, value);
}

bool QtProfileStore::flush() {
  if (settings_->status() != QSettings::NoError) reopen();
  settings_->sync();
  writeProblem_.clear();
  if (settings_->status() == QSettings::NoError) return true;
  writeProblem_ = isFile() ? whyUnwritable(fs::path(location())) : "the settings could not be written";
  return false;
}

}  // namespace tervane
