#pragma once

// render/: the rendering job's computation: the 24-bit picture type, the
// request, the walk of each build mode's grid and the pixel kernels.
// Includes common/, model/, progress/ and the standard library.

#include <optional>

#include "progress/ElapsedTime.h"
#include "progress/ProgressSink.h"
#include "render/RenderRequest.h"
#include "render/RgbImage.h"

namespace vesk {

enum class RenderStatus {
  Completed,  // the walk ran to its end; the result is complete
  Cancelled,  // a stop was asked for; no result
  Failed,     // an arithmetic fault ended the walk (zero denominator, non-finite map result); no result
};

struct RenderOutcome {
  RenderStatus Status = RenderStatus::Completed;
  RgbImage Result;  // empty unless Completed (and empty for a mode outside 0..11)
};

// Vector instructions of the pixel kernels; every choice gives the same bits.
enum class InstructionSet { Baseline, Avx2, Avx512 };

struct RenderOptions {
  int Threads = 0;                     // 0: every core of the processor
  std::optional<TimeOfDay> StartTime;  // when the build started; now when not given
  // The kernels to use; by default the widest the processor has. A set the
  // processor lacks falls back to the SSE2 baseline.
  std::optional<InstructionSet> Instructions;
  int ColumnsPerStrip = 0;  // columns rendered between progress reports; 0 chooses
};

// Renders one build: walks the grid of the request's mode column by column,
// maps every grid point and copies or combines single photograph pixels into
// a white 24-bit result. The photographs are only read.
//
// Progress: after every walked column the sink gets the whole percent
// (SetPosition) and the elapsed-time text, and once more 100 at the end.
// The token is looked at at the start of every column; once it is set, or
// once an arithmetic fault occurs, the job ends without a result. The work
// itself may run ahead in strips of columns and on several threads; the
// result is exactly that of the column-by-column walk, and the sink sees the
// same sequence of calls, all made on the calling thread (a window's job
// runs this on its worker thread and forwards the calls). The token may be
// set from any thread.
//
// Refuses an undefined request before anything runs (VeskError with the
// user's message, see ValidateRenderRequest), and a result too large for
// memory.
RenderOutcome RenderBuild(const RenderRequest& request, const RgbImage& photo1, const RgbImage& photo2,
                          ProgressSink& progress, const CancelToken& cancel, const RenderOptions& options = {});

}  // namespace vesk
