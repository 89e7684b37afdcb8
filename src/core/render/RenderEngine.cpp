#include "render/RenderEngine.h"

#include "model/BuildModeTraits.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "common/VeskError.h"
#include "model/BuildMode.h"
#include "model/NumericHelpers.h"
#include "render/AnaglyphMethod.h"
#include "render/AreaWalk.h"
#include "render/LargeBuffer.h"
#include "render/ProgressDisplay.h"
#include "render/RenderKernels.h"
#include "render/RenderMessages.h"
#include "render/WalkGrid.h"
#include "render/WorkerTeam.h"

namespace vesk {
namespace {

using render_detail::Kernels;
using render_detail::kNoColour;
using render_detail::kSkip;
using render_detail::MakeAreaWalk;
using render_detail::MakeImageWalk;
using render_detail::MapColumns;
using render_detail::MapRow;
using render_detail::PixelRule;
using render_detail::ProgressDisplay;
using render_detail::SeparableMap;
using render_detail::Walk;

constexpr int kNoFault = INT_MAX;
// Rows of samples a thread takes at a time.
constexpr int kRowsPerBlock = 32;
// The photograph pixels one row of samples reads are asked for all at once
// before the row is transferred: a map that tilts the rows a little makes
// each result row read short pieces of many photograph rows, which the
// processor's own prefetching does not foresee. One request per this many
// samples covers every cache line of a piece.
constexpr int kPrefetchStride = 8;

void PrefetchReads(const std::uint8_t* photo, const std::int32_t* offsets, int count) {
  for (int i = 0; i < count; i += kPrefetchStride)
    if (offsets[i] >= 0) __builtin_prefetch(photo + offsets[i]);
}

PictureSize SizeOf(const RgbImage& image) { return PictureSize{image.Width(), image.Height()}; }

const ImagePlane& PlaneOf(const RenderRequest& request, int photograph) {
  return photograph == 1 ? request.Plane1 : request.Plane2;
}

// Reading photograph `photograph` at a map result; a guarded read skips the
// sample unless the result lies strictly inside that photograph.
PixelRule ReadRule(const RenderRequest& request, const RgbImage& photo, int photograph, bool guarded) {
  PixelRule rule;
  rule.Guarded = guarded;
  rule.GuardWidth = photo.Width();
  rule.GuardHeight = photo.Height();
  if (request.From == Origin::FromOrientation) {
    const ImagePlane& plane = PlaneOf(request, photograph);
    rule.OffsetX = plane.CentreX;
    rule.RowFlipped = true;
    rule.OffsetY = plane.CentreY;
    rule.ScaleY = plane.CorrectionValue;
  }
  rule.Width = photo.Width();
  rule.Height = photo.Height();
  rule.Stride = photo.Width() * 3;
  rule.Outside = kNoColour;
  return rule;
}

// Writing into the result at a scene position of the plan modes: column
// trunc(X), row trunc(Hr - Y).
PixelRule PlanRule(const RgbImage& result) {
  PixelRule rule;
  rule.RowFlipped = true;
  rule.OffsetY = result.Height();
  rule.ScaleY = 1.0;
  rule.Width = result.Width();
  rule.Height = result.Height();
  rule.Stride = result.Width() * 3;
  rule.Outside = kSkip;
  return rule;
}

// Reads the pixel as one 4-byte word (every picture buffer has slack bytes
// after its last pixel), which saves two loads per pixel.
inline std::uint8_t Grey(const std::uint8_t* pixel) {
  std::uint32_t word;
  std::memcpy(&word, pixel, sizeof word);
  return static_cast<std::uint8_t>(((word & 0xFF) + ((word >> 8) & 0xFF) + ((word >> 16) & 0xFF)) / 3);
}
inline void CopyPixel(std::uint8_t* to, const std::uint8_t* from) {
  to[0] = from[0];
  to[1] = from[1];
  to[2] = from[2];
}
inline void SetPixel(std::uint8_t* to, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  to[0] = r;
  to[1] = g;
  to[2] = b;
}
// What a read that fell outside its photograph counts as, with the slack
// byte of the 4-byte reads.
constexpr std::uint8_t kWhitePixel[4] = {255, 255, 255, 255};
inline const std::uint8_t* PixelOrWhite(const std::uint8_t* photo, std::int32_t offset) {
  return offset >= 0 ? photo + offset : kWhitePixel;
}

inline std::uint8_t Dubois(const std::int32_t (&row)[6], const std::uint8_t* left, const std::uint8_t* right) {
  return DuboisChannel(row[0] * left[0] + row[1] * left[1] + row[2] * left[2] + row[3] * right[0] + row[4] * right[1] +
                       row[5] * right[2]);
}

// The anaglyph colour of one point from the sample for the eye behind the
// red filter and the other eye's.
template <AnaglyphMethod M>
inline void ComposeAnaglyph(std::uint8_t* to, const std::uint8_t* left, const std::uint8_t* right) {
  if constexpr (M == AnaglyphMethod::RedGreen) {
    SetPixel(to, Grey(left), Grey(right), 0);
  } else if constexpr (M == AnaglyphMethod::RedBlue) {
    SetPixel(to, Grey(left), 0, Grey(right));
  } else if constexpr (M == AnaglyphMethod::RedCyan) {
    const std::uint8_t grey = Grey(right);
    SetPixel(to, Grey(left), grey, grey);
  } else if constexpr (M == AnaglyphMethod::RedCyanColour) {
    SetPixel(to, left[0], right[1], right[2]);
  } else if constexpr (M == AnaglyphMethod::RedCyanHalfColour) {
    SetPixel(to, Grey(left), right[1], right[2]);
  } else {
    SetPixel(to, Dubois(kDuboisRedCyan[0], left, right), Dubois(kDuboisRedCyan[1], left, right),
             Dubois(kDuboisRedCyan[2], left, right));
  }
}

// Calls body(tag) with std::integral_constant<AnaglyphMethod, method>, so
// that the per-pixel work is compiled once per method.
template <typename Body>
void WithMethod(AnaglyphMethod method, Body&& body) {
  switch (method) {
    case AnaglyphMethod::RedGreen:
      return body(std::integral_constant<AnaglyphMethod, AnaglyphMethod::RedGreen>{});
    case AnaglyphMethod::RedBlue:
      return body(std::integral_constant<AnaglyphMethod, AnaglyphMethod::RedBlue>{});
    case AnaglyphMethod::RedCyan:
      return body(std::integral_constant<AnaglyphMethod, AnaglyphMethod::RedCyan>{});
    case AnaglyphMethod::RedCyanColour:
      return body(std::integral_constant<AnaglyphMethod, AnaglyphMethod::RedCyanColour>{});
    case AnaglyphMethod::RedCyanHalfColour:
      return body(std::integral_constant<AnaglyphMethod, AnaglyphMethod::RedCyanHalfColour>{});
    case AnaglyphMethod::RedCyanOptimised:
      return body(std::integral_constant<AnaglyphMethod, AnaglyphMethod::RedCyanOptimised>{});
  }
}

class Renderer {
 public:
  Renderer(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2, RgbImage& result,
           const Kernels& kernels, WorkerTeam& team)
      : request_(request),
        mode_(static_cast<int>(request.Mode)),
        forward_(TraitsOf(request.Mode).Forward),
        swapEyes_(request.Anaglyph.SwapEyes),
        photo1_(photo1),
        photo2_(photo2),
        result_(result),
        kernels_(kernels),
        team_(team),
        walked_(static_cast<int>(TraitsOf(request.Mode).Walked)),
        walk_(walked_ == 0 ? MakeAreaWalk(request, SizeOf(result))
                           : MakeImageWalk(request, walked_ == 1 ? photo1 : photo2, PlaneOf(request, walked_))),
        map1_(request.Transform1, walk_) {
    if (mode_ == 11) map2_.emplace(request.Transform2, walk_);
    faults_.assign(static_cast<std::size_t>(team.Size()), kNoFault);
    SetUpRules();
    SetUpRowGroups();
    if (forward_) {
      // Which column wrote each result pixel (see ScatterRow).
      const std::size_t pixels = static_cast<std::size_t>(result_.Width()) * static_cast<std::size_t>(result_.Height());
      const std::size_t bytes = pixels * (walk_.Columns() < 0xFFFF ? sizeof(std::uint16_t) : sizeof(std::uint32_t));
      writers_ = AllocateLargeBuffer(bytes);
      if (bytes > 0) std::memset(writers_.get(), 0, bytes);
    }
    // Strips of some million samples: whole rows of photographs stream
    // through the cache, and a stop request is still seen within
    // milliseconds.
    const int columns = std::max(1, walk_.Columns());
    SetStripColumns(std::clamp(8000000 / std::max(1, walk_.Rows()), std::min(64, columns), columns));
  }

