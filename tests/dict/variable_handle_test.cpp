#include <gtest/gtest.h>

#include <cstdint>

#include "dict/variable_handle.h"
#include "frame/special_values.h"

namespace {

TEST(VariableHandle, EncodeKeepsTheTagAndOnlyTheLowTypeByte) {
  EXPECT_EQ(xova::DoubleToBits(xova::EncodeVarHandle(3, 0)), 0x3FF0000000000003ull);
  EXPECT_EQ(xova::DoubleToBits(xova::EncodeVarHandle(4, 10)), 0x3FF0000A00000004ull);
  EXPECT_EQ(xova::DoubleToBits(xova::EncodeVarHandle(0x1FFFFFFC, 255)), 0x3FF000FF1FFFFFFCull);
  // Only the low byte of the type goes in; the tag stays intact.
  EXPECT_EQ(xova::DoubleToBits(xova::EncodeVarHandle(1, 0x1234)), 0x3FF0003400000001ull);
}

TEST(VariableHandle, DecodeReturnsPositionAndWidth) {
  for (std::int32_t position : {1, 2, 37, 0x1FFFFFFC}) {
    for (std::int32_t type : {0, 1, 8, 9, 255}) {
      const xova::VarHandleParts parts =
          xova::DecodeVarHandle(xova::EncodeVarHandle(position, type));
      EXPECT_EQ(parts.position, position);
      EXPECT_EQ(parts.width, type);
    }
  }
  // A foreign double decodes by the same bytes, without looking at the tag.
  const xova::VarHandleParts other =
      xova::DecodeVarHandle(xova::BitsToDouble(0x40000007FFFFFFFFull));
  EXPECT_EQ(other.position, -1);
  EXPECT_EQ(other.width, 7);
}

}  // namespace
