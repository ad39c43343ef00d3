// The command files shipped with the program. A user with a real collar
// replaces them with the vendor's files; the simulated collar recognises
// these by their bytes. Their contents are distinct and none is a prefix of
// another.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelkor {

struct CommandFile {
  std::string name;
  std::vector<uint8_t> bytes;
};

inline const char kOffloadCmd[] = "Offload.cmd";
inline const char kSelectCmd[] = "Select.cmd";
inline const char kResetCmd[] = "Reset.cmd";
inline const char kAlmanacCmd[] = "ldalmnc.cmd";
inline const char kConfigCmd[] = "Config.cmd";
inline const char kTwoWayCmd[] = "2waygps.cmd";

const std::vector<CommandFile>& DefaultCommandFiles();

}  // namespace zelkor