  const Walk& WalkGrid() const { return walk_; }
  int StripColumns() const { return stripColumns_; }
  void SetStripColumns(int columns) {
    stripColumns_ = columns;
    for (Scratch& scratch : scratch_) scratch.Resize(columns, maxGroup_);
  }

  // Renders walk columns [c0, c1); returns the first column in which an
  // arithmetic fault occurred, or kNoFault.
  int RenderStrip(int c0, int c1) {
    std::fill(faults_.begin(), faults_.end(), kNoFault);
    nextBlock_ = 0;
    team_.Run([&](int member) { RenderRows(member, c0, c1); });
    return *std::min_element(faults_.begin(), faults_.end());
  }

 private:
  // Per-thread buffers: map results of one walk row and pixel offsets of
  // every row of a result-row group.
  struct Scratch {
    std::vector<double> P, Q;  // first map results of one row of samples (mode 6)
    std::vector<std::int32_t> Offsets1, Offsets2;
    std::vector<std::uint8_t> Colours;  // anaglyph colours of one row of samples (mode 6)
    void Resize(int columns, int group) {
      const std::size_t n = static_cast<std::size_t>(columns);
      Colours.assign(3 * n + 64, 0);
      P.assign(n, 0);
      Q.assign(n, 0);
      Offsets1.assign(n * static_cast<std::size_t>(group), kSkip);
      Offsets2.assign(n * static_cast<std::size_t>(group), kSkip);
    }
  };

