#include "qt_settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zelkor {

namespace {
// "Software\Nalvik, Inc\Zelkor\Print Settings" -> "Print Settings";
// the top key itself -> "".
QString GroupOf(const std::string& key) {
  const std::string top = kTopKey;
  if (key.compare(0, top.size(), top) != 0) return QString::fromStdString(key);
  std::string rest = key.substr(top.size());
  while (!rest.empty() && rest.front() == '\\') rest.erase(rest.begin());
  return QString::fromStdString(rest).replace('\\', '/');
}

QString PathOf(const std::string& key, const std::string& name) {
  const QString group = GroupOf(key);
  const QString value = QString::fromStdString(name);
  return group.isEmpty() ? value : group + "/" + value;
}
}  // namespace

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            "Nalvik, Inc", "Zelkor")) {
  keepPrivate();
}

void QtSettingsStore::keepPrivate() const {
#ifndef _WIN32
  // The settings name the team's store (its server and user): for the
  // user's eyes alone. Later writes keep the file's rights.
  QFile file(settings_->fileName());
  if (file.exists()) file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
}

bool QtSettingsStore::keyExists(const std::string& key) const {
  const QString group = GroupOf(key);
  if (group.isEmpty()) {
#ifdef _WIN32
    QSettings parent("HKEY_CURRENT_USER\\Software\\Nalvik, Inc", QSettings::NativeFormat);
    return parent.childGroups().contains("Zelkor");
#else
    return QFileInfo::exists(settings_->fileName());
#endif
  }
  settings_->sync();
  return settings_->childGroups().contains(group.section('/', 0, 0));
}

bool QtSettingsStore::createKey(const std::string& key) {
  if (!GroupOf(key).isEmpty()) return true;  // sub-keys come with their first value
#ifdef _WIN32
  settings_->setValue(".created", QString());
  settings_->remove(".created");
  settings_->sync();
  return settings_->status() == QSettings::NoError;
#else
  const QString file = settings_->fileName();
  if (QFileInfo::exists(file)) return true;
  QDir().mkpath(QFileInfo(file).absolutePath());
  // The key is the file: an empty one is whole, so no temporary is needed.
  QFile f(file);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.close();
  keepPrivate();
  return true;
#endif
}

SettingsValue QtSettingsStore::read(const std::string& key, const std::string& name) const {
  settings_->sync();
  SettingsValue v;
  if (settings_->status() == QSettings::FormatError) {
    v.status = ReadStatus::Unreadable;
    return v;
  }
  const QString path = PathOf(key, name);
  if (!settings_->contains(path)) {
    v.status = ReadStatus::Missing;
    return v;
  }
  const QVariant value = settings_->value(path);
  v.status = ReadStatus::Present;
  // The INI format of Linux reads a value with a comma in it back as a
  // list: the list joined again is the text that was written.
  if (value.typeId() == QMetaType::QStringList) {
    v.text = value.toStringList().join(',').toStdString();
    return v;
  }
  if (!value.canConvert<QString>()) {
    v.status = ReadStatus::Unreadable;
    return v;
  }
  v.text = value.toString().toStdString();
  return v;
}

bool QtSettingsStore::write(const std::string& key, const std::string& name,
                            const std::string& value) {
  if (!settings_->isWritable()) return false;
  settings_->setValue(PathOf(key, name), QString::fromStdString(value));
  settings_->sync();
  keepPrivate();
  return settings_->status() == QSettings::NoError;
}

}  // namespace zelkor
