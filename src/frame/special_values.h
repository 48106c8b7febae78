// The three special doubles shared by the file format and the callers.
#ifndef XOVA_FRAME_SPECIAL_VALUES_H
#define XOVA_FRAME_SPECIAL_VALUES_H

#include <cstdint>
#include <cstring>

namespace xova {

constexpr std::uint64_t kSysmisBits = 0xFFEFFFFFFFFFFFFFull;
constexpr std::uint64_t kHighestBits = 0x7FEFFFFFFFFFFFFFull;
constexpr std::uint64_t kLowestBits = 0xFFEFFFFFFFFFFFFEull;

// Inline: the case value paths use them once per value.
inline double BitsToDouble(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline std::uint64_t DoubleToBits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

double Sysmis();
double Highest();
double Lowest();

}  // namespace xova

#endif