  void SetUpRules() {
    const bool guarded = request_.From != Origin::FromOrientation;
    switch (mode_) {
      case 0:  // into the first photograph's frame
        rule1_ = ReadRule(request_, photo1_, 1, guarded);
        break;
      case 1:  // into the second photograph's frame
        rule1_ = ReadRule(request_, photo2_, 2, guarded);
        break;
      case 2:
        rule1_ = ReadRule(request_, photo1_, 1, false);
        break;
      case 3:
        rule1_ = ReadRule(request_, photo2_, 2, false);
        break;
      case 4:
      case 5: {  // onto the plan; the guard holds for both origins
        const RgbImage& walked = mode_ == 4 ? photo1_ : photo2_;
        rule1_ = PlanRule(result_);
        rule1_.Guarded = true;
        rule1_.GuardWidth = walked.Width();
        rule1_.GuardHeight = walked.Height();
        break;
      }
      case 6:
        rule1_ = PlanRule(result_);
        rule2_ = ReadRule(request_, photo2_, 2, false);
        break;
      case 7:
      case 9:
        rule1_ = ReadRule(request_, photo1_, 1, guarded);
        break;
      case 8:
      case 10:
        rule1_ = ReadRule(request_, photo2_, 2, guarded);
        break;
      case 11:
        rule1_ = ReadRule(request_, photo1_, 1, guarded);
        rule2_ = ReadRule(request_, photo2_, 2, guarded);
        break;
      default:
        break;
    }
    if (forward_) {
      // Forward modes address the result; a write outside it has no effect.
      rule1_.Outside = kSkip;
      rule1_.Width = result_.Width();
      rule1_.Height = result_.Height();
      // Pixel indices rather than byte offsets: they also index the writers.
      rule1_.Stride = result_.Width();
      rule1_.PixelBytes = 1;
    }
  }

  // Samples of one column that land on one result row (build-area walks
  // whose accumulated positions truncate alike) form a group; the groups are
  // runs of rows because the row position falls as Ys grows. A thread owns
  // whole groups, so writes to one pixel stay in walk order. The forward
  // modes scatter anywhere and run on one thread.
  void SetUpRowGroups() {
    const int rows = walk_.Rows();
    maxGroup_ = 1;
    for (int j = 0; j < rows;) {
      const int end = GroupEnd(j, rows);
      maxGroup_ = std::max(maxGroup_, end - j);
      j = end;
    }
    // Blocks of whole groups that the threads take one after the other, so
    // that a thread slowed by other work on the machine takes fewer. The
    // forward modes make one block, worked top to bottom by one thread.
    blockStarts_.assign(1, 0);
    const int blockRows = forward_ ? rows : kRowsPerBlock;
    for (int j = 0; j < rows;) {
      int end = std::min(rows, j + blockRows);
      if (end < rows) end = GroupEnd(end - 1, rows);
      blockStarts_.push_back(end);
      j = end;
    }
    scratch_.resize(static_cast<std::size_t>(team_.Size()));
  }

