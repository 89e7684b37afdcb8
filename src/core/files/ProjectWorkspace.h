#pragma once

#include "files/ProjectFile.h"

namespace vesk {

// The workspace an input set belongs to. Each workspace writes the images
// and its own section, and saving over another workspace's project keeps
// that one's section too, so a project may belong to both.
enum class ProjectWorkspace { ReferencePoints, Orientation, Both };

// By the sections the project fills: reference-point files, orientation
// files, or both. A project that names only photographs (or nothing) goes
// to the reference-point workspace, which takes photographs alone.
ProjectWorkspace WorkspaceOfProject(const ProjectFields& fields);

}  // namespace vesk
