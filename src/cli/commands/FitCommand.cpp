#include <cstdio>
#include <optional>
#include <string>

#include "CliErrors.h"
#include "InputFiles.h"
#include "Json.h"
#include "MethodNotes.h"
#include "TerminalProgress.h"
#include "build/PointCountCheck.h"
#include "commands/Commands.h"
#include "estimation/BuildFit.h"
#include "estimation/Residuals.h"
#include "files/CoordinateFile.h"

namespace vesk::cli {
namespace {

constexpr const char* kHelp =
    "Usage: vesk-cli fit --points1 A.crd --points2 B.crd [--scene S.crd] --mode N\n"
    "                    [--method auto|least-squares|statistics] [--sigma 3]\n"
    "                    [--min-angle 10] [--min-distance 0.1]\n"
    "                    [--photo1 P1 --photo2 P2 | --size1 W H --size2 W H]\n"
    "                    [--decimal-separator C] [--json]\n\n"
    "Fits the plane projective transformations that build mode N (0..11) needs from\n"
    "the reference points, exactly as the reference-point workspace does, and shows\n"
    "the coefficients (stored order a0 a1 a2 c0 c1 b0 b1 b2 of\n"
    "X = (a0 x + a1 y + a2) / (c0 x + c1 y + 1), Y = (b0 x + b1 y + b2) / (c0 x + c1 y + 1))\n"
    "and, per reference point, the residual: mapped source point minus target point,\n"
    "in target units, with its root mean square.\n\n"
    "Options:\n"
    "  --points1 A.crd      reference points in the first photograph\n"
    "  --points2 B.crd      the same points in the second photograph\n"
    "  --scene S.crd        the same points on the scene plane (modes 4, 5, 6, 9, 10, 11)\n"
    "  --mode N             build mode: 0 second to first, 1 first to second,\n"
    "                       2/3 anaglyph on the second/first, 4/5 first/second to plan,\n"
    "                       6 anaglyph on the scene, 7..11 the same with interpolation\n"
    "  --method M           auto (default: the workspace's choice, and least squares\n"
    "                       where the statistical method would take more than about\n"
    "                       10 s; said on stderr), least-squares or statistics\n"
    "  --sigma S            statistical method: clipping band in standard deviations (3)\n"
    "  --min-angle A        statistical method: minimum angle between lines, degrees (10)\n"
    "  --min-distance D     statistical method: minimum distance between points as a\n"
    "                       fraction of the photograph's diagonal (0.1)\n"
    "  --photo1/--photo2 P  take the photograph sizes from image files\n"
    "  --size1/--size2 W H  or give them in pixels (default 0 x 0: no distance test)\n"
    "  --decimal-separator C  decimal separator of the data files (default: the locale's)\n"
    "  --json               one JSON object: {\"method\", \"too_many_subsets\",\n"
    "                       \"primary\": [8 numbers],\n"
    "                       \"second\": [8 numbers or none], \"residuals\": {\"primary\":\n"
    "                       {\"points\": [[dx, dy], ...], \"rms\"}, \"second\": ... or null}}\n\n"
    "Exit status: 0 when every transformation was fitted, 1 when an input is wrong or\n"
    "a fit failed (stderr says which and why), 2 on a usage error.\n";

// A photograph's size as the command line gives it: an image file to read
// (after the whole command line has been checked) or two numbers.
struct PhotoSizeSource {
  std::optional<std::string> Photo;
  PhotoSize Size;
};

PhotoSizeSource TakePhotoSize(Arguments& args, const std::string& photoOption, const std::string& sizeOption) {
  PhotoSizeSource source;
  source.Photo = args.Value(photoOption);
  const std::optional<std::vector<double>> size = args.Numbers(sizeOption, 2);
  if (source.Photo && size) throw UsageError("give either " + photoOption + " or " + sizeOption + ", not both");
  if (size) {
    if ((*size)[0] < 0 || (*size)[1] < 0) throw UsageError(sizeOption + " takes a width and a height of 0 or more");
    source.Size = PhotoSize{(*size)[0], (*size)[1]};
  }
  return source;
}

PhotoSize ResolvePhotoSize(const PhotoSizeSource& source) {
  return source.Photo ? ReadPhotoSizeOrThrow(*source.Photo) : source.Size;
}

std::optional<EstimationMethod> TakeMethod(Arguments& args) {
  const std::string method = args.Value("--method").value_or("auto");
  if (method == "auto") return std::nullopt;
  if (method == "least-squares") return EstimationMethod::LeastSquares;
  if (method == "statistics") return EstimationMethod::Statistics;
  throw UsageError("--method takes auto, least-squares or statistics");
}

const char* MethodName(EstimationMethod method) {
  return method == EstimationMethod::LeastSquares ? "least-squares" : "statistics";
}

std::string JsonResiduals(const std::optional<ResidualReport>& report) {
  if (!report) return "null";
  std::string points = "[";
  for (std::size_t i = 0; i < report->Points.size(); ++i) {
    if (i > 0) points += ", ";
    points += "[" + JsonNumber(report->Points[i].X) + ", " + JsonNumber(report->Points[i].Y) + "]";
  }
  return "{\"points\": " + points + "], \"rms\": " + JsonNumber(report->Rms) + "}";
}

std::string Readable(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

void PrintReadable(std::ostream& out, const char* role, const FitReport& fit, const TransformCoefficients& set,
                   const std::optional<ResidualReport>& residuals) {
  out << role << " transformation, " << FitName(fit.Fit) << ":";
  const std::optional<CoefficientArray> values = CoefficientValues(set);
  if (!values) {
    out << " not fitted (" << fit.Failure << ")\n";
    return;
  }
  out << "\n";
  static const char* const kNames[kCoefficientCount] = {"a0", "a1", "a2", "c0", "c1", "b0", "b1", "b2"};
  for (int q = 0; q < kCoefficientCount; ++q)
    out << "  " << kNames[q] << " = " << Readable((*values)[static_cast<std::size_t>(q)]) << "\n";
  if (!residuals) return;
  out << "  residuals (mapped " << PointSetName(fit.Fit.Source) << " point minus " << PointSetName(fit.Fit.Target)
      << " point), rms " << Readable(residuals->Rms) << ":\n";
  for (std::size_t i = 0; i < residuals->Points.size(); ++i)
    out << "    " << i + 1 << ": " << Readable(residuals->Points[i].X) << " ; " << Readable(residuals->Points[i].Y)
        << "\n";
}

int RunFit(Arguments& args, CliEnvironment& env) {
  const bool json = args.Flag("--json");
  const std::string points1Path = args.RequiredValue("--points1");
  const std::string points2Path = args.RequiredValue("--points2");
  const std::optional<std::string> scenePath = args.Value("--scene");
  const std::optional<int> modeCode = args.Integer("--mode");
  if (!modeCode) throw UsageError("missing option --mode");
  if (!IsValidBuildMode(*modeCode)) throw UsageError("--mode takes a build mode from 0 to 11");
  const BuildMode mode = static_cast<BuildMode>(*modeCode);
  const std::optional<EstimationMethod> requestedMethod = TakeMethod(args);
  StatisticalSettings settings;
  settings.SigmaCount = args.Number("--sigma").value_or(settings.SigmaCount);
  settings.MinAngle = args.Number("--min-angle").value_or(settings.MinAngle);
  settings.MinDistance = args.Number("--min-distance").value_or(settings.MinDistance);
  const NumberFormat format = DataFileFormat(args, env);
  const PhotoSizeSource photo1Source = TakePhotoSize(args, "--photo1", "--size1");
  const PhotoSizeSource photo2Source = TakePhotoSize(args, "--photo2", "--size2");
  args.Finish();
  if (PlanNeedsScene(mode) && !scenePath)
    throw UsageError("mode " + std::to_string(*modeCode) + " needs the scene points (--scene S.crd)");
  const PhotoSize photo1 = ResolvePhotoSize(photo1Source);
  const PhotoSize photo2 = ResolvePhotoSize(photo2Source);

  VT_Points points1(kOwnsItems);
  VT_Points points2(kOwnsItems);
  VT_Points scene(kOwnsItems);
  ReadPointsOrThrow(points1Path, points1, format);
  ReadPointsOrThrow(points2Path, points2, format);
  if (scenePath) ReadPointsOrThrow(*scenePath, scene, format);

  // Line n of each file is one point: files of different lengths do not pair up.
  std::vector<CountedPointFile> counts = {{points1Path, points1.Count()}, {points2Path, points2.Count()}};
  if (PlanNeedsScene(mode)) counts.push_back({*scenePath, scene.Count()});
  if (const auto mismatch = CheckPointCounts(counts)) throw VeskError(mismatch->Detail);

  const int pointCount = points1.Count();
  MethodChoice choice;
  if (requestedMethod) {
    choice.Method = *requestedMethod;
    choice.Subsets = StatisticalSubsets(mode, pointCount);
    if (choice.Method == EstimationMethod::Statistics)
      if (const std::string note = LongStatisticsNote(choice.Subsets); !note.empty())
        env.Err << "vesk-cli fit: " << note << "\n";
  } else {
    choice = ChooseEstimationMethod(mode, points1, points2);
    if (choice.TooManySubsets) env.Err << "vesk-cli fit: " << TooManySubsetsNote(choice, pointCount) << "\n";
  }
  const EstimationMethod method = choice.Method;
  const BuildFitInput input{mode, method, points1, points2, scene, settings, photo1, photo2};
  TransformCoefficients primary(kOwnsItems);
  TransformCoefficients second(kOwnsItems);
  BuildFitOutcome outcome;
  {
    TerminalProgress progress(env.Err, env.ErrIsTerminal && !json, "computing the parameters");
    const CancelToken cancel(env.Interrupted);
    outcome = FitBuildTransformations(input, primary, second, &progress, &cancel);
    progress.Close();
    if (cancel.Requested()) throw Interrupted();
  }

  static const char* const kRoles[2] = {"primary", "second"};
  const TransformCoefficients* sets[2] = {&primary, &second};
  std::optional<ResidualReport> residuals[2];
  for (std::size_t f = 0; f < outcome.Fits.size(); ++f) {
    const PlannedFit& fit = outcome.Fits[f].Fit;
    residuals[f] = ComputeResiduals(*sets[f], PointSet(input, fit.Source), PointSet(input, fit.Target));
  }

  if (json) {
    const auto values = [](const TransformCoefficients& set) {
      const std::optional<CoefficientArray> c = CoefficientValues(set);
      return c ? std::vector<double>(c->begin(), c->end()) : std::vector<double>();
    };
    env.Out << "{\"method\": " << JsonString(MethodName(method))
            << ", \"too_many_subsets\": " << (choice.TooManySubsets ? "true" : "false")
            << ", \"primary\": " << JsonNumberArray(values(primary))
            << ", \"second\": " << JsonNumberArray(values(second))
            << ", \"residuals\": {\"primary\": " << JsonResiduals(residuals[0])
            << ", \"second\": " << JsonResiduals(residuals[1]) << "}}\n";
  } else {
    env.Out << "method: " << MethodName(method);
    if (!requestedMethod)
      env.Out << " (chosen: mean shift residual " << Readable(MeanShiftResidual(points1, points2)) << ", "
              << points1.Count() << " points"
              << (choice.TooManySubsets ? "; too many subsets for the statistical method" : "") << ")";
    env.Out << "\n";
    for (std::size_t f = 0; f < outcome.Fits.size(); ++f)
      PrintReadable(env.Out, kRoles[f], outcome.Fits[f], *sets[f], residuals[f]);
  }

  for (std::size_t f = 0; f < outcome.Fits.size(); ++f)
    if (!outcome.Fits[f].Fitted)
      env.Err << "vesk-cli fit: the " << kRoles[f] << " transformation (" << FitName(outcome.Fits[f].Fit)
              << ") was not fitted by " << MethodName(method) << ": " << outcome.Fits[f].Failure << "\n";
  return outcome.AllFitted() ? kExitSuccess : kExitInputError;
}

}  // namespace

Command FitCommand() {
  return Command{"fit", "fit the projective transformations of a build from reference points", kHelp, RunFit};
}

}  // namespace vesk::cli
