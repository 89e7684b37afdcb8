#pragma once

#include <QDialog>

#include "gui/common/GuiContext.h"
#include "gui/settings/BuildAreaFields.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vesk::gui {

// The fields as messages name them, after their labels.
inline constexpr const char* kXFromName = "Границы по x, от";
inline constexpr const char* kXToName = "Границы по x, до";
inline constexpr const char* kYFromName = "Границы по y, от";
inline constexpr const char* kYToName = "Границы по y, до";
inline constexpr const char* kStepName = "Масштаб";

// The build-area dialog "Границы области построения": the scene rectangle
// and the step of a scene-plane build. Shared by both workspaces; it keeps
// only the texts of its fields and writes into the target of the workspace
// shown last.
class TObjForm : public QDialog {
  Q_OBJECT

 public:
  explicit TObjForm(const GuiContext& context, QWidget* parent = nullptr);

  // The fields "OK" and "Cancel" write into; null writes nothing.
  void SetBuildAreaTarget(BuildAreaFields* target) { target_ = target; }
  BuildAreaFields* BuildAreaTarget() const { return target_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OKButtonClick();
  void CancelButtonClick();
  void AutostepCheckBoxClick();
  // Checks every field and stores them all into the target; false, with
  // the refused fields red and the message shown, and nothing stored, when
  // one is not a number, a lower bound is not below its upper one, or the
  // step (unless automatic) is not positive.
  bool StoreFields(BuildAreaFields& target);

  const GuiContext& context_;
  BuildAreaFields* target_ = nullptr;
  QLineEdit* edit1_;  // x from
  QLineEdit* edit5_;  // x to
  QLineEdit* edit2_;  // y from
  QLineEdit* edit4_;  // y to
  QLineEdit* edit3_;  // step
  QCheckBox* autostep_;
};

}  // namespace vesk::gui