  // End of the group of rows that starts at (or runs through) row j.
  int GroupEnd(int j, int rows) const {
    if (forward_) return j + 1;
    const int row = walk_.ResultRow[static_cast<std::size_t>(j)];
    int end = j + 1;
    if (row >= 0)
      while (end < rows && walk_.ResultRow[static_cast<std::size_t>(end)] == row) ++end;
    return end;
  }

  void NoteFault(int member, int fault, int c0) {
    if (fault < 0) return;
    int& first = faults_[static_cast<std::size_t>(member)];
    first = std::min(first, c0 + fault);
  }

  void RenderRows(int member, int c0, int c1) {
    const std::size_t blocks = blockStarts_.size() - 1;
    for (std::size_t block = nextBlock_++; block < blocks; block = nextBlock_++)
      RenderRowBlock(member, blockStarts_[block], blockStarts_[block + 1], c0, c1);
  }

  void RenderRowBlock(int member, int rowBegin, int rowEnd, int c0, int c1) {
    Scratch& s = scratch_[static_cast<std::size_t>(member)];
    const int count = c1 - c0;
    for (int j = rowBegin; j < rowEnd;) {
      const int groupEnd = GroupEnd(j, rowEnd);
      for (int k = j; k < groupEnd; ++k) {
        const std::size_t slot = static_cast<std::size_t>(k - j) * static_cast<std::size_t>(count);
        std::int32_t* offsets1 = &s.Offsets1[slot];
        std::int32_t* offsets2 = &s.Offsets2[slot];
        if (mode_ == 6) {
          // (P, Q) on the plan goes on through the second map, unconverted.
          NoteFault(
              member,
              kernels_.MapRowOffsets(map1_.Columns(c0), map1_.Row(k), rule1_, count, offsets1, s.P.data(), s.Q.data()),
              c0);
          NoteFault(member,
                    kernels_.MapPointOffsets(request_.Transform2, rule2_, s.P.data(), s.Q.data(), count, offsets2), c0);
        } else {
          NoteFault(member,
                    kernels_.MapRowOffsets(map1_.Columns(c0), map1_.Row(k), rule1_, count, offsets1, nullptr, nullptr),
                    c0);
          if (map2_)
            NoteFault(
                member,
                kernels_.MapRowOffsets(map2_->Columns(c0), map2_->Row(k), rule2_, count, offsets2, nullptr, nullptr),
                c0);
        }
      }
      if (forward_) {
        ScatterRow(s, j, c0, c1);
      } else {
        const int resultRow = walk_.ResultRow[static_cast<std::size_t>(j)];
        if (resultRow >= 0) TransferGroup(s, resultRow, j, groupEnd, c0, c1);
      }
      j = groupEnd;
    }
  }

  // Where the samples of one walk row from column c0 on fill consecutive
  // result pixels (always on image grids, and on build areas whose positions
  // do not truncate alike), the first of those pixels, with `run` set to how
  // many samples of [c0, c1) do; otherwise null. A build area usually ends
  // in a column beyond the result, so the run is often the strip less one.
  std::uint8_t* ConsecutiveRun(int resultRow, int ja, int jb, int c0, int c1, int& run) {
    run = 0;
    if (jb - ja != 1) return nullptr;
    const int first = walk_.ResultColumn[static_cast<std::size_t>(c0)];
    if (first < 0) return nullptr;
    run = std::min(c1 - 1, walk_.ConsecutiveUntil[static_cast<std::size_t>(c0)]) - c0 + 1;
    return result_.Row(resultRow) + 3 * static_cast<std::ptrdiff_t>(first);
  }

