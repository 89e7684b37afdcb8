#pragma once

// The rendering job written the plain way, one pixel at a time, exactly as
// the build modes are described: walk the columns, map every grid point, read
// and write single pixels. The fast engine must agree with it bit for bit.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/NumericHelpers.h"
#include "render/RenderEngine.h"

namespace vesk::test {

// Records what a job tells its progress display, in order, and asks it to
// stop before column `cancelBeforeColumn` (0-based) starts: right away for
// column 0, otherwise as soon as the column before it has been reported.
class ProgressLog : public ProgressSink {
 public:
  explicit ProgressLog(int cancelBeforeColumn = -1) : cancelBefore_(cancelBeforeColumn) {
    if (cancelBefore_ == 0) Cancel.Request();
  }
  void SetPosition(int position) override {
    Events.push_back("P" + std::to_string(position));
    if (++columnsReported_ == cancelBefore_) Cancel.Request();
  }
  void SetElapsedText(const std::string& text) override { Texts.push_back(text); }
  std::vector<std::string> Events;
  std::vector<std::string> Texts;
  CancelToken Cancel;

 private:
  int cancelBefore_;
  int columnsReported_ = 0;
};

class PlainColumnWalk {
 public:
  PlainColumnWalk(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2)
      : r_(request), p1_(photo1), p2_(photo2) {}

  RenderOutcome Run(ProgressSink& reporter, const CancelToken& cancel) {
    const int mode = static_cast<int>(r_.Mode);
    if (mode < 0 || mode > 11) {
      reporter.SetPosition(100);
      return RenderOutcome{};
    }
    int w = 0, h = 0;
    if (mode == 1 || mode == 2 || mode == 5 || mode == 7) {
      w = p2_.Width();
      h = p2_.Height();
    } else if (mode <= 8) {
      w = p1_.Width();
      h = p1_.Height();
    } else {
      w = static_cast<int>(std::trunc(std::fabs(r_.Area.XMax - r_.Area.XMin) / r_.Area.Step));
      h = static_cast<int>(std::trunc(std::fabs(r_.Area.YMax - r_.Area.YMin) / r_.Area.Step));
    }
    result_ = RgbImage(w, h, kWhite);
    const bool ok = mode <= 8 ? ImageGridWalk(reporter, cancel) : BuildAreaWalk(reporter, cancel);
    if (!ok) return RenderOutcome{fault_ ? RenderStatus::Failed : RenderStatus::Cancelled, RgbImage()};
    reporter.SetPosition(100);
    return RenderOutcome{RenderStatus::Completed, result_};
  }

 private:
  bool Orientation() const { return r_.From == Origin::FromOrientation; }
  const ImagePlane& Plane(int k) const { return k == 1 ? r_.Plane1 : r_.Plane2; }
  const RgbImage& Photo(int k) const { return k == 1 ? p1_ : p2_; }

  // ApplyTransform; false on an arithmetic fault.
  bool Apply(const JobTransform& t, double x, double y, double& X, double& Y) {
    const double d = t.C0() * x + t.C1() * y + 1;
    X = (t.A0() * x + t.A1() * y + t.A2()) / d;
    Y = (t.B0() * x + t.B1() * y + t.B2()) / d;
    if (d == 0 || !std::isfinite(d) || !std::isfinite(X) || !std::isfinite(Y)) fault_ = true;
    return !fault_;
  }

  // Pixel index by truncation; nothing outside the 32-bit range.
  static std::optional<long long> Trunc(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::nullopt;
    return static_cast<long long>(std::trunc(v));
  }

  // The pixel of photograph k for a map result.
  std::optional<std::pair<long long, long long>> PixelOf(int k, double X, double Y) const {
    const auto column = Trunc(Orientation() ? X + Plane(k).CentreX : X);
    const auto row = Trunc(Orientation() ? Plane(k).CentreY - Y * Plane(k).CorrectionValue : Y);
    if (!column || !row) return std::nullopt;
    return std::make_pair(*column, *row);
  }

