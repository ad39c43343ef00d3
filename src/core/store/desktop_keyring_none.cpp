// Builds without the Secret Service (Windows): no keyring; passwords go to
// the password file.
#include "store/desktop_keyring.h"

namespace zelkor {

namespace {

class NoKeyring : public PasswordKeyring {
 public:
  bool save(const std::string&, const std::string&, std::string* error) override {
    if (error) *error = "this build of Zelkor has no keyring";
    return false;
  }
  std::optional<std::string> find(const std::string&) override { return std::nullopt; }
  void forget(const std::string&) override {}
};

}  // namespace

std::unique_ptr<PasswordKeyring> DesktopKeyring() { return std::make_unique<NoKeyring>(); }

}  // namespace zelkor