  // Writes the samples of walk rows [ja, jb) and columns [c0 + from, c1) into
  // one result row, in walk order: column by column, rows ascending. The
  // consecutive run comes first; `write` learns whether the pixel after the
  // one it writes belongs to the run (and so will be written after it).
  template <typename WriteSample>
  void ForEachSample(int resultRow, int ja, int jb, int c0, int c1, int from, WriteSample&& write) {
    const int count = c1 - c0;
    int i = from;
    int run = 0;
    if (std::uint8_t* to = ConsecutiveRun(resultRow, ja, jb, c0, c1, run)) {
      to += 3 * static_cast<std::ptrdiff_t>(from);
      for (; i + 1 < run; ++i, to += 3) write(to, c0 + i, ja, i, true);
      if (i < run) {
        write(to, c0 + i, ja, i, false);
        ++i;
      }
    }
    std::uint8_t* row = result_.Row(resultRow);
    for (; i < count; ++i) {
      const int column = walk_.ResultColumn[static_cast<std::size_t>(c0 + i)];
      if (column < 0) continue;
      for (int j = ja; j < jb; ++j)
        write(row + 3 * static_cast<std::ptrdiff_t>(column), c0 + i, j, (j - ja) * count + i, false);
    }
  }

  // The vector transfer of a whole row of an anaglyph, where the kernels have
  // one (gathering pixels pays for the anaglyph colours, not for plain
  // copies); returns how many leading samples it wrote.
  int TransferRowAtOnce(const Scratch& s, int resultRow, int j, int c0, int c1) {
    int count = 0;
    std::uint8_t* to = ConsecutiveRun(resultRow, j, j + 1, c0, c1, count);
    if (to == nullptr || kernels_.AnaglyphRow == nullptr) return 0;
    const std::int32_t* offsets1 = s.Offsets1.data();
    // The second photograph's sample and the first's, each a pixel of the
    // walked row or one read at offsets.
    const std::uint8_t* second = photo2_.Data();
    const std::int32_t* secondOffsets = offsets1;
    const std::uint8_t* first = photo1_.Data();
    const std::int32_t* firstOffsets = offsets1;
    switch (mode_) {
      case 2:
        second = photo2_.Row(j) + 3 * static_cast<std::ptrdiff_t>(c0);
        secondOffsets = nullptr;
        break;
      case 3:
        first = photo1_.Row(j) + 3 * static_cast<std::ptrdiff_t>(c0);
        firstOffsets = nullptr;
        break;
      case 11:
        secondOffsets = s.Offsets2.data();
        break;
      default:
        return 0;
    }
    const AnaglyphMethod method = request_.Anaglyph.Method;
    if (swapEyes_) return kernels_.AnaglyphRow(method, first, firstOffsets, second, secondOffsets, count, to);
    return kernels_.AnaglyphRow(method, second, secondOffsets, first, firstOffsets, count, to);
  }

  // The anaglyph colour of one point from the second photograph's sample and
  // the first's, each eye behind its filter.
  template <AnaglyphMethod M>
  void Compose(std::uint8_t* to, const std::uint8_t* second, const std::uint8_t* first) const {
    if (swapEyes_)
      ComposeAnaglyph<M>(to, first, second);
    else
      ComposeAnaglyph<M>(to, second, first);
  }

  template <AnaglyphMethod M>
  void TransferAnaglyph(const Scratch& s, int resultRow, int ja, int jb, int c0, int c1, int from) {
    const std::int32_t* offsets1 = s.Offsets1.data();
    const std::int32_t* offsets2 = s.Offsets2.data();
    const std::uint8_t* first = photo1_.Data();
    const std::uint8_t* second = photo2_.Data();
    switch (mode_) {
      case 2:
        ForEachSample(resultRow, ja, jb, c0, c1, from, [&](std::uint8_t* to, int c, int j, int slot, bool) {
          Compose<M>(to, photo2_.Row(j) + 3 * static_cast<std::ptrdiff_t>(c), PixelOrWhite(first, offsets1[slot]));
        });
        break;
      case 3:
        ForEachSample(resultRow, ja, jb, c0, c1, from, [&](std::uint8_t* to, int c, int j, int slot, bool) {
          Compose<M>(to, PixelOrWhite(second, offsets1[slot]), photo1_.Row(j) + 3 * static_cast<std::ptrdiff_t>(c));
        });
        break;
      case 11:
        ForEachSample(resultRow, ja, jb, c0, c1, from, [&](std::uint8_t* to, int, int, int slot, bool) {
          const std::int32_t fromFirst = offsets1[slot];
          const std::int32_t fromSecond = offsets2[slot];
          if (fromFirst == kSkip || fromSecond == kSkip) return;
          Compose<M>(to, PixelOrWhite(second, fromSecond), PixelOrWhite(first, fromFirst));
        });
        break;
      default:
        break;
    }
  }

