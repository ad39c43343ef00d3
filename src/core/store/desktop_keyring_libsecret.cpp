#include <libsecret/secret.h>

#include <cstdlib>
#include <sys/stat.h>

#include "store/desktop_keyring.h"

namespace zelkor {

namespace {

const SecretSchema* Schema() {
  static const SecretSchema schema = {"org.nalvik.Zelkor.SeasonStore",
                                      SECRET_SCHEMA_NONE,
                                      {{"target", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                      0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
  return &schema;
}

// A session bus to ask: without one, GLib would try to start a bus of its
// own, which helps nobody.
bool SessionBusExists() {
  if (const char* off = std::getenv("ZELKOR_KEYRING"); off && std::string(off) == "off") return false;
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  return runtime && stat((std::string(runtime) + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

std::string Reason(GError* error) {
  std::string text = error && error->message ? error->message : "the keyring did not answer";
  if (error) g_error_free(error);
  return text;
}

class SecretServiceKeyring : public PasswordKeyring {
 public:
  bool save(const std::string& key, const std::string& password, std::string* error) override {
    if (!SessionBusExists()) {
      if (error) *error = "no desktop keyring runs in this session";
      return false;
    }
    GError* failure = nullptr;
    const std::string label = "Zelkor season store " + key;
    const gboolean ok = secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                                   password.c_str(), nullptr, &failure, "target", key.c_str(),
                                                   nullptr);
    if (!ok && error) *error = "the desktop keyring refused it: " + Reason(failure);
    else if (failure) g_error_free(failure);
    return ok;
  }

  std::optional<std::string> find(const std::string& key) override {
    if (!SessionBusExists()) return std::nullopt;
    GError* failure = nullptr;
    gchar* password = secret_password_lookup_sync(Schema(), nullptr, &failure, "target", key.c_str(), nullptr);
    if (failure) g_error_free(failure);
    if (!password) return std::nullopt;
    std::string out(password);
    secret_password_free(password);
    return out;
  }

  void forget(const std::string& key) override {
    if (!SessionBusExists()) return;
    GError* failure = nullptr;
    secret_password_clear_sync(Schema(), nullptr, &failure, "target", key.c_str(), nullptr);
    if (failure) g_error_free(failure);
  }
};

}  // namespace

std::unique_ptr<PasswordKeyring> DesktopKeyring() { return std::make_unique<SecretServiceKeyring>(); }

}  // namespace zelkor
