#include "link/default_commands.h"

namespace zelkor {

namespace {
// ESC, "NVK", a four-letter verb, CR: eight bytes each.
CommandFile Make(const char* name, const char* verb) {
  CommandFile f;
  f.name = name;
  f.bytes = {0x1B, 'N', 'V', 'K'};
  for (const char* p = verb; *p; ++p) f.bytes.push_back(static_cast<uint8_t>(*p));
  f.bytes.push_back('\r');
  return f;
}
}  // namespace

const std::vector<CommandFile>& DefaultCommandFiles() {
  static const std::vector<CommandFile> files = {
      Make(kOffloadCmd, "OFFL"), Make(kSelectCmd, "SELE"), Make(kResetCmd, "RSET"),
      Make(kAlmanacCmd, "ALMN"), Make(kConfigCmd, "CONF"), Make(kTwoWayCmd, "2WAY"),
  };
  return files;
}

}  // namespace zelkor
