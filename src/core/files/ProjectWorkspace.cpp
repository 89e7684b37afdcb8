#include "files/ProjectWorkspace.h"

namespace vesk {

ProjectWorkspace WorkspaceOfProject(const ProjectFields& fields) {
  const bool points =
      !fields.Image1ReperPoints.empty() || !fields.Image2ReperPoints.empty() || !fields.SceneReperPoints.empty();
  const bool orientation = !fields.Image1ExOrientation.empty() || !fields.Image2ExOrientation.empty() ||
                           !fields.Image1IntOrientation.empty() || !fields.Image2IntOrientation.empty();
  if (points && orientation) return ProjectWorkspace::Both;
  return orientation ? ProjectWorkspace::Orientation : ProjectWorkspace::ReferencePoints;
}

}  // namespace vesk
