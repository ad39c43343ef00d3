// Reading a whole input file, with a reason the user can act on when that
// fails: missing, a folder, a device, too large, unreadable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zelkor {

// Far more than any file of ours: the collar's memory is 256 KiB.
constexpr size_t kMaxInputFileBytes = 64u * 1024u * 1024u;

// Reads the regular file at path. On failure returns false and sets *reason
// ("no such file", "it is a folder, not a file", the system's reason ...).
bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* reason = nullptr,
                   size_t maxBytes = kMaxInputFileBytes);
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* reason = nullptr,
                   size_t maxBytes = kMaxInputFileBytes);

// True when both paths name the same existing file (through links or
// different spellings), or are spelled the same.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace zelkor
