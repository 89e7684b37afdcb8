#include "table/PastedBlock.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using Block = std::vector<std::vector<std::string>>;

TEST(PastedBlockTest, SplitsRowsAtLineEndsAndCellsAtTheTextsSeparator) {
  struct Case {
    const char* name;
    std::string text;
    Block block;
  } cases[] = {
      {"a spreadsheet's copy", "1,5\t2\r\n3\t4,25\r\n", {{"1,5", "2"}, {"3", "4,25"}}},
      {"empty spreadsheet cells stay empty", "1\t\t3\n\t5\n", {{"1", "", "3"}, {"", "5"}}},
      {"a tab anywhere decides", "1 2\t3\n4 5", {{"1 2", "3"}, {"4 5"}}},
      {"coordinate file lines", "241.3397 ; 89.6233\r\n272.5 ;88.3", {{"241.3397", "89.6233"}, {"272.5", "88.3"}}},
      {"blank separated, runs of blanks", "  1,5   2 \n3 4\r", {{"1,5", "2"}, {"3", "4"}}},
      {"one value", "12,5", {{"12,5"}}},
      {"an empty line inside is one empty cell, empty lines at the end go",
       "1 2\n\n3 4\n \n\n",
       {{"1", "2"}, {""}, {"3", "4"}}},
      {"nothing", "", {}},
      {"only line ends", "\r\n\r\n", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParsePastedBlock(c.text), c.block) << c.name;
}

}  // namespace
}  // namespace vesk
