#include <gtest/gtest.h>

#include "charts/NumberFormat.h"

namespace nubrix::charts {
namespace {

struct Case {
  double Value;
  const char* Text;
};

class MarkValueTest : public testing::TestWithParam<Case> {};

TEST_P(MarkValueTest, GroupsThousandsAndKeepsAtMostThreeDecimals) {
  EXPECT_EQ(FormatMarkValue(GetParam().Value).toStdString(), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MarkValueTest,
    testing::Values(Case{0, "0 MB"}, Case{12, "12 MB"}, Case{0.1234, "0.123 MB"},
                    Case{1.2345, "1.235 MB"},  // the decimal half rounds up, not the binary value
                    Case{0.0005, "0.001 MB"}, Case{0.0004, "0 MB"}, Case{999.9996, "1,000 MB"},
                    Case{1234567.891, "1,234,567.891 MB"}, Case{100000, "100,000 MB"},
                    Case{2861.0229, "2,861.023 MB"}, Case{-1234.5, "-1,234.5 MB"},
                    Case{-0.0001, "0 MB"}, Case{1e15, "1,000,000,000,000,000 MB"}));

TEST(NumberFormatTest, SeparatorsComeFromTheCaller) {
  const TNumberSeparators german{u'.', u','};
  EXPECT_EQ(FormatMarkValue(1234567.5, german), QStringLiteral("1.234.567,5 MB"));
  EXPECT_EQ(MarkText(QStringLiteral("Sub"), 0.1234), QStringLiteral("Sub 0.123 MB"));
}

TEST(NumberFormatTest, ChangesCarryTheirSignAndVanishWhenTheyShowAsNothing) {
  EXPECT_EQ(FormatChange(1234.5), QStringLiteral("+1,234.5 MB"));
  EXPECT_EQ(FormatChange(-12), QStringLiteral("-12 MB"));
  EXPECT_EQ(FormatChange(0.0005), QStringLiteral("+0.001 MB"));
  EXPECT_EQ(FormatChange(0.0004), QString());
  EXPECT_EQ(FormatChange(-0.0004), QString()) << "no \"-0 MB\"";
  EXPECT_EQ(PointMarkText(QStringLiteral("Sub"), 2, QStringLiteral("new")),
            QStringLiteral("Sub 2 MB (new)"));
  EXPECT_EQ(PointMarkText(QStringLiteral("Sub"), 2, QString()), QStringLiteral("Sub 2 MB"));
}

TEST(NumberFormatTest, PercentOfTheTotal) {
  EXPECT_EQ(FormatPercent(1, 3), QStringLiteral("33.33 %"));
  EXPECT_EQ(FormatPercent(2, 3), QStringLiteral("66.67 %"));
  EXPECT_EQ(FormatPercent(5, 5), QStringLiteral("100 %"));
  EXPECT_EQ(FormatPercent(1, 0), QStringLiteral("0 %"));
  EXPECT_EQ(FormatPercent(-4, 10), QStringLiteral("0 %"));
}

}  // namespace
}  // namespace nubrix::charts
