#include <gtest/gtest.h>

#include "Arguments.h"
#include "CliErrors.h"

namespace vesk::cli {
namespace {

TEST(ArgumentsTest, TakesOptionsValuesAndOperands) {
  Arguments args({"--mode", "9", "a.crd", "--size1", "640", "480", "--json", "b.crd", "--sigma", "2.5"});
  EXPECT_EQ(args.Integer("--mode"), 9);
  EXPECT_EQ(args.Numbers("--size1", 2), (std::vector<double>{640, 480}));
  EXPECT_TRUE(args.Flag("--json"));
  EXPECT_FALSE(args.Flag("--quiet"));
  EXPECT_EQ(args.Number("--sigma"), 2.5);
  EXPECT_EQ(args.Operands(), (std::vector<std::string>{"a.crd", "b.crd"}));
  EXPECT_NO_THROW(args.Finish());
}

TEST(ArgumentsTest, BadCommandLinesAreUsageErrors) {
  EXPECT_THROW(Arguments({"--sigma", "2,5"}).Number("--sigma"), UsageError);  // '.' only
  EXPECT_THROW(Arguments({"--sigma", "x"}).Number("--sigma"), UsageError);
  EXPECT_THROW(Arguments({"--sigma", "inf"}).Number("--sigma"), UsageError);
  EXPECT_THROW(Arguments({"--mode", "1.5"}).Integer("--mode"), UsageError);
  EXPECT_THROW(Arguments({"--size1", "640"}).Numbers("--size1", 2), UsageError);
  EXPECT_THROW(Arguments({"--mode", "1", "--mode", "2"}).Integer("--mode"), UsageError);
  EXPECT_THROW(Arguments({}).RequiredValue("--points1"), UsageError);
  Arguments unknown({"--typo", "1"});
  EXPECT_THROW(unknown.Finish(), UsageError);
}

}  // namespace
}  // namespace vesk::cli
