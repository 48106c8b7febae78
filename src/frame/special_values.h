// The three special doubles shared by the file format and the callers.
#ifndef XOVA_FRAME_SPECIAL_VALUES_H
#define XOVA_FRAME_SPECIAL_VALUES_H

#include <cstdint>

namespace xova {

constexpr std::uint64_t kSysmisBits = 0xFFEFFFFFFFFFFFFFull;
constexpr std::uint64_t kHighestBits = 0x7FEFFFFFFFFFFFFFull;
constexpr std::uint64_t kLowestBits = 0xFFEFFFFFFFFFFFFEull;

double BitsToDouble(std::uint64_t bits);
std::uint64_t DoubleToBits(double value);

double Sysmis();
double Highest();
double Lowest();

}  // namespace xova

#endif