  static std::optional<Rgb> Read(const RgbImage& photo, std::optional<std::pair<long long, long long>> at) {
    if (!at || at->first < 0 || at->second < 0 || at->first >= photo.Width() || at->second >= photo.Height())
      return std::nullopt;
    return photo.Pixel(static_cast<int>(at->first), static_cast<int>(at->second));
  }
  void Write(std::optional<long long> column, std::optional<long long> row, Rgb colour) {
    if (!column || !row || *column < 0 || *row < 0 || *column >= result_.Width() || *row >= result_.Height()) return;
    result_.SetPixel(static_cast<int>(*column), static_cast<int>(*row), colour);
  }
  // The anaglyph colour of a point from the second photograph's sample and
  // the first's, straight from the table of methods.
  Rgb Anaglyph(std::optional<Rgb> second, std::optional<Rgb> first) const {
    const Rgb noColour = kWhite;
    Rgb l = second ? *second : noColour;
    Rgb r = first ? *first : noColour;
    if (r_.Anaglyph.SwapEyes) std::swap(l, r);
    const auto g = [](Rgb c) { return static_cast<std::uint8_t>((c.R + c.G + c.B) / 3); };
    switch (r_.Anaglyph.Method) {
      case AnaglyphMethod::RedGreen:
        return Rgb{g(l), g(r), 0};
      case AnaglyphMethod::RedBlue:
        return Rgb{g(l), 0, g(r)};
      case AnaglyphMethod::RedCyan:
        return Rgb{g(l), g(r), g(r)};
      case AnaglyphMethod::RedCyanColour:
        return Rgb{l.R, r.G, r.B};
      case AnaglyphMethod::RedCyanHalfColour:
        return Rgb{g(l), r.G, r.B};
      case AnaglyphMethod::RedCyanOptimised: {
        static constexpr int kMatrix[3][6] = {
            {437, 449, 164, -11, -32, -7}, {-62, -62, -24, 377, 761, 9}, {-48, -50, -17, -26, -93, 1234}};
        const int x[6] = {l.R, l.G, l.B, r.R, r.G, r.B};
        std::uint8_t channel[3];
        for (int k = 0; k < 3; ++k) {
          int v = 0;
          for (int i = 0; i < 6; ++i) v += kMatrix[k][i] * x[i];
          const int rounded = v >= 0 ? (v + 500) / 1000 : -((-v + 500) / 1000);
          channel[k] = static_cast<std::uint8_t>(std::clamp(rounded, 0, 255));
        }
        return Rgb{channel[0], channel[1], channel[2]};
      }
    }
    return kWhite;
  }
  static bool Inside(double X, double Y, const RgbImage& photo) {
    return 0 < X && X < photo.Width() && 0 < Y && Y < photo.Height();
  }
  bool Guarded() const { return !Orientation(); }

