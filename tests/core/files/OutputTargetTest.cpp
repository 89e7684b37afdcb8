#include "files/OutputTarget.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

#include "files/TextFile.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;
using Reason = OutputRefusalReason;

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

mode_t NewFileMode() {
  const mode_t mask = umask(022);
  umask(mask);
  return 0666 & ~mask;
}

// What stands at a path, to see that a refused target is left as it was.
struct Node {
  bool Exists = false;
  mode_t Mode = 0;
  ino_t Inode = 0;
  bool operator==(const Node&) const = default;
};

Node NodeAt(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return Node{};
  return Node{true, info.st_mode, info.st_ino};
}

class OutputTargetTest : public ::testing::Test {
 public:
  std::string Make(const std::string& name, const std::string& bytes, mode_t mode) {
    const std::string path = dir_.Write(name, bytes);
    chmod(path.c_str(), mode);
    return path;
  }
  std::string Link(const std::string& name, const std::string& target) {
    fs::create_symlink(target, dir_.Path() / name);
    return dir_.File(name);
  }

  test::TempDir dir_;
  const std::string photo_ = dir_.Write("photo.bmp", "photograph");
  const std::string points_ = dir_.Write("left.crd", "1;2\r\n");
  const std::vector<std::string> inputs_ = {photo_, points_, dir_.File("missing-input.crd")};
};

struct TargetCase {
  const char* name;
  std::function<std::string(OutputTargetTest&)> make;
  std::optional<Reason> refusal;
  std::string cause;  // with "$DIR" for the folder of the test
};

