#pragma once

#include <QIcon>

namespace vesk::gui {

// The editor's tool-bar pictures of the row operations: a small table with
// a mark showing what happens to its rows.
enum class RowIcon { Insert, Append, Delete, Clear };

QIcon RowOperationIcon(RowIcon kind);

}  // namespace vesk::gui
