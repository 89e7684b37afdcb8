#pragma once

#include <optional>
#include <string>

#include "files/ProjectFile.h"
#include "files/ReadFailure.h"

namespace vesk::gui {

// Reads the project a workspace loads its input set from. Unlike the project
// reader, which takes a missing file for an empty one (as saving over it
// needs), a project that is not there (it vanished after it was chosen, or
// was dropped by a stale link) is refused with the reader's message, so
// that the input set on the screen stays as it was.
std::optional<ReadFailure> ReadInputSetProject(const std::string& path, ProjectFields& fields);

}  // namespace vesk::gui
