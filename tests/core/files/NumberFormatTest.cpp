#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "common/VeskError.h"
#include "files/NumberFormat.h"

namespace vesk {
namespace {

const NumberFormat kComma = NumberFormat::Comma();
const NumberFormat kDot = NumberFormat::Dot();

TEST(NumberFormatTest, ReadsTheAcceptedForms) {
  struct Case {
    const char* text;
    NumberFormat format;
    double value;
  };
  const Case cases[] = {
      {"12,5", kComma, 12.5}, {" 12,5 ", kComma, 12.5},   {"  -0,125", kComma, -0.125},
      {"+7", kComma, 7},      {"12.5", kDot, 12.5},       {"1E3", kDot, 1000},
      {"-2e-1", kDot, -0.2},  {"1,5E-7", kComma, 1.5e-7}, {"2e+2", kDot, 200},
      {",5", kComma, 0.5},    {"5,", kComma, 5},          {"0", kDot, 0},
      {"1e-400", kDot, 0},    {"00012", kDot, 12},        {"342.304923926585", kDot, 342.304923926585},
  };
  for (const Case& c : cases) {
    const auto value = TryParseNumber(c.text, c.format);
    ASSERT_TRUE(value.has_value()) << "'" << c.text << "' with '" << c.format.DecimalSeparator << "'";
    EXPECT_EQ(*value, c.value) << c.text;
  }
}

TEST(NumberFormatTest, RejectsEverythingElse) {
  struct Case {
    const char* text;
    NumberFormat format;
  };
  const Case cases[] = {
      {"", kComma},
      {" ", kComma},
      {"\t1", kComma},
      {"1\t", kComma},
      {"12.5", kComma},
      {"12,5", kDot},
      {"1 000", kComma},
      {"1.000,5", kComma},
      {"1,000.5", kDot},
      {",", kComma},
      {"-", kDot},
      {"1e", kDot},
      {"1e+", kDot},
      {"e5", kDot},
      {"abc", kDot},
      {"1;2", kDot},
      {"--1", kDot},
      {"1e400", kDot},
      {"inf", kDot},
      {"nan", kDot},
      {"0x10", kDot},
      {"1 2", kDot},
      {"+-1", kDot},
      {"1,5,", kComma},
      {"\xC2\xA0"
       "1",
       kDot},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(TryParseNumber(c.text, c.format).has_value()) << "'" << c.text << "' was accepted";
  }
  EXPECT_THROW(ParseNumber("abc", kDot), VeskError);
}

TEST(NumberFormatTest, WritesTheGeneralForm) {
  struct Case {
    double value;
    const char* comma;
    const char* dot;
  };
  const Case cases[] = {
      {2, "2", "2"},
      {1.5, "1,5", "1.5"},
      {-0.125, "-0,125", "-0.125"},
      {0, "0", "0"},
      {-0.0, "0", "0"},
      {0.0001, "0,0001", "0.0001"},
      {0.00009, "9E-5", "9E-5"},
      {1.5e-7, "1,5E-7", "1.5E-7"},
      {-1.5e-7, "-1,5E-7", "-1.5E-7"},
      {1e20, "1E20", "1E20"},
      {1e15, "1E15", "1E15"},
      {999999999999999, "999999999999999", "999999999999999"},
      {123456789012345678.0, "1,23456789012346E17", "1.23456789012346E17"},
      {0.1, "0,1", "0.1"},
      {1.0 / 3.0, "0,333333333333333", "0.333333333333333"},
      {2.0 / 3.0, "0,666666666666667", "0.666666666666667"},
      {100, "100", "100"},
      {12345.678, "12345,678", "12345.678"},
      {0.00012345, "0,00012345", "0.00012345"},
      {9.99999999999999999e14, "1E15", "1E15"},       // rounding decides the notation
      {0.000099999999999999999, "0,0001", "0.0001"},  // rounds up to 1E-4
      {5e-324, "4,94065645841247E-324", "4.94065645841247E-324"},
      {1.7976931348623157e308, "1,79769313486232E308", "1.79769313486232E308"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, kComma), c.comma) << c.value;
    EXPECT_EQ(FormatNumber(c.value, kDot), c.dot) << c.value;
  }
}

TEST(NumberFormatTest, RefusesToWriteNonFiniteValues) {
  EXPECT_THROW(FormatNumber(std::numeric_limits<double>::infinity(), kDot), VeskError);
  EXPECT_THROW(FormatNumber(std::nan(""), kDot), VeskError);
}

TEST(NumberFormatTest, WrittenFormReadsBackWithin15Digits) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 2000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    for (const NumberFormat& format : {kComma, kDot}) {
      const std::string text = FormatNumber(value, format);
      const auto back = TryParseNumber(text, format);
      ASSERT_TRUE(back.has_value()) << text;
      EXPECT_NEAR(*back, value, std::fabs(value) * 1e-14) << text;
      EXPECT_EQ(FormatNumber(*back, format), text);
    }
  }
}

}  // namespace
}  // namespace vesk
