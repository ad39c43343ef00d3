// The settings store on QSettings: the native registry on Windows
// (HKEY_CURRENT_USER\Software\Nalvik, Inc\Zelkor), a per-user file elsewhere.
#pragma once

#include <QSettings>
#include <memory>

#include "app/settings_store.h"

namespace zelkor {

class QtSettingsStore : public SettingsStore {
 public:
  QtSettingsStore();
  bool keyExists(const std::string& key) const override;
  bool createKey(const std::string& key) override;
  SettingsValue read(const std::string& key, const std::string& name) const override;
  bool write(const std::string& key, const std::string& name, const std::string& value) override;
  std::string location() const override { return settings_->fileName().toStdString(); }

  QSettings& settings() { return *settings_; }

 private:
  // Rights for the owner alone on the settings file.
  void keepPrivate() const;
  std::unique_ptr<QSettings> settings_;
};

}  // namespace zelkor
