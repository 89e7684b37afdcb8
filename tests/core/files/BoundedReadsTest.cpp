// Every data-file reader against files that are no data files: a FIFO (which
// must not block), a device that never ends, a file above the size bound, a
// folder; and a huge file read under a memory limit.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "files/CoordinateFile.h"
#include "files/IniFile.h"
#include "files/InputFile.h"
#include "files/LineReader.h"
#include "files/OrientationFiles.h"
#include "files/ProjectFile.h"
#include "files/TextFile.h"
#include "support/ChildProcess.h"
#include "support/RecordingDialogs.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

const NumberFormat kDot = NumberFormat::Dot();

struct BadFile {
  const char* name;
  std::function<std::string(const test::TempDir&)> make;
  bool countsAsMissing;  // "Файл ... не найден!" rather than the reader's own message
  std::string cause;
};

std::string MakeFifo(const test::TempDir& dir) {
  const std::string path = dir.File("fifo.crd");
  EXPECT_EQ(mkfifo(path.c_str(), 0600), 0);
  return path;
}

// Costs no disk: the blocks of a sparse file are never written.
std::string MakeSparse(const test::TempDir& dir, const std::string& name, off_t size) {
  const std::string path = dir.File(name);
  const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  EXPECT_GE(descriptor, 0);
  EXPECT_EQ(ftruncate(descriptor, size), 0);
  close(descriptor);
  return path;
}

std::string MakeFolder(const test::TempDir& dir) {
  std::filesystem::create_directory(dir.Path() / "folder.crd");
  return dir.File("folder.crd");
}

std::string LinkTo(const test::TempDir& dir, const std::string& target) {
  const std::string path = dir.File("link.crd");
  std::filesystem::create_symlink(target, path);
  return path;
}

const std::vector<BadFile>& BadFiles() {
  static const std::vector<BadFile> files = {
      {"FIFO", MakeFifo, true, "is not a regular file (a FIFO)"},
      {"/dev/zero", [](const test::TempDir&) { return std::string("/dev/zero"); }, true,
       "is not a regular file (a character device)"},
      {"link to /dev/urandom", [](const test::TempDir& dir) { return LinkTo(dir, "/dev/urandom"); }, true,
       "is not a regular file (a character device)"},
      {"folder", MakeFolder, true, "is a folder"},
      {"above the size bound",
       [](const test::TempDir& dir) { return MakeSparse(dir, "big.crd", kMaxDataFileBytes + 1); }, false,
       "is larger than 256 MiB"},
      // Zeros and no line break: the first line runs past its bound.
      {"one endless line", [](const test::TempDir& dir) { return MakeSparse(dir, "zeros.crd", 8 << 20); }, false,
       "line 1 is longer than 1 MiB"},
  };
  return files;
}

// A reader that blocks fails the test instead of stalling the run.
class BoundedReadsTest : public ::testing::Test {
 protected:
  void SetUp() override { alarm(60); }
  void TearDown() override { alarm(0); }
  test::TempDir dir_;
};

void ExpectRefused(const BadFile& bad, const std::string& path, const test::RecordingDialogs& dialogs,
                   const ReadFailure& failure, const char* readError, int lineForContents) {
  ASSERT_EQ(dialogs.Entries.size(), 1u) << bad.name;
  const std::string shown = bad.countsAsMissing ? "Файл " + path + " не найден!" : std::string(readError);
  EXPECT_EQ(dialogs.Entries[0].Text, shown) << bad.name;
  EXPECT_EQ(failure.Message.Text, shown) << bad.name;
  EXPECT_EQ(failure.Cause, bad.cause) << bad.name;
  EXPECT_EQ(failure.Line, bad.countsAsMissing || bad.cause.rfind("line", 0) != 0 ? 0 : lineForContents) << bad.name;
}

TEST_F(BoundedReadsTest, CoordinateFiles) {
  for (const BadFile& bad : BadFiles()) {
    test::TempDir dir;
    const std::string path = bad.make(dir);
    VT_Points points(kOwnsItems);
    test::RecordingDialogs dialogs;
    ReadFailure failure;
    EXPECT_FALSE(test::Shown(ReadPointFile(path, points, kDot), dialogs, &failure)) << bad.name;
    ExpectRefused(bad, path, dialogs, failure, kPointFileReadError, 1);
  }
}

TEST_F(BoundedReadsTest, CalibrationAndShootingGeometryFiles) {
  for (const BadFile& bad : BadFiles()) {
    test::TempDir dir;
    const std::string path = bad.make(dir);
    {
      CameraGeometry camera;
      test::RecordingDialogs dialogs;
      ReadFailure failure;
      EXPECT_FALSE(test::Shown(ReadCameraFile(path, camera, kDot), dialogs, &failure)) << bad.name;
      ExpectRefused(bad, path, dialogs, failure, kCameraFileReadError, 1);
    }
    {
      ShootingGeometry geometry;
      test::RecordingDialogs dialogs;
      ReadFailure failure;
      EXPECT_FALSE(test::Shown(ReadShootingGeometryFile(path, geometry, kDot), dialogs, &failure)) << bad.name;
      ExpectRefused(bad, path, dialogs, failure, kShootingGeometryFileReadError, 1);
    }
  }
}

