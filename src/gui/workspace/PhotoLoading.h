#pragma once

#include <string>

#include "gui/common/MessageBoxes.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {

// Loads the photograph at `path` for a workspace's view. When it cannot be
// loaded, the standard error box says so with the system's reason and the
// result is null: the caller keeps the view's previous picture and the size
// it recorded.
qt::SharedPhoto LoadPhotoForView(const std::string& path, MessageBoxes& boxes);

// What the user is told about a photograph that could not be loaded: the
// missing file's message, or the reason with the file's name below.
QString DescribePhotoFailure(const std::string& path, const qt::PhotoLoad& load);

// The photograph formats a workspace opens, for its file dialog: one filter
// with BMP first and every other format Qt reads here, then all files.
QString PhotoFilter();

// The companion photograph of a data file: its last three characters
// replaced by "bmp", or by another photograph extension when no BMP is there
// (empty when none exists).
std::string CompanionPhoto(const std::string& dataPath);

}  // namespace vesk::gui
