// Files that appear whole or not at all.
#pragma once

#include <string>

namespace zelkor {

// Writes bytes to path through a temporary file in the same folder and a
// rename; on failure nothing is left behind and the old file stands.
enum class AtomicWrite { Ok, OpenFailed, WriteFailed };
AtomicWrite WriteFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace zelkor
