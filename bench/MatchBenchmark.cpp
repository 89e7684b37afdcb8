// Accuracy and speed of the automatic point search on synthetic pairs: the
// shipped photographs seen through known plane transformations (rotation,
// scale 0.5 to 2, perspective, exposure change) and a 4000 x 3000 pair made by
// enlarging and tilting one of them. For every pair, the least-squares fit from
// the found points is compared with the true transformation over the overlap.
//
//   match_benchmark [--data DIR] [--cli PATH-TO-vesk-cli] [--cpfind] [--side N] [--features N]
//                   [--only NAME] [--keep DIR]
//
// --cli also times `vesk-cli match` as a whole process (wall time and peak
// memory); --cpfind runs Hugin's cpfind (default settings) on the same pairs
// and prints its figures beside ours; it is skipped when cpfind is absent.
// --keep writes every pair into DIR (NAME-1.bmp, NAME-2.bmp) for timing by
// other means.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "match/MatchPhotos.h"
#include "qt/ImageFiles.h"
#include "support/SyntheticPair.h"

namespace {

using vesk::RgbImage;
using vesk::VT_Point;
using vesk::test::Matrix3;

struct PairCase {
  const char* Name;
  const char* Source;  // relative to the data folder
  double Degrees = 0;
  double Scale = 1;
  double TiltX = 0;
  double TiltY = 0;
  double Gain = 1;
  double Offset = 0;
  int Width = 0;  // of the second photograph; 0: as the first
  int Height = 0;
  bool Large = false;  // the first photograph enlarged to 4000 x 3000 first
};

struct Pair {
  RgbImage First;
  RgbImage Second;
  Matrix3 Truth;  // first -> second
};

Pair MakePair(const RgbImage& source, const PairCase& c) {
  Pair pair;
  if (c.Large) {
    // The photograph enlarged and slightly tilted, so that the first view is
    // no exact enlargement either.
    const Matrix3 up = vesk::test::ViewChange(source.Width(), source.Height(), 2, 6.4, 0.00002, -0.00001, 4000, 3000);
    pair.First = vesk::test::WarpPhoto(source, up, 4000, 3000);
  } else {
    pair.First = source;
  }
  const int width = c.Width > 0 ? c.Width : pair.First.Width();
  const int height = c.Height > 0 ? c.Height : pair.First.Height();
  pair.Truth = vesk::test::ViewChange(pair.First.Width(), pair.First.Height(), c.Degrees, c.Scale, c.TiltX, c.TiltY,
                                      width, height);
  pair.Second = vesk::test::WarpPhoto(pair.First, pair.Truth, width, height, c.Gain, c.Offset);
  return pair;
}

struct Accuracy {
  bool Fitted = false;
  double Mean = 0;
  double Max = 0;
};

// The worse of the two directions: second to first in the first's pixels and
// first to second in the second's.
Accuracy Compare(const std::vector<VT_Point>& p1, const std::vector<VT_Point>& p2, const Pair& pair) {
  const int step = pair.First.Width() > 1000 ? 4 : 1;
  const auto forward = vesk::test::CompareFitWithTruth(p1, p2, pair.Truth, pair.First.Width(), pair.First.Height(),
                                                       pair.Second.Width(), pair.Second.Height(), step);
  const auto backward =
      vesk::test::CompareFitWithTruth(p2, p1, vesk::test::Inverse(pair.Truth), pair.Second.Width(),
                                      pair.Second.Height(), pair.First.Width(), pair.First.Height(), step);
  Accuracy a;
  a.Fitted = forward.Fitted && backward.Fitted;
  a.Mean = std::max(forward.Mean, backward.Mean);
  a.Max = std::max(forward.Max, backward.Max);
  return a;
}

struct ProcessRun {
  int Status = -1;
  double Seconds = 0;
  double PeakMiB = 0;
};

ProcessRun RunProcess(const std::vector<std::string>& args, bool quiet = true) {
  ProcessRun run;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (quiet) {
      std::FILE* null = std::fopen("/dev/null", "w");
      if (null != nullptr) {
        dup2(fileno(null), 1);
        dup2(fileno(null), 2);
      }
    }
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.PeakMiB = usage.ru_maxrss / 1024.0;
  return run;
}

// cpfind's control points ("c n0 N1 x.. y.. X.. Y.." lines): Hugin puts pixel
// centres at whole numbers, so half a pixel is added to match our points.
bool ReadControlPoints(const std::string& path, std::vector<VT_Point>& first, std::vector<VT_Point>& second) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("c ", 0) != 0) continue;
    std::istringstream words(line);
    std::string word;
    double x = 0, y = 0, X = 0, Y = 0;
    int n = -1, N = -1;
    while (words >> word) {
      if (word.size() < 2) continue;
      const std::string value = word.substr(1);
      switch (word[0]) {
        case 'n':
          n = std::atoi(value.c_str());
          break;
        case 'N':
          N = std::atoi(value.c_str());
          break;
        case 'x':
          x = std::atof(value.c_str());
          break;
        case 'y':
          y = std::atof(value.c_str());
          break;
        case 'X':
          X = std::atof(value.c_str());
          break;
        case 'Y':
          Y = std::atof(value.c_str());
          break;
        default:
          break;
      }
    }
    if (n == 0 && N == 1) {
      first.emplace_back(x + 0.5, y + 0.5);
      second.emplace_back(X + 0.5, Y + 0.5);
    } else if (n == 1 && N == 0) {
      first.emplace_back(X + 0.5, Y + 0.5);
      second.emplace_back(x + 0.5, y + 0.5);
    }
  }
  return !first.empty();
}

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return false;
  std::stringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':'))
    if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

