#include "platform/qt_profile_store.h"

#include <QIODevice>
#include <QMetaType>

#include "base/profile_file.h"

namespace tervane {

namespace {

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
}

QtProfileStore::QtProfileStore(const QString& filePath) {
  settings_ = std::make_unique<QSettings>(filePath, fileFormat());
  // A save goes to a new file that replaces the old one only when complete.
  settings_->setAtomicSyncRequired(true);
  indexKeys();
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

bool QtProfileStore::flush() {
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

}  // namespace tervane
