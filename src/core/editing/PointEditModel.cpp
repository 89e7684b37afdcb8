#include "editing/PointEditModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vesk {
namespace {

std::string Numbered(const char* what, int index) { return std::string(what) + " точки " + std::to_string(index + 1); }

PointChange Insert(PointList list, int index, EditedPoint point) {
  return PointChange{PointChange::Kind::Insert, list, index, {}, point};
}

EditedPoint At(double x, double y) { return EditedPoint{x, y}; }

}  // namespace

void PointEditModel::Load(PointList list, std::vector<EditedPoint> points) {
  lists_[Slot(list)] = std::move(points);
  saved_[Slot(list)] = lists_[Slot(list)];
}

int PointEditModel::CompletePairs() const { return std::min(Count(PointList::First), Count(PointList::Second)); }

std::optional<AwaitedPoint> PointEditModel::Awaited() const {
  const int first = Count(PointList::First);
  const int second = Count(PointList::Second);
  if (first == second) return std::nullopt;
  if (first > second) return AwaitedPoint{PointList::Second, second};
  return AwaitedPoint{PointList::First, first};
}

PointEdit PointEditModel::Place(PointList photo, double x, double y) const {
  const PointList other = photo == PointList::First ? PointList::Second : PointList::First;
  const int own = Count(photo);
  const int theirs = Count(other);
  if (own > theirs) {
    // The other photograph still awaits this pair: the click places this
    // photograph's point of it anew.
    return Move(photo, theirs, x, y);
  }
  PointEdit edit{Numbered("добавление", own), {Insert(photo, own, At(x, y))}};
  // A new pair gets its scene point at once, empty, so that the three lists
  // stay aligned line by line.
  if (own == theirs && sceneInSet_)
    for (int n = Count(PointList::Scene); n <= own; ++n) edit.Changes.push_back(Insert(PointList::Scene, n, {}));
  return edit;
}

PointEdit PointEditModel::Move(PointList list, int index, double x, double y) const {
  if (index < 0 || index >= Count(list)) return {};
  const EditedPoint before = Points(list)[static_cast<std::size_t>(index)];
  const EditedPoint after = At(x, y);
  if (before == after) return {};
  return PointEdit{Numbered("перемещение", index), {PointChange{PointChange::Kind::Set, list, index, before, after}}};
}

PointEdit PointEditModel::Delete(int index) const {
  PointEdit edit{Numbered("удаление", index), {}};
  for (PointList list : kPointLists)
    if (index >= 0 && index < Count(list))
      edit.Changes.push_back(
          PointChange{PointChange::Kind::Erase, list, index, Points(list)[static_cast<std::size_t>(index)], {}});
  return edit;
}

PointEdit PointEditModel::SetScene(int index, EditedPoint point) const {
  PointEdit edit{Numbered("координаты сцены", index), {}};
  if (index < 0) return edit;
  // A pair whose scene point is further down than the scene list reaches
  // (a shorter scene file) gets empty points up to it.
  for (int n = Count(PointList::Scene); n < index; ++n) edit.Changes.push_back(Insert(PointList::Scene, n, {}));
  if (index < Count(PointList::Scene)) {
    const EditedPoint before = Points(PointList::Scene)[static_cast<std::size_t>(index)];
    if (before == point) return {};
    edit.Changes.push_back(PointChange{PointChange::Kind::Set, PointList::Scene, index, before, point});
  } else {
    edit.Changes.push_back(Insert(PointList::Scene, index, point));
  }
  return edit;
}

void PointEditModel::Do(const PointChange& change, bool forward) {
  std::vector<EditedPoint>& points = lists_[Slot(change.List)];
  const auto at = points.begin() + change.Index;
  const bool inserting = (change.What == PointChange::Kind::Insert) == forward;
  switch (change.What) {
    case PointChange::Kind::Insert:
    case PointChange::Kind::Erase:
      if (inserting)
        points.insert(at, change.What == PointChange::Kind::Insert ? change.After : change.Before);
      else
        points.erase(at);
      break;
    case PointChange::Kind::Set:
      *at = forward ? change.After : change.Before;
      break;
  }
}

void PointEditModel::Apply(const PointEdit& edit) {
  for (const PointChange& change : edit.Changes) Do(change, true);
}

void PointEditModel::Revert(const PointEdit& edit) {
  for (auto it = edit.Changes.rbegin(); it != edit.Changes.rend(); ++it) Do(*it, false);
}

void PointEditModel::MoveLive(PointList list, int index, double x, double y) {
  if (index < 0 || index >= Count(list)) return;
  lists_[Slot(list)][static_cast<std::size_t>(index)] = At(x, y);
}

int PointEditModel::Nearest(PointList list, double x, double y, double radius) const {
  int best = -1;
  double bestDistance = radius * radius;
  const std::vector<EditedPoint>& points = Points(list);
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!points[i].Complete()) continue;
    const double dx = *points[i].X - x;
    const double dy = *points[i].Y - y;
    const double distance = dx * dx + dy * dy;
    if (distance <= bestDistance && (best < 0 || distance < bestDistance)) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
  }
  return best;
}

bool PointEditModel::AnyChanged() const {
  return std::any_of(kPointLists.begin(), kPointLists.end(), [this](PointList list) { return Changed(list); });
}

std::vector<int> PointEditModel::MissingScene() const {
  std::vector<int> missing;
  const std::vector<EditedPoint>& scene = Points(PointList::Scene);
  for (int i = 0; i < CompletePairs(); ++i)
    if (i >= static_cast<int>(scene.size()) || !scene[static_cast<std::size_t>(i)].Complete()) missing.push_back(i);
  return missing;
}

std::vector<EditedPoint> ToEditedPoints(const VT_Points& points) {
  std::vector<EditedPoint> edited;
  edited.reserve(static_cast<std::size_t>(points.Count()));
  for (const VT_Point* point : points.Items) edited.push_back(EditedPoint{point->X, point->Y});
  return edited;
}

bool ToPointList(const std::vector<EditedPoint>& edited, int count, VT_Points& points) {
  points.Clear();
  const std::size_t n = std::min(edited.size(), static_cast<std::size_t>(std::max(count, 0)));
  for (std::size_t i = 0; i < n; ++i) {
    if (!edited[i].Complete()) return false;
    points.Add(new VT_Point(*edited[i].X, *edited[i].Y));
  }
  return true;
}

std::string PointNumbers(const std::vector<int>& indexes) {
  std::string text;
  for (int index : indexes) {
    if (!text.empty()) text += ", ";
    text += std::to_string(index + 1);
  }
  return text;
}

}  // namespace vesk
