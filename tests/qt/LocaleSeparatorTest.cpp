#include <gtest/gtest.h>

#include <map>

#include "qt/LocaleSeparator.h"

namespace vesk::qt {
namespace {

char SeparatorFor(const std::map<std::string, std::string>& environment) {
  return LocaleDecimalSeparator([&](const char* name) -> const char* {
    const auto it = environment.find(name);
    return it == environment.end() ? nullptr : it->second.c_str();
  });
}

TEST(LocaleSeparatorTest, FollowsTheLocaleVariablesInPrecedence) {
  EXPECT_EQ(SeparatorFor({}), '.');
  EXPECT_EQ(SeparatorFor({{"LANG", "ru_RU.UTF-8"}}), ',');
  EXPECT_EQ(SeparatorFor({{"LANG", "en_US.UTF-8"}}), '.');
  EXPECT_EQ(SeparatorFor({{"LANG", "C.UTF-8"}}), '.');
  EXPECT_EQ(SeparatorFor({{"LANG", "en_US.UTF-8"}, {"LC_NUMERIC", "ru_RU.UTF-8"}}), ',');
  EXPECT_EQ(SeparatorFor({{"LC_NUMERIC", "ru_RU.UTF-8"}, {"LC_ALL", "C"}}), '.');
  EXPECT_EQ(SeparatorFor({{"LANG", "de_DE@euro"}}), ',');
  EXPECT_EQ(SeparatorFor({{"LANG", ""}, {"LC_NUMERIC", ""}}), '.');
}

}  // namespace
}  // namespace vesk::qt
