#pragma once

// editing/: the reference points of an input set as the user edits them on
// the photographs: placing, moving, deleting, scene coordinates, undo and
// saving. Includes model/, files/ and the standard library.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/VT_Points.h"

namespace vesk {

// The three lists of an input set; item n of each is the same reference point.
enum class PointList { First = 0, Second = 1, Scene = 2 };

inline constexpr std::array<PointList, 3> kPointLists = {PointList::First, PointList::Second, PointList::Scene};

// One point of a list. Photograph points always have both coordinates; a
// scene point of a newly placed pair has none until the user types them.
struct EditedPoint {
  std::optional<double> X;
  std::optional<double> Y;

  bool Complete() const { return X.has_value() && Y.has_value(); }
  friend bool operator==(const EditedPoint&, const EditedPoint&) = default;
};

// One change of one list. Erase and Set remember what they replace, so
// every change can be taken back to the exact values it found.
struct PointChange {
  enum class Kind { Insert, Erase, Set };
  Kind What = Kind::Set;
  PointList List = PointList::First;
  int Index = 0;
  EditedPoint Before;  // Erase, Set
  EditedPoint After;   // Insert, Set
};

// What one user action does to the lists, applied in order and undone in the
// reverse order. `Text` says what it is for the undo menu
// ("перемещение точки 5"); an edit without changes does nothing.
struct PointEdit {
  std::string Text;
  std::vector<PointChange> Changes;
  bool Empty() const { return Changes.empty(); }
};

// The photograph that still lacks the point of an incomplete pair.
struct AwaitedPoint {
  PointList Photo = PointList::Second;
  int Index = 0;  // 0-based; the point's number is Index + 1
};

// The three point lists of an input set under editing. Edits are built as
// PointEdit values first (nothing changes) and then applied, so that an undo
// stack can apply and revert them; points are identified by their position,
// which deleting renumbers in all three lists at once.
class PointEditModel {
 public:
  // Replaces a list by what its file holds; it counts as saved.
  void Load(PointList list, std::vector<EditedPoint> points);
  // Whether the input set has a scene list: new pairs then get an empty
  // scene point, and deleting a pair deletes its scene point.
  void SetSceneInSet(bool inSet) { sceneInSet_ = inSet; }
  bool SceneInSet() const { return sceneInSet_; }

  const std::vector<EditedPoint>& Points(PointList list) const { return lists_[Slot(list)]; }
  int Count(PointList list) const { return static_cast<int>(Points(list).size()); }
  // Pairs present in both photographs.
  int CompletePairs() const;
  // The incomplete pair, when the photographs' lists differ in length.
  std::optional<AwaitedPoint> Awaited() const;

  // A click at (x, y) on a photograph: completes the pair that photograph
  // lacks, starts the next pair when both are complete, and moves its own
  // unpaired point when the other photograph lacks it (a second try at the
  // same point).
  PointEdit Place(PointList photo, double x, double y) const;
  PointEdit Move(PointList list, int index, double x, double y) const;
  // Removes point `index` from every list that has it, renumbering the
  // later points; empty for an index no list has.
  PointEdit Delete(int index) const;
  // The scene coordinates of pair `index` (either may be left empty).
  PointEdit SetScene(int index, EditedPoint point) const;

  void Apply(const PointEdit& edit);
  void Revert(const PointEdit& edit);
  // Moves a point while it is dragged, without an edit: the drag's end
  // becomes one edit from where the point was.
  void MoveLive(PointList list, int index, double x, double y);

  // The point of `list` nearest to (x, y) within `radius` (the same units),
  // or -1; the first of equally near ones.
  int Nearest(PointList list, double x, double y, double radius) const;

  // Whether a list differs from what was loaded or last saved.
  bool Changed(PointList list) const { return Points(list) != saved_[Slot(list)]; }
  bool AnyChanged() const;
  void MarkSaved(PointList list) { saved_[Slot(list)] = Points(list); }

  // 0-based indexes of the complete pairs that lack a scene coordinate.
  std::vector<int> MissingScene() const;

 private:
  static std::size_t Slot(PointList list) { return static_cast<std::size_t>(list); }
  void Do(const PointChange& change, bool forward);

  std::array<std::vector<EditedPoint>, 3> lists_;
  std::array<std::vector<EditedPoint>, 3> saved_;
  bool sceneInSet_ = false;
};

// A list read from a file, and back: the points of `points` in order.
std::vector<EditedPoint> ToEditedPoints(const VT_Points& points);
// The first `count` points into `points` (cleared first; an owning list);
// false when one of them lacks a coordinate.
bool ToPointList(const std::vector<EditedPoint>& edited, int count, VT_Points& points);

// "1, 2, 7" for 0-based indexes, as point numbers.
std::string PointNumbers(const std::vector<int>& indexes);

}  // namespace vesk