  bool ImageGridWalk(ProgressSink& reporter, const CancelToken& cancel) {
    const int mode = static_cast<int>(r_.Mode);
    const int walked = (mode == 0 || mode == 2 || mode == 5 || mode == 7) ? 2 : 1;
    const RgbImage& grid = Photo(walked);
    const double progressStep = 100.0 / grid.Width();
    double progressSum = 0;
    std::vector<double> X(grid.Height() + 1), Y(grid.Height() + 1), P(grid.Height() + 1), Q(grid.Height() + 1);
    for (int column = 0; column < grid.Width(); ++column) {
      if (cancel.Requested()) return false;
      for (int row = 0; row < grid.Height(); ++row) {
        double x = column, y = row;
        if (Orientation()) {
          x = column - Plane(walked).CentreX;
          y = (Plane(walked).CentreY - row) / Plane(walked).CorrectionValue;
        }
        if (mode == 6) {
          if (!Apply(r_.Transform1, x, y, P[row], Q[row])) return false;
          if (!Apply(r_.Transform2, P[row], Q[row], X[row], Y[row])) return false;
        } else if (!Apply(r_.Transform1, x, y, X[row], Y[row])) {
          return false;
        }
      }
      for (int j = 0; j < grid.Height(); ++j) {
        const double x = X[j], y = Y[j];
        const double hr = result_.Height();
        switch (mode) {
          case 0:
          case 1: {
            const int frame = mode == 0 ? 1 : 2;
            if (Guarded() && !Inside(x, y, Photo(frame))) break;
            const auto at = PixelOf(frame, x, y);
            if (at) Write(at->first, at->second, grid.Pixel(column, j));
            break;
          }
          case 2:
            result_.SetPixel(column, j, Anaglyph(p2_.Pixel(column, j), Read(p1_, PixelOf(1, x, y))));
            break;
          case 3:
            result_.SetPixel(column, j, Anaglyph(Read(p2_, PixelOf(2, x, y)), p1_.Pixel(column, j)));
            break;
          case 4:
          case 5:
            if (!Inside(x, y, grid)) break;
            Write(Trunc(x), Trunc(hr - y), grid.Pixel(column, j));
            break;
          case 6:
            Write(Trunc(P[j]), Trunc(hr - Q[j]), Anaglyph(Read(p2_, PixelOf(2, x, y)), p1_.Pixel(column, j)));
            break;
          case 7:
          case 8: {
            const int source = mode == 7 ? 1 : 2;
            if (Guarded() && !Inside(x, y, Photo(source))) break;
            const auto colour = Read(Photo(source), PixelOf(source, x, y));
            result_.SetPixel(column, j, colour ? *colour : kBlack);
            break;
          }
        }
      }
      progressSum += progressStep;
      reporter.SetPosition(std::min(100, static_cast<int>(std::trunc(progressSum))));
    }
    return true;
  }

  std::optional<long long> AreaPosition(double v) const {
    if (static_cast<int>(r_.Mode) != 11) return Trunc(v);
    if (!(v > -1e9 && v < 1e9)) return std::nullopt;
    return RoundHalfAway(v);
  }

  bool BuildAreaWalk(ProgressSink& reporter, const CancelToken& cancel) {
    const BuildArea& a = r_.Area;
    const double progressStep = 100.0 / (std::fabs(a.XMax - a.XMin) / a.Step);
    double progressSum = 0;
    std::vector<double> X, Y, P, Q;
    for (double planX = a.XMin; planX <= a.XMax; planX = planX + a.Step) {
      if (cancel.Requested()) return false;
      X.clear();
      Y.clear();
      P.clear();
      Q.clear();
      for (double ys = a.YMin; ys <= a.YMax; ys = ys + a.Step) {
        double x = 0, y = 0, p = 0, q = 0;
        if (!Apply(r_.Transform1, planX, ys, x, y)) return false;
        if (static_cast<int>(r_.Mode) == 11) {
          p = x;
          q = y;
          if (!Apply(r_.Transform2, planX, ys, x, y)) return false;
        }
        X.push_back(x);
        Y.push_back(y);
        P.push_back(p);
        Q.push_back(q);
      }
      std::size_t j = 0;
      for (double ys = a.YMin; ys <= a.YMax; ys = ys + a.Step, ++j) {
        const auto column = AreaPosition((planX - a.XMin) / a.Step);
        const auto row = AreaPosition((std::fabs(a.YMax - a.YMin) - (ys - a.YMin)) / a.Step);
        if (static_cast<int>(r_.Mode) == 11) {
          if (Guarded() && !(Inside(X[j], Y[j], p2_) && Inside(P[j], Q[j], p1_))) continue;
          Write(column, row, Anaglyph(Read(p2_, PixelOf(2, X[j], Y[j])), Read(p1_, PixelOf(1, P[j], Q[j]))));
        } else {
          const int source = static_cast<int>(r_.Mode) == 9 ? 1 : 2;
          if (Guarded() && !Inside(X[j], Y[j], Photo(source))) continue;
          const auto colour = Read(Photo(source), PixelOf(source, X[j], Y[j]));
          Write(column, row, colour ? *colour : kBlack);
        }
      }
      progressSum += progressStep;
      reporter.SetPosition(std::min(100, static_cast<int>(std::trunc(progressSum))));
    }
    return true;
  }

  const RenderRequest& r_;
  const RgbImage& p1_;
  const RgbImage& p2_;
  RgbImage result_;
  bool fault_ = false;
};

}  // namespace vesk::test