TEST_F(BoundedReadsTest, CorrectionTables) {
  for (const BadFile& bad : BadFiles()) {
    test::TempDir dir;
    const std::string table = bad.make(dir);
    const std::vector<std::string> values = {"1", "2", table, "3", "640", "480", "", ""};
    std::string text;
    for (const std::string& line : CameraFileLines(values)) text += line + "\r\n";
    const std::string path = dir.Write("left.cam", text);
    CameraGeometry camera;
    test::RecordingDialogs dialogs;
    ReadFailure failure;
    EXPECT_FALSE(test::Shown(ReadCameraFile(path, camera, kDot), dialogs, &failure)) << bad.name;
    EXPECT_EQ(failure.Message.Text, kCameraFileReadError) << bad.name;
    EXPECT_EQ(failure.Line, 3) << bad.name;

    std::vector<std::string> lines;
    std::string reason;
    EXPECT_FALSE(LoadTextLines(table, lines, &reason)) << bad.name;
    EXPECT_EQ(reason, bad.cause) << bad.name;
  }
}

TEST_F(BoundedReadsTest, ProjectFiles) {
  for (const BadFile& bad : BadFiles()) {
    test::TempDir dir;
    const std::string path = bad.make(dir);
    ProjectFields fields;
    fields.Image1 = "kept";
    test::RecordingDialogs dialogs;
    EXPECT_FALSE(test::Shown(ReadProject(path, fields), dialogs)) << bad.name;
    ASSERT_EQ(dialogs.Entries.size(), 1u) << bad.name;
    EXPECT_EQ(dialogs.Entries[0].Text, kProjectReadError) << bad.name;
    EXPECT_EQ(fields.Image1, "kept") << bad.name;
    IniFile ini;
    std::string reason;
    EXPECT_FALSE(IniFile::Load(path, ini, &reason)) << bad.name;
    EXPECT_EQ(reason, bad.cause) << bad.name;
  }
}

TEST_F(BoundedReadsTest, FifoIsNeverOpened) {
  // Had the reader opened it for reading, this writer would find a reader.
  const std::string path = MakeFifo(dir_);
  VT_Points points(kOwnsItems);
  test::RecordingDialogs dialogs;
  EXPECT_FALSE(test::Shown(ReadPointFile(path, points, kDot), dialogs));
  EXPECT_LT(open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC), 0);
  EXPECT_EQ(errno, ENXIO);
}

// 200 MiB of empty lines: the whole file once took gigabytes before the first
// line was even looked at. Now each reader stops where the old one did, with
// memory far below the size of the file.
TEST_F(BoundedReadsTest, HugeFileOfEmptyLinesUnderAMemoryLimit) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any limit would leave";
#endif
  constexpr std::size_t kBytes = std::size_t{200} << 20;
  const std::string path = dir_.File("empty-lines.crd");
  {
    std::ofstream out(path, std::ios::binary);
    const std::string block(1 << 20, '\n');
    for (std::size_t written = 0; written < kBytes; written += block.size()) out.write(block.data(), block.size());
    ASSERT_TRUE(out.good());
  }
  const test::ChildEnd end = test::RunInChild([&path] {
    // Room for the program as it stands and 96 MiB more.
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{96} << 20);
    const rlimit memory{limit, limit};
    if (setrlimit(RLIMIT_AS, &memory) != 0) return 10;

    test::RecordingDialogs dialogs;
    VT_Points points(kOwnsItems);
    ReadFailure failure;
    if (test::Shown(ReadPointFile(path, points, kDot), dialogs, &failure) || failure.Line != 1) return 1;
    CameraGeometry camera;
    if (test::Shown(ReadCameraFile(path, camera, kDot), dialogs, &failure) || failure.Line != 1) return 2;
    ShootingGeometry geometry;
    if (test::Shown(ReadShootingGeometryFile(path, geometry, kDot), dialogs, &failure) || failure.Line != 1) return 3;
    // Files kept whole stop at their line bound.
    std::vector<std::string> lines;
    std::string reason;
    if (LoadTextLines(path, lines, &reason) || reason != "has more than 1048576 lines") return 4;
    IniFile ini;
    if (IniFile::Load(path, ini)) return 5;
    return 0;
  });
  EXPECT_TRUE(end.Exited) << "signal " << end.Signal;
  EXPECT_EQ(end.Status, 0);
}

}  // namespace
}  // namespace vesk
