#pragma once

#include <QAbstractTableModel>
#include <QWidget>
#include <functional>

#include "editing/PointEditModel.h"
#include "files/NumberFormat.h"

class QTableView;

namespace vesk::gui {

// The edited points as a table: per pair its number, its pixel positions on
// both photographs and, when the input set has a scene file, its scene X and
// Y as cells the user types into. A scene cell of a new pair starts empty.
class PointTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kNumber = 0, kX1, kY1, kX2, kY2, kSceneX, kSceneY, kColumnCount };
  // `setScene` turns a typed scene cell into an edit of the model.
  PointTableModel(const PointEditModel& model, const NumberFormat& format,
                  std::function<void(int index, EditedPoint point)> setScene, QObject* parent = nullptr);

  // The lists changed: the table is read anew (its rows and columns kept
  // when their counts stayed, so a selection survives a drag).
  void Refresh();

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  std::optional<double> Value(int row, int column) const;

  const PointEditModel& model_;
  int rows_ = 0;
  int columns_ = kSceneX;
  NumberFormat format_;
  std::function<void(int, EditedPoint)> setScene_;
};

}  // namespace vesk::gui
