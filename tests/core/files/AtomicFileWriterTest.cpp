#include "files/AtomicFileWriter.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "files/TemporaryFiles.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct stat StatOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info;
}

TEST(AtomicFileWriterTest, StreamsIntoAHiddenFileBesideTheTargetUntilCommit) {
  test::TempDir dir;
  const std::string path = dir.Write("out.bmp", "old");
  chmod(path.c_str(), 0640);
  AtomicFileWriter writer;
  ASSERT_TRUE(writer.Open(path)) << writer.Error();
  const std::string piece(1 << 20, 'x');
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(writer.Write(piece)) << writer.Error();
  EXPECT_EQ(writer.BytesWritten(), 5u << 20);

  const std::string temporary = writer.TemporaryPath();
  EXPECT_EQ(fs::path(temporary).parent_path(), dir.Path());
  EXPECT_EQ(fs::path(temporary).filename().string().front(), '.');
  EXPECT_EQ(StatOf(temporary).st_mode & 0777, 0600u);  // no one else reads it half-written
  EXPECT_EQ(Contents(path), "old");                    // the old file stays until the end

  ASSERT_TRUE(writer.Commit()) << writer.Error();
  EXPECT_EQ(Contents(path).size(), 5u << 20);
  EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"out.bmp"});
}

TEST(AtomicFileWriterTest, AbortAndDestructorLeaveTheOldFileAndNothingElse) {
  test::TempDir dir;
  const std::string path = dir.Write("out.bmp", "old");
  {
    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(path));
    ASSERT_TRUE(writer.Write("new"));
    writer.Abort();
    EXPECT_FALSE(writer.Commit());
  }
  {
    AtomicFileWriter writer;
    ASSERT_TRUE(writer.Open(dir.File("fresh.bmp")));
    ASSERT_TRUE(writer.Write("new"));
  }
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"out.bmp"});
  EXPECT_EQ(Contents(path), "old");
}

TEST(AtomicFileWriterTest, KeepsOwnerAndGroupWhereAllowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  test::TempDir dir;
  const std::string path = dir.Write("out.bmp", "old");
  ASSERT_EQ(chown(path.c_str(), test::kNobody, test::kNobody), 0);
  chmod(path.c_str(), 0604);
  AtomicFileWriter writer;
  ASSERT_TRUE(writer.Open(path) && writer.Write("new") && writer.Commit()) << writer.Error();
  const struct stat info = StatOf(path);
  EXPECT_EQ(info.st_uid, test::kNobody);
  EXPECT_EQ(info.st_gid, test::kNobody);
  EXPECT_EQ(info.st_mode & 07777, 0604u);
}

TEST(AtomicFileWriterTest, FailedWriteSaysWhyAndLeavesTheOldFile) {
  test::TempDir dir;
  const std::string path = dir.Write("out.bmp", "old");
  std::string error;
  const test::ChildEnd end = test::RunInChild([&] {
    // The system refuses files above 1000 bytes to this process.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit size{1000, 1000};
    if (setrlimit(RLIMIT_FSIZE, &size) != 0) return 10;
    AtomicFileWriter writer;
    if (!writer.Open(path)) return 11;
    if (writer.Write(std::string(4000, 'x'))) return 12;
    if (writer.Error() != path + ": cannot be written: File too large") return 13;
    if (!writer.TemporaryPath().empty() || writer.Commit()) return 14;
    return 0;
  });
  ASSERT_TRUE(end.Exited);
  EXPECT_EQ(end.Status, 0);
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"out.bmp"});
  EXPECT_EQ(Contents(path), "old");
}

// A child that is halfway through writing `path` when the test ends it.
class HalfWrittenChild {
 public:
  // `prepare` runs in the child before the writer starts.
  HalfWrittenChild(const std::string& path, void (*prepare)()) {
    EXPECT_EQ(pipe(ready_), 0);
    EXPECT_EQ(pipe(hold_), 0);
    pid_ = fork();
    if (pid_ == 0) {
      alarm(30);
      close(ready_[0]);
      close(hold_[1]);
      prepare();
      AtomicFileWriter writer;
      if (!writer.Open(path) || !writer.Write(std::string(1 << 20, 'x'))) _exit(20);
      if (write(ready_[1], "w", 1) != 1) _exit(21);
      char c;
      while (read(hold_[0], &c, 1) < 0) {
      }
      _exit(22);  // the test never lets it get here
    }
    close(ready_[1]);
    close(hold_[0]);
  }
  ~HalfWrittenChild() {
    close(ready_[0]);
    close(hold_[1]);
  }

  // Waits until the child is in the middle of its write.
  bool WaitUntilWriting() {
    char c;
    return read(ready_[0], &c, 1) == 1;
  }
  void Send(int signal) { kill(pid_, signal); }
  test::ChildEnd Signal(int signal) {
    Send(signal);
    return test::WaitForChild(pid_);
  }

 private:
  int ready_[2] = {-1, -1};
  int hold_[2] = {-1, -1};
  pid_t pid_ = -1;
};

void InstallCleanup() { InstallTemporaryFileCleanupOnSignals(); }

TEST(TemporaryFileCleanupTest, SignalsRemoveTheTemporaryFileAndStillEndTheProcess) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    test::TempDir dir;
    const std::string path = dir.Write("out.bmp", "old");
    HalfWrittenChild child(path, InstallCleanup);
    ASSERT_TRUE(child.WaitUntilWriting());
    EXPECT_EQ(Names(dir.Path()).size(), 2u) << "the temporary file is there while the child writes";
    const test::ChildEnd end = child.Signal(signal);
    EXPECT_FALSE(end.Exited);
    EXPECT_EQ(end.Signal, signal) << "the parent still sees the signal";
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"out.bmp"}) << strsignal(signal);
    EXPECT_EQ(Contents(path), "old");
  }
}

