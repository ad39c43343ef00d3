// The desktop's keyring (the Secret Service of GNOME, KDE and others),
// shared by the desktop program and the command line so that both find a
// password the other kept. Where no keyring answers (a server without a
// desktop session, or ZELKOR_KEYRING=off), every call says so at once.
#pragma once

#include <memory>

#include "store/store_password.h"

namespace zelkor {

std::unique_ptr<PasswordKeyring> DesktopKeyring();

}  // namespace zelkor