TEST_F(OutputTargetTest, RefusesWhatMustNotBeReplacedAndWritesTheRest) {
  const bool root = geteuid() == 0;
  const std::vector<TargetCase> cases = {
      {"new file", [](auto& t) { return t.dir_.File("new.bmp"); }, std::nullopt, ""},
      {"regular file", [](auto& t) { return t.Make("old.bmp", "old", 0640); }, std::nullopt, ""},
      // access(2) decides, so root may replace a read-only file and others may not.
      {"read-only file", [](auto& t) { return t.Make("ro.bmp", "old", 0444); },
       root ? std::nullopt : std::optional(Reason::NotWritable), root ? "" : "is not writable (Permission denied)"},
      {"link to a file", [](auto& t) { return t.Link("link.bmp", t.Make("real.bmp", "old", 0600)); }, std::nullopt, ""},
      {"link to a link to a file",
       [](auto& t) { return t.Link("link2.bmp", t.Link("link1.bmp", t.Make("real.bmp", "old", 0600))); }, std::nullopt,
       ""},
      {"dangling link", [](auto& t) { return t.Link("dangling.bmp", "nothing.bmp"); }, Reason::DanglingLink,
       "is a symbolic link to nothing.bmp, which does not exist"},
      {"link loop",
       [](auto& t) {
         t.Link("loop-b.bmp", "loop-a.bmp");
         return t.Link("loop-a.bmp", "loop-b.bmp");
       },
       Reason::Unresolvable, "cannot be followed: Too many levels of symbolic links"},
      {"FIFO",
       [](auto& t) {
         const std::string path = t.dir_.File("fifo.bmp");
         EXPECT_EQ(mkfifo(path.c_str(), 0644), 0);
         return path;
       },
       Reason::NotRegular, "is not a regular file (a FIFO)"},
      {"link to a FIFO",
       [](auto& t) {
         const std::string path = t.dir_.File("fifo2.bmp");
         EXPECT_EQ(mkfifo(path.c_str(), 0644), 0);
         return t.Link("fifo-link.bmp", path);
       },
       Reason::NotRegular, "is not a regular file (a FIFO)"},
      {"folder",
       [](auto& t) {
         fs::create_directory(t.dir_.Path() / "out");
         return t.dir_.File("out");
       },
       Reason::Folder, "is a folder"},
      {"missing folder", [](auto& t) { return t.dir_.File("no/such/out.bmp"); }, Reason::FolderMissing,
       "its folder does not exist"},
      {"folder that is a file", [](auto& t) { return t.photo_ + "/out.bmp"; }, Reason::FolderMissing,
       "its folder does not exist"},
      {"an input itself", [](auto& t) { return t.photo_; }, Reason::Input, "is one of the inputs"},
      {"hard link to an input",
       [](auto& t) {
         fs::create_hard_link(t.points_, t.dir_.Path() / "hard.crd");
         return t.dir_.File("hard.crd");
       },
       Reason::Input, "is one of the inputs (the same file as $DIR/left.crd)"},
      {"link to an input", [](auto& t) { return t.Link("photo-link.bmp", t.photo_); }, Reason::Input,
       "is one of the inputs (the same file as $DIR/photo.bmp)"},
      {"no name", [](auto&) { return std::string(); }, Reason::Unresolvable, "is no file name"},
  };
  for (const TargetCase& c : cases) {
    const std::string path = c.make(*this);
    std::string cause = c.cause;
    if (const auto at = cause.find("$DIR"); at != std::string::npos) cause.replace(at, 4, dir_.Path().string());

    const auto refusal = CheckOutputTarget(path, inputs_);
    ASSERT_EQ(refusal.has_value(), c.refusal.has_value()) << c.name << ": " << (refusal ? refusal->Text : "");
    if (refusal) {
      EXPECT_EQ(refusal->Reason, *c.refusal) << c.name;
      EXPECT_EQ(refusal->Cause, cause) << c.name;
      EXPECT_EQ(refusal->Text, path + ": " + cause) << c.name;
    }

    // Every writer keeps to the same rules; the inputs are the caller's to give.
    const bool byInputs = c.refusal == Reason::Input;
    const Node before = NodeAt(path);
    std::error_code error;
    const std::string finalPath = before.Exists ? fs::canonical(path, error).string() : path;
    const mode_t modeBefore = before.Exists && !error ? ModeOf(finalPath) : NewFileMode();
    std::string reason;
    const bool written = WriteBytesReplacing(path, "new", &reason);
    EXPECT_EQ(written, !c.refusal || byInputs) << c.name << ": " << reason;
    if (written) {
      if (before.Exists) {
        EXPECT_EQ(NodeAt(path).Mode, before.Mode) << c.name << ": a link stays a link";
      }
      std::ifstream in(finalPath, std::ios::binary);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new") << c.name;
      EXPECT_EQ(ModeOf(finalPath), modeBefore) << c.name;
    } else {
      EXPECT_EQ(reason, cause) << c.name;
      EXPECT_EQ(NodeAt(path), before) << c.name << ": left as it was";
    }
  }
  // Nothing but the files the cases made: no temporary file stayed behind.
  for (const auto& entry : fs::directory_iterator(dir_.Path()))
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

TEST_F(OutputTargetTest, DeviceNodeIsNeverReplaced) {
  const std::string path = dir_.File("null");
  if (mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "no device nodes here";
  const auto refusal = CheckOutputTarget(path);
  ASSERT_TRUE(refusal.has_value());
  EXPECT_EQ(refusal->Reason, Reason::NotRegular);
  EXPECT_EQ(refusal->Cause, "is not a regular file (a character device)");
  EXPECT_FALSE(WriteBytesReplacing(path, "x"));
  EXPECT_TRUE(S_ISCHR(NodeAt(path).Mode));
}

// The rights of an ordinary user: the tests drop to one in a child when they
// run as root, so that access(2) answers as it would for that user.
TEST_F(OutputTargetTest, RightsOfAnOrdinaryUser) {
  const bool root = geteuid() == 0;
  const fs::path shared = dir_.Path() / "shared";  // anyone may create files here
  fs::create_directory(shared);
  chmod(shared.c_str(), 0777);
  const fs::path locked = dir_.Path() / "locked";  // only its owner may
  fs::create_directory(locked);
  chmod(locked.c_str(), 0755);

  struct UserCase {
    const char* name;
    std::string path;
    std::optional<Reason> refusal;
  };
  std::vector<UserCase> cases;
  const auto file = [](const fs::path& where, mode_t mode, bool ownedByUser) {
    std::ofstream(where) << "old";
    chmod(where.c_str(), mode);
    if (ownedByUser && geteuid() == 0) {
      EXPECT_EQ(chown(where.c_str(), test::kNobody, test::kNobody), 0);
    }
    return where.string();
  };
  cases.push_back({"own file", file(shared / "own.bmp", 0600, true), std::nullopt});
  cases.push_back({"own read-only file", file(shared / "ro.bmp", 0444, true), Reason::NotWritable});
  cases.push_back({"new file in a shared folder", (shared / "new.bmp").string(), std::nullopt});
  if (root) {
    cases.push_back({"another user's file", file(shared / "root.bmp", 0644, false), Reason::NotWritable});
    cases.push_back({"new file in another user's folder", (locked / "new.bmp").string(), Reason::FolderNotWritable});
    cases.push_back(
        {"writable file in another user's folder", file(locked / "open.bmp", 0666, false), Reason::FolderNotWritable});
  }

  const test::ChildEnd end = test::RunInChild([&cases] {
    if (!test::BecomeUnprivileged()) return 100;
    for (std::size_t i = 0; i < cases.size(); ++i) {
      const auto refusal = CheckOutputTarget(cases[i].path);
      if (refusal.has_value() != cases[i].refusal.has_value()) return static_cast<int>(i) + 1;
      if (refusal && refusal->Reason != *cases[i].refusal) return static_cast<int>(i) + 1;
      if (WriteBytesReplacing(cases[i].path, "new") == refusal.has_value()) return static_cast<int>(i) + 1;
    }
    return 0;
  });
  ASSERT_TRUE(end.Exited) << "signal " << end.Signal;
  ASSERT_NE(end.Status, 100) << "cannot drop to an ordinary user";
  EXPECT_EQ(end.Status, 0) << "case " << (end.Status > 0 ? cases[end.Status - 1].name : "");
  // What was refused is unchanged.
  std::ifstream ro(shared / "ro.bmp");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(ro), {}), "old");
}

}  // namespace
}  // namespace vesk