  void TransferGroup(const Scratch& s, int resultRow, int ja, int jb, int c0, int c1) {
    const std::int32_t* offsets1 = s.Offsets1.data();
    const std::int32_t* offsets2 = s.Offsets2.data();
    const int samples = (jb - ja) * (c1 - c0);
    switch (mode_) {
      case 2:
      case 7:
      case 9:
      case 11:
        PrefetchReads(photo1_.Data(), offsets1, samples);
        if (mode_ == 11) PrefetchReads(photo2_.Data(), offsets2, samples);
        break;
      default:
        PrefetchReads(photo2_.Data(), offsets1, samples);
        break;
    }
    const int from = jb - ja == 1 ? TransferRowAtOnce(s, resultRow, ja, c0, c1) : 0;
    switch (mode_) {
      case 7:
      case 8:
      case 9:
      case 10: {
        const std::uint8_t* source = (mode_ == 7 || mode_ == 9) ? photo1_.Data() : photo2_.Data();
        ForEachSample(resultRow, ja, jb, c0, c1, from, [&](std::uint8_t* to, int, int, int slot, bool) {
          const std::int32_t offset = offsets1[slot];
          if (offset >= 0)
            CopyPixel(to, source + offset);
          else if (offset == kNoColour)
            SetPixel(to, 0, 0, 0);
        });
        break;
      }
      case 2:
      case 3:
      case 11:
        WithMethod(request_.Anaglyph.Method,
                   [&](auto method) { TransferAnaglyph<decltype(method)::value>(s, resultRow, ja, jb, c0, c1, from); });
        break;
      default:
        break;
    }
  }

  // Forward modes: the samples of walk row j go to wherever the map sends
  // them; where samples meet, the one later in the column walk wins. Rows
  // are worked top to bottom, so a sample comes after an earlier writer of
  // its pixel in the column walk exactly when its column is not smaller:
  // each result pixel keeps the column that wrote it, plus one (0: none).
  void ScatterRow(Scratch& s, int j, int c0, int c1) {
    const bool narrow = walk_.Columns() < 0xFFFF;
    if (mode_ == 6) {
      if (narrow)
        ScatterRowAs<true, std::uint16_t>(s, j, c0, c1);
      else
        ScatterRowAs<true, std::uint32_t>(s, j, c0, c1);
    } else if (narrow) {
      ScatterRowAs<false, std::uint16_t>(s, j, c0, c1);
    } else {
      ScatterRowAs<false, std::uint32_t>(s, j, c0, c1);
    }
  }

  template <bool Anaglyph, typename Writer>
  void ScatterRowAs(Scratch& s, int j, int c0, int c1) {
    const int count = c1 - c0;
    const std::int32_t* targets = s.Offsets1.data();
    const std::int32_t* reads = s.Offsets2.data();
    Writer* writers = reinterpret_cast<Writer*>(writers_.get());
    std::uint8_t* result = result_.Data();
    const std::uint8_t* second = photo2_.Data();
    const RgbImage& walked = walked_ == 1 ? photo1_ : photo2_;
    const std::uint8_t* source = walked.Row(j) + 3 * static_cast<std::ptrdiff_t>(c0);
    std::uint8_t* colours = s.Colours.data();
    if (Anaglyph) {
      // The anaglyph colour of every sample first, with vectors where the
      // kernels have them; the scatter then only copies.
      PrefetchReads(second, reads, count);
      const AnaglyphMethod method = request_.Anaglyph.Method;
      int done = 0;
      if (kernels_.AnaglyphRow != nullptr)
        done = swapEyes_ ? kernels_.AnaglyphRow(method, source, nullptr, second, reads, count, colours)
                         : kernels_.AnaglyphRow(method, second, reads, source, nullptr, count, colours);
      WithMethod(method, [&](auto tag) {
        for (int i = done; i < count; ++i)
          Compose<decltype(tag)::value>(colours + 3 * i, PixelOrWhite(second, reads[i]), source + 3 * i);
      });
      source = colours;
    }
    // The pixels the row will write, and their writers, asked for ahead.
    for (int i = 0; i < count; i += 2 * kPrefetchStride)
      if (targets[i] >= 0) {
        __builtin_prefetch(writers + targets[i], 1);
        __builtin_prefetch(result + 3 * static_cast<std::ptrdiff_t>(targets[i]), 1);
      }
    if constexpr (sizeof(Writer) == sizeof(std::uint16_t)) {
      if (kernels_.ScatterRow16 != nullptr) {
        kernels_.ScatterRow16(targets, source, writers, static_cast<std::uint16_t>(c0 + 1), count, result);
        return;
      }
    }
    Writer writer = static_cast<Writer>(c0 + 1);
    for (int i = 0; i < count; ++i, source += 3, ++writer) {
      const std::int32_t target = targets[i];
      if (target < 0 || writer < writers[target]) continue;
      writers[target] = writer;
      CopyPixel(result + 3 * static_cast<std::ptrdiff_t>(target), source);
    }
  }

