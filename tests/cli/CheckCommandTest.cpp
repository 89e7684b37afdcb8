#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

using test::RunVeskCli;

TEST(CheckCommandTest, GoodAndBadCoordinateFiles) {
  test::TempDir dir;
  const std::string good = (test::ExamplesDir() / "chessboard" / "left01.crd").string();
  const std::string bad = dir.Write("bad.crd", "1.5 ; 2\r\n3 ; 4\r\n5 ; x\r\n");

  const auto ok = RunVeskCli({"check", good});
  EXPECT_EQ(ok.Status, 0);
  EXPECT_EQ(ok.Out, good + ": 54 points\n");

  const auto failed = RunVeskCli({"check", good, bad});
  EXPECT_EQ(failed.Status, 1);
  EXPECT_EQ(failed.Out, good + ": 54 points\n");
  // The reader's message speaks of the scene; the line below says what was read.
  EXPECT_EQ(failed.Err, bad +
                            ":3: Ошибка чтения файла сцены! (coordinate file: «x» — не число с десятичным "
                            "разделителем «.»)\n");

  const auto missing = RunVeskCli({"check", dir.File("none.crd")});
  EXPECT_EQ(missing.Status, 1);
  EXPECT_EQ(missing.Err, dir.File("none.crd") + ": Файл " + dir.File("none.crd") + " не найден!\n");
}

// A photograph is checked as one, decoded whole, instead of being read as
// a coordinate file; its point file says what it is and what is wrong.
TEST(CheckCommandTest, PhotographsAndTheirPointFilesSayWhatTheyAre) {
  test::TempDir dir;
  const std::string photo = (test::ExamplesDir() / "chessboard" / "left01.bmp").string();
  const auto ok = RunVeskCli({"check", photo});
  EXPECT_EQ(ok.Status, 0) << ok.Err;
  EXPECT_EQ(ok.Out, photo + ": photograph of 640 x 480 pixels\n");

  std::ifstream whole(photo, std::ios::binary);
  std::string bytes(std::istreambuf_iterator<char>(whole), {});
  const std::string cut = dir.Write("cut.bmp", bytes.substr(0, bytes.size() / 2));
  const auto truncated = RunVeskCli({"check", "--json", cut});
  EXPECT_EQ(truncated.Status, 1);
  EXPECT_NE(truncated.Out.find("\"kind\": \"photograph\", \"ok\": false, \"error\": \"Файл не удаётся прочитать как "
                               "изображение! (photograph: truncated"),
            std::string::npos)
      << truncated.Out;

  const std::string points = dir.Write("left.crd", "1;2\r\n3;4;5\r\n");
  const auto broken = RunVeskCli({"check", points});
  EXPECT_EQ(broken.Err, points + ":2: Ошибка чтения файла сцены! (coordinate file: больше одного знака «;»)\n");
}

TEST(CheckCommandTest, SeparatorFromLocaleOrOption) {
  test::TempDir dir;
  const std::string comma = dir.Write("comma.crd", "12,5 ; 7\r\n");
  EXPECT_EQ(RunVeskCli({"check", comma}, {{"LANG", "ru_RU.UTF-8"}}).Status, 0);
  EXPECT_EQ(RunVeskCli({"check", comma}, {{"LANG", "C"}}).Status, 1);
  EXPECT_EQ(RunVeskCli({"check", comma}, {{"LC_NUMERIC", "ru_RU.UTF-8"}, {"LANG", "en_US.UTF-8"}}).Status, 0);
  EXPECT_EQ(RunVeskCli({"check", "--decimal-separator", ",", comma}, {{"LANG", "C"}}).Status, 0);
  EXPECT_EQ(RunVeskCli({"check", "--decimal-separator", ".", comma}, {{"LANG", "ru_RU.UTF-8"}}).Status, 1);
}

TEST(CheckCommandTest, JsonOutput) {
  test::TempDir dir;
  const std::string good = dir.Write("good.crd", "1;2\n");
  const std::string bad = dir.Write("bad.crd", "1;2\n\n");
  const auto run = RunVeskCli({"check", "--json", "--decimal-separator", ".", good, bad});
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Out, "{\"files\": [{\"path\": \"" + good +
                         "\", \"kind\": \"coordinates\", \"ok\": true, \"summary\": \"1 point\", \"count\": 1}, "
                         "{\"path\": \"" +
                         bad +
                         "\", \"kind\": \"coordinates\", \"ok\": false, \"error\": \"Ошибка чтения файла сцены! "
                         "(coordinate file: пустая строка)\", "
                         "\"line\": 2}]}\n");
}

TEST(CheckCommandTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> usages = {
      {},
      {"nosuchcommand"},
      {"check"},
      {"check", "--bogus", "a.crd"},
      {"check", "--decimal-separator"},
      {"check", "--decimal-separator", ";;", "a.crd"},
  };
  for (const auto& args : usages) {
    const auto run = RunVeskCli(args);
    EXPECT_EQ(run.Status, 2) << (args.empty() ? "(none)" : args.back());
    EXPECT_FALSE(run.Err.empty());
  }
}

TEST(CheckCommandTest, HelpAndVersion) {
  const auto help = RunVeskCli({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Out.find("check"), std::string::npos);
  const auto commandHelp = RunVeskCli({"check", "--help"});
  EXPECT_EQ(commandHelp.Status, 0);
  EXPECT_NE(commandHelp.Out.find("Usage: vesk-cli check"), std::string::npos);
  const auto version = RunVeskCli({"--version"});
  EXPECT_EQ(version.Status, 0);
  EXPECT_EQ(version.Out, "vesk-cli 1.0.0\n");
}

}  // namespace
}  // namespace vesk
