#pragma once

#include <string>
#include <vector>

namespace vesk::gui {

enum class DroppedKind { Project, PointFile, Photo, Other };

// What a dropped file is, by its extension (any case): a project (.prt), a
// coordinate file (.crd), a photograph in a format Vesk reads, or nothing
// the workspace takes.
DroppedKind KindOfDroppedFile(const std::string& path);

// The row a drop landed on: the first photograph's (its view, its fields,
// the left half of the window), the second's, or the scene point field.
enum class DropTarget { FirstRow, SecondRow, Scene };

// What a drop assigns, as the choose buttons would. A project takes the drop
// alone. One photograph goes to the row it was dropped on (the first row
// for a drop on the scene field); two or more fill rows 1 and 2 in the
// order of their names, the rest are left out. Coordinate files likewise:
// one goes where it was dropped (the scene field included); several fill
// row 1, row 2 and the scene in the order of their names.
struct DropPlan {
  std::string Project;
  struct Assignment {
    DropTarget Target;
    std::string Path;
    bool operator==(const Assignment&) const = default;
  };
  std::vector<Assignment> Photos;
  std::vector<Assignment> PointFiles;
  bool Empty() const { return Project.empty() && Photos.empty() && PointFiles.empty(); }
};

DropPlan PlanDrop(const std::vector<std::string>& files, DropTarget target);

}  // namespace vesk::gui
