#pragma once

#include <QWidget>
#include <optional>
#include <vector>

#include "estimation/BuildFit.h"
#include "estimation/MethodChoice.h"
#include "estimation/Residuals.h"
#include "files/NumberFormat.h"
#include "model/BuildModeTraits.h"

class QLabel;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace vesk {
class ReferencePointBuild;
}

namespace vesk::gui {

// How well each transformation of a build carries its reference points, as
// vesk-cli fit reports it: per point the mapped source point minus the
// target point, in target units, and the root mean square. A transformation
// that was not fitted has no report.
struct BuildResiduals {
  struct Fit {
    PlannedFit Plan;
    std::optional<ResidualReport> Report;
  };
  EstimationMethod Method = EstimationMethod::Statistics;
  bool TooManySubsets = false;  // least squares because the statistical method would have taken too long
  int PointCount = 0;
  std::vector<Fit> Fits;  // plan order: primary, then the second set
};

BuildResiduals ResidualsOf(const ReferencePointBuild& build);
// The same for a fit made outside a build (the live residuals of edited
// points).
BuildResiduals ResidualsOf(EstimationMethod method, const BuildFitInput& input, const TransformCoefficients& primary,
                           const TransformCoefficients& second, const BuildFitOutcome& outcome);
// The point with the largest residual in any of the fits; -1 without one.
int OutstandingPoint(const BuildResiduals& residuals);

// Said when the automatic choice took least squares because the statistical
// method would have taken too long for so many points.
QString TooManySubsetsNote(int points);

// "снимок 1 → сцена" and the like.
QString FitTitle(const PlannedFit& fit);

// The residual table of the last build: one row per point and
// transformation (transformation, point number, dx, dy, length), sortable by
// every column, with each transformation's RMS above it. Selecting a row
// names that point.
class ResidualTable : public QWidget {
  Q_OBJECT

 public:
  enum Column { kFitColumn = 0, kPointColumn, kDxColumn, kDyColumn, kLengthColumn, kColumnCount };

  explicit ResidualTable(const NumberFormat& format, QWidget* parent = nullptr);

  void Show(const BuildResiduals& residuals);
  void Clear();
  // Says why there is nothing to list (instead of the rows of before).
  void ShowNote(const QString& text);
  // Marks what is listed as no longer matching its inputs, until the next Show.
  void MarkStale(const QString& why);
  bool Stale() const { return stale_; }

  // Rows as they stand (sorted as the user sorted them).
  int RowCount() const;
  // The value of a cell as a number: the point number (1-based) or the
  // residual, exactly as computed.
  double Value(int row, Column column) const;
  int PointOf(int row) const;  // 0-based point index of a row
  QString Summary() const;
  QTableView& View() { return *view_; }
  // Selects the first row of this point (0-based), or nothing for -1,
  // without telling PointSelected again.
  void SelectPoint(int index);

 signals:
  // The user selected the row of this point (0-based index in the files).
  void PointSelected(int index);

 private:
  QString Number(double value) const;

  NumberFormat format_;
  QLabel* summary_;
  QTableView* view_;
  QStandardItemModel* model_;
  QSortFilterProxyModel* sorted_;
  bool selecting_ = false;
  bool stale_ = false;
};

}  // namespace vesk::gui
