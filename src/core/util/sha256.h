// SHA-256 (FIPS 180-4) of a byte string, as 64 lowercase hex digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelkor {

std::string Sha256Hex(const uint8_t* data, size_t size);

}  // namespace zelkor
