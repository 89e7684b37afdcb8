#pragma once

#include <QDialog>

#include "estimation/BuildFit.h"
#include "gui/common/GuiContext.h"

class QLineEdit;

namespace vesk::gui {

inline constexpr const char* kSettingsWrong = "Параметры заданы неправильно!";
// The fields as messages name them, after their labels.
inline constexpr const char* kSigmaName = "Количество σ";
inline constexpr const char* kAngleName = "Минимальный угол";
inline constexpr const char* kDistanceName = "Минимальная дистанция";

// The settings dialog "Настройки" of the reference-point workspace: the three
// thresholds of the statistical method. The distance is shown in percent of
// the photograph's diagonal and kept as a fraction.
class TVisualNForm : public QDialog {
  Q_OBJECT

 public:
  explicit TVisualNForm(const GuiContext& context, QWidget* parent = nullptr);

  // The fields show `target` in the general number format, and "OK" writes
  // into it. The target must outlive the dialog's use of it.
  void Present(StatisticalSettings& target);
  // Present, then shown modally; the dialog's result.
  int Edit(StatisticalSettings& target);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OKButtonClick();
  // Checks the fields and stores all three; false, with the refused fields
  // red, the message shown and nothing stored, when one is not a number.
  bool StoreFields(StatisticalSettings& target);

  const GuiContext& context_;
  StatisticalSettings* target_ = nullptr;
  QLineEdit* edit1_;
  QLineEdit* edit2_;
  QLineEdit* edit3_;
};

}  // namespace vesk::gui