void PrintAccuracy(const Accuracy& a) {
  if (a.Fitted)
    std::printf(" %6.3f %6.3f", a.Mean, a.Max);
  else
    std::printf(" %6s %6s", "fail", "fail");
}

}  // namespace

int main(int argc, char** argv) {
  std::string data = VESK_BENCH_DATA;
  std::string cli;
  bool cpfind = false;
  vesk::match::MatchSettings settings;
  std::string only;
  std::string keep;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--data" && i + 1 < argc)
      data = argv[++i];
    else if (arg == "--cli" && i + 1 < argc)
      cli = argv[++i];
    else if (arg == "--side" && i + 1 < argc)
      settings.DetectionSide = std::atoi(argv[++i]);
    else if (arg == "--features" && i + 1 < argc)
      settings.MaxFeatures = std::atoi(argv[++i]);
    else if (arg == "--only" && i + 1 < argc)
      only = argv[++i];
    else if (arg == "--keep" && i + 1 < argc)
      keep = argv[++i];
    else if (arg == "--cpfind")
      cpfind = true;
    else {
      std::fprintf(stderr,
                   "usage: match_benchmark [--data DIR] [--cli PATH] [--cpfind] [--side N] [--features N] [--only "
                   "NAME]\n                       [--keep DIR]\n");
      return 2;
    }
  }
  if (cpfind && !(OnPath("cpfind") && OnPath("pto_gen"))) {
    std::printf("cpfind or pto_gen not found: the comparison with Hugin is skipped\n");
    cpfind = false;
  }

  const std::vector<PairCase> cases = {
      {"aloe rotation 25", "aloe/aloeL.bmp", 25, 1, 0, 0, 1, 0},
      {"aloe rotation 90", "aloe/aloeL.bmp", 90, 1, 0, 0, 1, 0, 555, 641},
      {"aloe scale 0.5", "aloe/aloeL.bmp", 0, 0.5, 0, 0, 1, 0, 321, 278},
      {"aloe scale 2", "aloe/aloeL.bmp", 0, 2, 0, 0, 1, 0, 1282, 1110},
      {"aloe scale 0.7 rotation -40", "aloe/aloeL.bmp", -40, 0.7, 0, 0, 1, 0},
      {"aloe perspective", "aloe/aloeL.bmp", 5, 1, 0.0006, 0.0003, 1, 0},
      {"aloe strong perspective", "aloe/aloeL.bmp", 0, 0.9, 0.0012, -0.0006, 1, 0},
      {"aloe strong viewpoint", "aloe/aloeL.bmp", 30, 0.8, 0.0016, 0.0008, 1, 0},
      {"chessboard strong viewpoint", "chessboard/left01.bmp", -20, 0.9, -0.0015, 0.001, 1, 0},
      {"aloe exposure dark", "aloe/aloeL.bmp", 10, 1, 0, 0, 0.55, -10},
      {"aloe exposure bright", "aloe/aloeL.bmp", -10, 1.2, 0.0002, 0, 1.5, 30},
      {"chessboard rotation 25", "chessboard/left01.bmp", 25, 1, 0, 0, 1, 0},
      {"chessboard scale 1.5 perspective", "chessboard/left01.bmp", 0, 1.5, 0.0004, 0.0002, 1, 0, 960, 720},
      {"chessboard exposure", "chessboard/left01.bmp", -15, 0.8, 0, 0.0003, 0.6, 20},
      {"4000x3000 perspective", "aloe/aloeL.bmp", 8, 1, 0.00006, 0.00003, 1, 0, 4000, 3000, true},
      {"4000x3000 rotation 25 exposure", "aloe/aloeL.bmp", 25, 0.9, 0, 0, 0.7, 15, 4000, 3000, true},
  };

  const std::filesystem::path work =
      std::filesystem::temp_directory_path() / ("vesk-match-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(work);
  std::printf("%-34s %5s %5s %6s %6s %8s", "pair", "pairs", "inl", "mean", "max", "lib s");
  if (!cli.empty()) std::printf(" %8s %8s", "cli s", "cli MiB");
  if (cpfind) std::printf(" | %5s %6s %6s %8s %8s %6s", "cp", "mean", "max", "cp s", "cp MiB", "ratio");
  std::printf("\n");
  for (const PairCase& c : cases) {
    std::string stem = c.Name;  // the name with '-' for ' ', for file names and --only
    for (char& ch : stem)
      if (ch == ' ') ch = '-';
    if (!only.empty() && std::string(c.Name).find(only) == std::string::npos && stem.find(only) == std::string::npos)
      continue;
    std::optional<RgbImage> source = vesk::qt::LoadImage(data + "/" + c.Source);
    if (!source) {
      std::fprintf(stderr, "cannot read %s/%s\n", data.c_str(), c.Source);
      return 1;
    }
    const Pair pair = MakePair(*source, c);
    const auto start = std::chrono::steady_clock::now();
    const vesk::match::MatchOutcome outcome = vesk::match::FindCorrespondingPoints(pair.First, pair.Second, settings);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Accuracy ours;
    if (outcome.Status == vesk::match::MatchStatus::Found) ours = Compare(outcome.Points1, outcome.Points2, pair);
    std::printf("%-34s %5d %5d", c.Name, static_cast<int>(outcome.Points1.size()), outcome.Inliers);
    PrintAccuracy(ours);
    std::printf(" %8.3f", seconds);
    std::fflush(stdout);

    if (!keep.empty()) {
      vesk::qt::SaveImage(pair.First, keep + "/" + stem + "-1.bmp");
      vesk::qt::SaveImage(pair.Second, keep + "/" + stem + "-2.bmp");
    }
    const std::string first = (work / "first.bmp").string();
    const std::string second = (work / "second.bmp").string();
    if (!cli.empty() || cpfind) {
      vesk::qt::SaveImage(pair.First, first);
      vesk::qt::SaveImage(pair.Second, second);
    }
    double cliSeconds = 0;
    if (!cli.empty()) {
      const ProcessRun run =
          RunProcess({cli, "match", "--photo1", first, "--photo2", second, "--points1", (work / "a.crd").string(),
                      "--points2", (work / "b.crd").string(), "--decimal-separator", "."});
      cliSeconds = run.Seconds;
      std::printf(" %8.3f %8.1f", run.Seconds, run.PeakMiB);
      if (run.Status != 0) std::printf(" (exit %d)", run.Status);
    }
    if (cpfind) {
      const std::string project = (work / "pair.pto").string();
      const std::string found = (work / "found.pto").string();
      std::filesystem::remove(found);
      RunProcess({"pto_gen", "-o", project, first, second});
      const ProcessRun run = RunProcess({"cpfind", "-o", found, project});
      std::vector<VT_Point> p1, p2;
      Accuracy theirs;
      if (run.Status == 0 && ReadControlPoints(found, p1, p2)) theirs = Compare(p1, p2, pair);
      std::printf(" | %5d", static_cast<int>(p1.size()));
      PrintAccuracy(theirs);
      std::printf(" %8.3f %8.1f", run.Seconds, run.PeakMiB);
      const double ours = cli.empty() ? seconds : cliSeconds;
      std::printf(" %6.2f", run.Seconds / ours);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  std::filesystem::remove_all(work);
  return 0;
}
