// Explicit byte-order helpers. Records are decoded byte by byte, never by
// copying memory into a struct.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zelkor {

inline uint16_t ReadBe16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t ReadBe24(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[2];
}
inline uint32_t ReadBe32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
inline uint16_t ReadLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline void WriteBe16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>((v >> 8) & 0xFF);
  p[1] = static_cast<uint8_t>(v & 0xFF);
}
inline void WriteBe24(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>((v >> 16) & 0xFF);
  p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  p[2] = static_cast<uint8_t>(v & 0xFF);
}

// Reads `width` bits (at most 32) from a big-endian bit string, where bit 0
// is the most significant bit of p[0].
inline uint32_t ReadBits(const uint8_t* p, unsigned firstBit, unsigned width) {
  uint32_t v = 0;
  for (unsigned i = 0; i < width; ++i) {
    const unsigned bit = firstBit + i;
    v = (v << 1) | ((p[bit >> 3] >> (7 - (bit & 7))) & 1u);
  }
  return v;
}

}  // namespace zelkor

namespace zelkor {

// Writes the low `width` bits of v into a big-endian bit string, bit 0 being
// the most significant bit of p[0].
inline void WriteBits(uint8_t* p, unsigned firstBit, unsigned width, uint32_t v) {
  for (unsigned i = 0; i < width; ++i) {
    const unsigned bit = firstBit + i;
    const uint8_t mask = static_cast<uint8_t>(1u << (7 - (bit & 7)));
    if ((v >> (width - 1 - i)) & 1u)
      p[bit >> 3] = static_cast<uint8_t>(p[bit >> 3] | mask);
    else
      p[bit >> 3] = static_cast<uint8_t>(p[bit >> 3] & ~mask);
  }
}

}  // namespace zelkor
