// A schedule's days of the year, chosen per quarter of each month:
// quarter 0 = days 1-7, 1 = days 8-15, 2 = days 16-23, 3 = days 24-31.
// Days are addressed one by one, but a day always carries its quarter's
// flag, so all days of a quarter agree.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zelkor {

constexpr int QuarterOfDay(int day) { return day <= 7 ? 0 : day <= 15 ? 1 : day <= 23 ? 2 : 3; }
constexpr int FirstDayOfQuarter(int quarter) {
  return quarter == 0 ? 1 : quarter == 1 ? 8 : quarter == 2 ? 16 : 24;
}

class QuarterGrid {
 public:
  // month 1-12, day 1-31 (day 31 exists for every month).
  bool day(int month, int day) const { return quarter(month, QuarterOfDay(day)); }
  void setDay(int month, int day, bool on) { setQuarter(month, QuarterOfDay(day), on); }
  bool quarter(int month, int quarter) const {
    return (bits_[static_cast<std::size_t>(month - 1)] >> quarter) & 1u;
  }
  void setQuarter(int month, int quarter, bool on) {
    uint8_t& b = bits_[static_cast<std::size_t>(month - 1)];
    b = static_cast<uint8_t>(on ? (b | (1u << quarter)) : (b & ~(1u << quarter)));
  }
  void clear() { bits_.fill(0); }

  // The six record bytes: byte k holds month 2k+1 in its low nibble and
  // month 2k+2 in its high nibble.
  void decode(const uint8_t* six) {
    for (int k = 0; k < 6; ++k) {
      bits_[static_cast<std::size_t>(2 * k)] = six[k] & 0x0F;
      bits_[static_cast<std::size_t>(2 * k + 1)] = static_cast<uint8_t>(six[k] >> 4);
    }
  }
  void encode(uint8_t* six) const {
    for (int k = 0; k < 6; ++k)
      six[k] = static_cast<uint8_t>(bits_[static_cast<std::size_t>(2 * k)] |
                                    (bits_[static_cast<std::size_t>(2 * k + 1)] << 4));
  }

  bool operator==(const QuarterGrid& o) const { return bits_ == o.bits_; }

 private:
  std::array<uint8_t, 12> bits_{};  // bit j of month m = quarter j
};

}  // namespace zelkor