// As vesk-cli does: its own SIGINT handler removes them before it ends the program.
void OwnInterruptHandler() {
  signal(SIGINT, [](int) {
    RemoveTemporaryFilesNow();
    _exit(130);
  });
  InstallTemporaryFileCleanupOnSignals();
}

// As under nohup: an ignored SIGHUP stays ignored.
void HangUpIgnored() {
  signal(SIGHUP, SIG_IGN);
  InstallTemporaryFileCleanupOnSignals();
}

TEST(TemporaryFileCleanupTest, HandlersAndIgnoredSignalsOfTheProgramStay) {
  {
    test::TempDir dir;
    HalfWrittenChild child(dir.File("out.bmp"), OwnInterruptHandler);
    ASSERT_TRUE(child.WaitUntilWriting());
    const test::ChildEnd end = child.Signal(SIGINT);
    EXPECT_TRUE(end.Exited);
    EXPECT_EQ(end.Status, 130);
    EXPECT_TRUE(Names(dir.Path()).empty());
  }
  {
    test::TempDir dir;
    HalfWrittenChild child(dir.File("out.bmp"), HangUpIgnored);
    ASSERT_TRUE(child.WaitUntilWriting());
    child.Send(SIGHUP);  // discarded as it is sent: the child goes on
    EXPECT_EQ(child.Signal(SIGTERM).Signal, SIGTERM);
    EXPECT_TRUE(Names(dir.Path()).empty());
  }
}

TEST(TemporaryFileCleanupTest, ExitRemovesThem) {
  test::TempDir dir;
  const std::string path = dir.File("out.bmp");
  const test::ChildEnd end = test::RunInChild([&] {
    InstallTemporaryFileCleanupOnSignals();
    auto* writer = new AtomicFileWriter;  // never destroyed: only the exit handler can remove the file
    if (!writer->Open(path) || !writer->Write("x")) return 20;
    std::exit(3);
  });
  EXPECT_TRUE(end.Exited);
  EXPECT_EQ(end.Status, 3);
  EXPECT_TRUE(Names(dir.Path()).empty());
}

// The journal folder the children of the next test keep.
std::string childJournal;
void KeepChildJournal() { KeepTemporaryFileJournal(childJournal); }

TEST(TemporaryFileCleanupTest, ALaterStartRemovesWhatAKilledProcessLeft) {
  test::TempDir dir;
  childJournal = dir.File("journal");
  const std::string path = dir.Write("out.bmp", "old");
  HalfWrittenChild child(path, KeepChildJournal);
  ASSERT_TRUE(child.WaitUntilWriting());
  KeepTemporaryFileJournal(childJournal);
  EXPECT_EQ(RemoveAbandonedTemporaryFiles(), 0) << "the file of a running process stays";
  ASSERT_EQ(Names(dir.Path()).size(), 3u);

  EXPECT_EQ(child.Signal(SIGKILL).Signal, SIGKILL);
  const std::vector<std::string> left = Names(dir.Path());
  ASSERT_EQ(left.size(), 3u) << "SIGKILL runs no handler";
  EXPECT_EQ(RemoveAbandonedTemporaryFiles(), 1);
  EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"journal", "out.bmp"}));
  EXPECT_TRUE(Names(childJournal).empty());
  EXPECT_EQ(Contents(path), "old");
  KeepTemporaryFileJournal("");
}

// A journal entry only ever removes a regular file named as its own
// process's temporary file; whatever else it names stays.
TEST(TemporaryFileCleanupTest, OnlyTheEndedProcesssOwnFilesGo) {
  test::TempDir dir;
  const std::string journal = dir.File("journal");
  KeepTemporaryFileJournal(journal);
  // The pid of a process that has ended: a child that is gone.
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  test::WaitForChild(gone);
  const std::string marker = ".vesk-" + std::to_string(gone) + "-";
  const std::string other = ".vesk-" + std::to_string(gone + 1) + "-";

  const std::string ours = dir.Write(".out.bmp" + marker + "1.tmp", "x");
  const std::string unmarked = dir.Write("precious.bmp", "keep");
  const std::string someoneElses = dir.Write(".out.bmp" + other + "2.tmp", "keep");
  const std::string wrongEnd = dir.Write(".out.bmp" + marker + "3.bmp", "keep");
  const std::string target = dir.Write("target.bmp", "keep");
  const std::string link = dir.File(".link.bmp" + marker + "4.tmp");
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  const std::string folder = dir.File(".folder" + marker + "5.tmp");
  ASSERT_TRUE(fs::create_directory(folder));

  std::string bootId = Contents("/proc/sys/kernel/random/boot_id");
  if (!bootId.empty() && bootId.back() == '\n') bootId.pop_back();
  int n = 0;
  for (const std::string& named : {ours, unmarked, someoneElses, wrongEnd, link, folder}) {
    std::ofstream(journal + "/" + std::to_string(gone) + "-" + std::to_string(n++) + ".entry") << bootId << "\n"
                                                                                               << gone << "\n\n"
                                                                                               << named;
  }
  std::ofstream(journal + "/half-written.entry") << bootId;

  EXPECT_EQ(RemoveAbandonedTemporaryFiles(), 1);
  EXPECT_FALSE(fs::exists(ours));
  for (const std::string& kept : {unmarked, someoneElses, wrongEnd, target, folder})
    EXPECT_TRUE(fs::exists(kept)) << kept;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Names(journal), std::vector<std::string>{"half-written.entry"});
  KeepTemporaryFileJournal("");
}

}  // namespace
}  // namespace vesk
