#include "CliErrors.h"
#include "commands/RenderInputs.h"

namespace vesk::cli {

// The project form builds exactly what the workspace would: read the
// project's input set, fit the mode's maps from the reference points (least
// squares or the statistical method, the automatic step when asked) or
// derive them from the orientation records, and fill the request with the
// photographs, maps, centres, correction values and build area.
RenderInput RenderInputFromProject(const ProjectBuildOptions& options, CliEnvironment& /*env*/) {
  (void)options;
  throw UsageError(
      "--project is not available yet in this build; give the maps with --photo1, --photo2, --mode and "
      "--transform1");
}

}  // namespace vesk::cli
