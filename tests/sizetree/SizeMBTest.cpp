#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "sizetree/SizeMB.h"

namespace nubrix {
namespace {

struct Conversion {
  std::uint64_t Bytes;
  SizeMB Units;
};

class BytesToSizeMBTest : public testing::TestWithParam<Conversion> {};

TEST_P(BytesToSizeMBTest, RoundsToNearestUnitWithTiesToEven) {
  EXPECT_EQ(BytesToSizeMB(GetParam().Bytes), GetParam().Units) << GetParam().Bytes << " bytes";
}

INSTANTIATE_TEST_SUITE_P(
    Edges, BytesToSizeMBTest,
    testing::Values(Conversion{0, 0}, Conversion{52, 0}, Conversion{53, 1},
                    Conversion{32768, 312},  // 312.5: the tie goes down to the even unit
                    Conversion{98304, 938},  // 937.5: the tie goes up to the even unit
                    Conversion{1048576, 10000}, Conversion{3000000000ULL, 28610229},
                    Conversion{5ULL << 30, 51200000},
                    // Above 2^54 a plain bytes * 10000 would overflow 64 bits.
                    Conversion{1ULL << 60, (SizeMB{1} << 40) * 10000},
                    Conversion{std::numeric_limits<std::uint64_t>::max(), 175921860444160000}),
    [](const testing::TestParamInfo<Conversion>& param) {
      return std::to_string(param.param.Bytes) + "_bytes";
    });

TEST(AddBytesRoundedTest, RoundsTheRunningSumSoTiesDependOnIt) {
  SizeMB sum = AddBytesRounded(0, 32768);
  EXPECT_EQ(sum, 312);
  sum = AddBytesRounded(sum, 32768);  // 312 + 312.5 = 624.5 -> 624
  EXPECT_EQ(sum, 624);
  EXPECT_EQ(AddBytesRounded(AddBytesRounded(0, 98304), 98304), 1876);  // 938 + 937.5 -> 1876
  EXPECT_EQ(AddBytesRounded(1, 32768), 314);                           // 313.5 -> 314
  EXPECT_EQ(AddBytesRounded(7, 0), 7);
}

TEST(AddBytesRoundedTest, DiffersFromConvertingTheTotal) {
  // Three ties one by one: 312, then 624.5 -> 624, then 936.5 -> 936; their total of 98,304
  // bytes converted alone gives 938.
  SizeMB sum = 0;
  for (int i = 0; i < 3; ++i) sum = AddBytesRounded(sum, 32768);
  EXPECT_EQ(sum, 936);
  EXPECT_EQ(BytesToSizeMB(3 * 32768), 938);
}

TEST(FormatSizeMBTest, FourDecimals) {
  EXPECT_EQ(FormatSizeMB(0), "0.0000");
  EXPECT_EQ(FormatSizeMB(1), "0.0001");
  EXPECT_EQ(FormatSizeMB(624), "0.0624");
  EXPECT_EQ(FormatSizeMB(28610229), "2861.0229");
  EXPECT_EQ(FormatSizeMB(-15), "-0.0015");
  EXPECT_EQ(FormatSizeMB(std::numeric_limits<SizeMB>::min()), "-922337203685477.5808");
}

}  // namespace
}  // namespace nubrix
