#include "gui/refpoints/ResidualTable.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

#include "build/ReferencePointBuild.h"
#include "estimation/BuildFit.h"

namespace vesk::gui {
namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kPointRole = Qt::UserRole + 1;

QString SetName(PointSetCode code) {
  switch (code) {
    case PointSetCode::FirstPhoto:
      return QStringLiteral("снимок 1");
    case PointSetCode::SecondPhoto:
      return QStringLiteral("снимок 2");
    case PointSetCode::Scene:
      return QStringLiteral("сцена");
  }
  return {};
}

QStandardItem* Cell(const QString& text, double sortValue, int point) {
  auto* item = new QStandardItem(text);
  item->setData(sortValue, kSortRole);
  item->setData(point, kPointRole);
  item->setEditable(false);
  return item;
}

}  // namespace

BuildResiduals ResidualsOf(const ReferencePointBuild& build) {
  BuildResiduals residuals =
      ResidualsOf(build.Method(), build.FitInput(), build.Primary(), build.Second(), build.Outcome());
  residuals.TooManySubsets = build.Choice().TooManySubsets;
  residuals.PointCount = build.Points1().Count();
  return residuals;
}

int OutstandingPoint(const BuildResiduals& residuals) {
  int point = -1;
  double largest = -1;
  for (const BuildResiduals::Fit& fit : residuals.Fits) {
    if (!fit.Report) continue;
    for (std::size_t i = 0; i < fit.Report->Points.size(); ++i) {
      const MappedPoint& d = fit.Report->Points[i];
      const double length = std::sqrt(d.X * d.X + d.Y * d.Y);
      if (length > largest) {
        largest = length;
        point = static_cast<int>(i);
      }
    }
  }
  return point;
}

BuildResiduals ResidualsOf(EstimationMethod method, const BuildFitInput& input, const TransformCoefficients& primary,
                           const TransformCoefficients& second, const BuildFitOutcome& outcome) {
  BuildResiduals residuals;
  residuals.Method = method;
  const TransformCoefficients* sets[] = {&primary, &second};
  const std::vector<FitReport>& fits = outcome.Fits;
  for (std::size_t f = 0; f < fits.size() && f < 2; ++f) {
    const PlannedFit& plan = fits[f].Fit;
    residuals.Fits.push_back(
        {plan, ComputeResiduals(*sets[f], PointSet(input, plan.Source), PointSet(input, plan.Target))});
  }
  return residuals;
}

QString TooManySubsetsNote(int points) {
  return QStringLiteral("Метод наименьших квадратов: для статистического метода точек слишком много (%1)").arg(points);
}

QString FitTitle(const PlannedFit& fit) { return SetName(fit.Source) + QStringLiteral(" → ") + SetName(fit.Target); }

ResidualTable::ResidualTable(const NumberFormat& format, QWidget* parent) : QWidget(parent), format_(format) {
  setObjectName(QStringLiteral("ResidualPanel"));
  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("ResidualSummary"));
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  model_ = new QStandardItemModel(0, kColumnCount, this);
  model_->setHorizontalHeaderLabels({QStringLiteral("Преобразование"), QStringLiteral("Точка"), QStringLiteral("dx"),
                                     QStringLiteral("dy"), QStringLiteral("Невязка")});
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(kSortRole);
  view_ = new QTableView(this);
  view_->setObjectName(QStringLiteral("ResidualGrid"));
  view_->setModel(sorted_);
  view_->setSortingEnabled(true);
  // The build's order until the user sorts.
  view_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  sorted_->sort(-1);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::SingleSelection);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  view_->horizontalHeader()->setStretchLastSection(true);
  // Columns are sized from the first rows: measuring thousands of rows after
  // every edit would make a drag stutter.
  view_->horizontalHeader()->setResizeContentsPrecision(200);
  view_->setAlternatingRowColors(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(summary_);
  layout->addWidget(view_, 1);
  Clear();

  connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (current.isValid() && !selecting_) emit PointSelected(PointOf(current.row()));
  });
}

// Thousandths of a pixel or a scene unit; residuals smaller than that (an
// exact fit, a scene measured in large units) keep three significant digits
// rather than reading as zero.
QString ResidualTable::Number(double value) const {
  QString text =
      value == 0 || std::abs(value) >= 0.001 ? QString::number(value, 'f', 3) : QString::number(value, 'g', 3);
  if (format_.DecimalSeparator != '.') text.replace('.', QChar::fromLatin1(format_.DecimalSeparator));
  return text;
}

void ResidualTable::Clear() { ShowNote(QStringLiteral("Невязки появятся после построения по реперным точкам.")); }

void ResidualTable::ShowNote(const QString& text) {
  stale_ = false;
  view_->setEnabled(true);
  model_->removeRows(0, model_->rowCount());
  summary_->setText(text);
}

void ResidualTable::MarkStale(const QString& why) {
  if (model_->rowCount() == 0) return;
  stale_ = true;
  summary_->setText(QStringLiteral("Устарело (%1): ").arg(why) + summary_->text());
  view_->setEnabled(false);
}

void ResidualTable::Show(const BuildResiduals& residuals) {
  stale_ = false;
  view_->setEnabled(true);
  model_->removeRows(0, model_->rowCount());
  QStringList lines;
  if (residuals.TooManySubsets)
    lines << TooManySubsetsNote(residuals.PointCount) + QStringLiteral(".");
  else
    lines << (residuals.Method == EstimationMethod::LeastSquares ? QStringLiteral("Метод наименьших квадратов.")
                                                                 : QStringLiteral("Статистический метод."));
  for (const BuildResiduals::Fit& fit : residuals.Fits) {
    const QString title = FitTitle(fit.Plan);
    if (!fit.Report) {
      lines << title + QStringLiteral(": не вычислено");
      continue;
    }
    lines << title + QStringLiteral(": СКО ") + Number(fit.Report->Rms);
    for (std::size_t i = 0; i < fit.Report->Points.size(); ++i) {
      const MappedPoint& d = fit.Report->Points[i];
      const double length = std::sqrt(d.X * d.X + d.Y * d.Y);
      const int point = static_cast<int>(i);
      model_->appendRow({Cell(title, static_cast<double>(&fit - residuals.Fits.data()), point),
                         Cell(QString::number(point + 1), point + 1, point), Cell(Number(d.X), d.X, point),
                         Cell(Number(d.Y), d.Y, point), Cell(Number(length), length, point)});
    }
  }
  summary_->setText(lines.join(QStringLiteral("  ")));
  view_->resizeColumnsToContents();
}

void ResidualTable::SelectPoint(int index) {
  selecting_ = true;
  int found = -1;
  for (int row = 0; row < sorted_->rowCount() && found < 0; ++row)
    if (PointOf(row) == index) found = row;
  if (found < 0) {
    view_->clearSelection();
  } else {
    view_->selectRow(found);
    view_->scrollTo(sorted_->index(found, 0));
  }
  selecting_ = false;
}

int ResidualTable::RowCount() const { return sorted_->rowCount(); }

double ResidualTable::Value(int row, Column column) const {
  return sorted_->index(row, column).data(kSortRole).toDouble();
}

int ResidualTable::PointOf(int row) const { return sorted_->index(row, 0).data(kPointRole).toInt(); }

QString ResidualTable::Summary() const { return summary_->text(); }

}  // namespace vesk::gui
