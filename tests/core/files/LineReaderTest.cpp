#include "files/LineReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "support/TempDir.h"

namespace vesk {
namespace {

using Lines = std::vector<std::string>;

// The splitting rule written the plain way, over the whole text at once.
Lines SplitWhole(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  Lines lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

Lines ReadFile(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  EXPECT_GE(descriptor, 0);
  LineReader reader(descriptor);
  Lines lines;
  EXPECT_TRUE(ReadAllLines(reader, lines)) << reader.Cause();
  close(descriptor);
  return lines;
}

// The reader takes the file in pieces of 64 KiB: line breaks, CR LF pairs and
// the byte-order mark must come out the same wherever the pieces end.
TEST(LineReaderTest, PiecesSplitLikeTheWholeText) {
  test::TempDir dir;
  constexpr std::size_t kPiece = 64 * 1024;
  std::vector<std::string> texts = {
      std::string(kPiece - 1, 'a') + "\r\nb",         // CR ends a piece, its LF starts the next
      std::string(kPiece - 1, 'a') + "\r\rb",         // CR CR across the boundary: an empty line
      std::string(kPiece - 1, 'a') + "\n\r\n",        // LF, then CR LF
      std::string(kPiece, 'a'),                       // a last line without a break, one piece long
      std::string(3 * kPiece + 5, 'x') + "\r\n\r\n",  // a line over several pieces, then an empty one
      "\xEF\xBB\xBF" + std::string(kPiece, '\n'),
  };
  std::mt19937 random(7);
  const char alphabet[] = {'a', 'b', '\r', '\n'};
  for (const std::size_t length : {kPiece - 2, kPiece - 1, kPiece, kPiece + 1, 2 * kPiece + 3}) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % 4];
    texts.push_back(text);
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string path = dir.Write("text" + std::to_string(i), texts[i]);
    EXPECT_EQ(ReadFile(path), SplitWhole(texts[i])) << "text " << i;
    std::istringstream in(texts[i]);
    LineReader fromStream(in);
    Lines lines;
    ASSERT_TRUE(ReadAllLines(fromStream, lines));
    EXPECT_EQ(lines, SplitWhole(texts[i])) << "stream, text " << i;
  }
}

TEST(LineReaderTest, KnowsLineNumbersAndTheByteOrderMark) {
  LineReader reader(
      std::string_view("\xEF\xBB\xBF"
                       "a\r\n\r\nb"));
  std::string line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "a");
  EXPECT_TRUE(reader.HadByteOrderMark());
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "b");
  EXPECT_EQ(reader.LineNumber(), 3);
  EXPECT_FALSE(reader.Next(line));
  EXPECT_FALSE(reader.Failed());
}

TEST(LineReaderTest, LimitsEndTheReadingAsAFailure) {
  struct Case {
    const char* name;
    std::string text;
    LineLimits limits;
    int linesBeforeFailure;
    int failedLine;
    std::string cause;
  };
  const LineLimits none = LineLimits::None();
  const Case cases[] = {
      {"line at the bound", "1234\r\n12345\r\n", {1000, 5, none.MaxLines}, 2, -1, ""},
      {"line above the bound", "1234\r\n123456\r\n", {1000, 5, none.MaxLines}, 1, 2, "line 2 is longer than 5 bytes"},
      {"last line above the bound", "1\n123456", {1000, 5, none.MaxLines}, 1, 2, "line 2 is longer than 5 bytes"},
      {"file above the bound", std::string(2048, '\n'), {1024, 5, none.MaxLines}, 0, 0, "is larger than 1 KiB"},
      {"lines at the bound", "a\nb\n", {1000, 5, 2}, 2, -1, ""},
      {"lines above the bound", "a\nb\nc", {1000, 5, 2}, 2, 0, "has more than 2 lines"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.text);
    LineReader reader(in, c.limits);
    std::string line;
    int read = 0;
    while (reader.Next(line)) ++read;
    EXPECT_EQ(read, c.linesBeforeFailure) << c.name;
    EXPECT_EQ(reader.Failed(), c.failedLine >= 0) << c.name;
    if (c.failedLine < 0) continue;
    EXPECT_EQ(reader.FailedLine(), c.failedLine) << c.name;
    EXPECT_EQ(reader.Cause(), c.cause) << c.name;
    EXPECT_FALSE(reader.Next(line)) << c.name;  // a failed reader stays failed
  }
}

}  // namespace
}  // namespace vesk
