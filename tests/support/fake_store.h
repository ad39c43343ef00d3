// An in-memory settings store that can be told to fail writes.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/settings_store.h"

namespace zelkor::testing {

class FakeStore : public SettingsStore {
 public:
  bool keyExists(const std::string& key) const override { return keys_.count(key) > 0; }
  bool createKey(const std::string& key) override {
    keys_.insert(key);
    return true;
  }
  SettingsValue read(const std::string& key, const std::string& name) const override {
    SettingsValue v;
    if (unreadable_.count({key, name})) {
      v.status = ReadStatus::Unreadable;
      return v;
    }
    auto it = values_.find({key, name});
    if (it == values_.end()) return v;
    v.status = ReadStatus::Present;
    v.text = it->second;
    return v;
  }
  bool write(const std::string& key, const std::string& name, const std::string& value) override {
    writes.push_back({key + "|" + name, value});
    if (failWrites) return false;
    keys_.insert(key);
    values_[{key, name}] = value;
    return true;
  }

  void set(const std::string& key, const std::string& name, const std::string& value) {
    keys_.insert(key);
    values_[{key, name}] = value;
  }
  void markUnreadable(const std::string& key, const std::string& name) {
    keys_.insert(key);
    unreadable_.insert({key, name});
  }
  std::string get(const std::string& key, const std::string& name) const {
    auto it = values_.find({key, name});
    return it == values_.end() ? std::string("<missing>") : it->second;
  }

  bool failWrites = false;
  std::vector<std::pair<std::string, std::string>> writes;  // "key|name", value

 private:
  std::set<std::string> keys_;
  std::map<std::pair<std::string, std::string>, std::string> values_;
  std::set<std::pair<std::string, std::string>> unreadable_;
};

}  // namespace zelkor::testing