  const RenderRequest& request_;
  int mode_;
  bool forward_;
  bool swapEyes_;
  const RgbImage& photo1_;
  const RgbImage& photo2_;
  RgbImage& result_;
  const Kernels& kernels_;
  WorkerTeam& team_;
  int walked_;
  Walk walk_;
  SeparableMap map1_;
  std::optional<SeparableMap> map2_;
  PixelRule rule1_, rule2_;
  int stripColumns_ = 1;
  int maxGroup_ = 1;
  std::vector<int> blockStarts_;
  std::atomic<std::size_t> nextBlock_{0};
  std::vector<Scratch> scratch_;
  LargeBuffer writers_;
  std::vector<int> faults_;
};

}  // namespace

RenderOutcome RenderBuild(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                          ProgressSink& sink, const CancelToken& cancel, const RenderOptions& options) {
  ValidateRenderRequest(request, SizeOf(photo1), SizeOf(photo2));
  const LargeBufferReuse reuse;
  ProgressDisplay progress(sink, options.StartTime ? *options.StartTime : CurrentTimeOfDay());
  RenderOutcome outcome;
  if (FindTraits(static_cast<int>(request.Mode)) == nullptr) {
    progress.Finish();
    return outcome;
  }
  try {
    const PictureSize size = ResultSize(request, SizeOf(photo1), SizeOf(photo2));
    outcome.Result = RgbImage::Unfilled(size.Width, size.Height);
    WorkerTeam team(options.Threads > 0 ? options.Threads : AvailableCores());
    // The result starts white; the team shares the filling.
    team.Run([&](int member) {
      const int rows = outcome.Result.Height();
      const int from = static_cast<int>(static_cast<long long>(rows) * member / team.Size());
      const int to = static_cast<int>(static_cast<long long>(rows) * (member + 1) / team.Size());
      if (to > from)
        std::memset(outcome.Result.Row(from), 255, static_cast<std::size_t>(outcome.Result.Stride()) * (to - from));
    });
    const Kernels* kernels = options.Instructions ? render_detail::KernelsFor(*options.Instructions) : nullptr;
    if (kernels == nullptr)
      kernels =
          options.Instructions ? render_detail::KernelsFor(InstructionSet::Baseline) : &render_detail::FastestKernels();
    Renderer renderer(request, photo1, photo2, outcome.Result, *kernels, team);
    if (options.ColumnsPerStrip > 0) renderer.SetStripColumns(options.ColumnsPerStrip);
    const Walk& walk = renderer.WalkGrid();
    progress.SetStep(walk.ProgressStep);
    const int columns = walk.Columns();
    for (int c0 = 0; c0 < columns; c0 += renderer.StripColumns()) {
      const int c1 = std::min(columns, c0 + renderer.StripColumns());
      const int fault = renderer.RenderStrip(c0, c1);
      // The sink hears, column by column, what the plain walk would say: the
      // stop request looked at at the start, then the column's progress.
      for (int c = c0; c < c1; ++c) {
        if (cancel.Requested()) return RenderOutcome{RenderStatus::Cancelled, RgbImage()};
        if (c == fault) return RenderOutcome{RenderStatus::Failed, RgbImage()};
        progress.ColumnDone();
      }
    }
  } catch (const std::bad_alloc&) {
    throw VeskError(kResultTooLarge);
  }
  progress.Finish();
  return outcome;
}

}  // namespace vesk
