#include "gui/settings/TObjForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/common/FieldStyle.h"
#include "gui/common/WindowPlacement.h"
#include "gui/settings/FieldCheck.h"

namespace vesk::gui {
namespace {

QLineEdit* NumberField(const char* name, const char* text, QWidget* parent) {
  auto* field = new QLineEdit(QString::fromUtf8(text), parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-000000,000000")));
  FieldCheck::Watch(*field);
  return field;
}

}  // namespace

TObjForm::TObjForm(const GuiContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      context_(context) {
  setObjectName(QStringLiteral("ObjForm"));
  setWindowTitle(QStringLiteral("Границы области построения"));

  auto* instruction = NamedLabel("Label1",
                                 "Укажите в системе координат сцены границы и дискретность области построения "
                                 "стереоизображения:",
                                 this);
  instruction->setWordWrap(true);

  edit1_ = NumberField("Edit1", "-100", this);
  edit5_ = NumberField("Edit5", "600", this);
  edit2_ = NumberField("Edit2", "-100", this);
  edit4_ = NumberField("Edit4", "500", this);
  edit3_ = NumberField("Edit3", "1", this);
  KeepDisabledFieldsButtonFaced(*edit3_);
  autostep_ = new QCheckBox(QStringLiteral("Автоматическое масштабирование"), this);
  autostep_->setObjectName(QStringLiteral("AutostepCheckBox"));

  auto* fields = new QGridLayout;
  fields->addWidget(NamedLabel("Label2", "Границы по x:", this), 0, 0);
  fields->addWidget(edit1_, 0, 1);
  fields->addWidget(edit5_, 0, 2);
  fields->addWidget(NamedLabel("Label3", "Границы по y:", this), 1, 0);
  fields->addWidget(edit2_, 1, 1);
  fields->addWidget(edit4_, 1, 2);
  fields->addWidget(NamedLabel("Label4", "Масштаб:", this), 2, 0);
  fields->addWidget(edit3_, 2, 1);
  fields->addWidget(autostep_, 3, 0, 1, 3);
  fields->setColumnStretch(1, 1);
  fields->setColumnStretch(2, 1);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  cancel->setObjectName(QStringLiteral("CancelButton"));
  cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(instruction);
  layout->addSpacing(4);
  layout->addLayout(fields);
  layout->addSpacing(8);
  layout->addLayout(buttons);
  // A fixed dialog, as wide as the instruction reads well in two lines.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  instruction->setFixedWidth(instruction->fontMetrics().horizontalAdvance(instruction->text()) * 6 / 10);

  connect(ok, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(cancel, &QPushButton::clicked, this, [this] { CancelButtonClick(); });
  // Kept in step with the box however it changes.
  connect(autostep_, &QCheckBox::toggled, this, [this] { AutostepCheckBoxClick(); });
}

void TObjForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
}

// Esc means the cancel button; the close box alone leaves the cancel mark as
// it is.
void TObjForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    CancelButtonClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TObjForm::StoreFields(BuildAreaFields& target) {
  FieldCheck check(context_.Format);
  const auto xMin = check.Number(*edit1_, QString::fromUtf8(kXFromName));
  const auto xMax = check.Number(*edit5_, QString::fromUtf8(kXToName));
  const auto yMin = check.Number(*edit2_, QString::fromUtf8(kYFromName));
  const auto yMax = check.Number(*edit4_, QString::fromUtf8(kYToName));
  const bool autoStep = autostep_->isChecked();
  double step = target.Step;
  if (!autoStep) {
    if (const auto typed = check.Number(*edit3_, QString::fromUtf8(kStepName))) {
      step = *typed;
      if (!(step > 0))
        check.Refuse({edit3_},
                     QStringLiteral("Поле «%1»: значение должно быть больше нуля.").arg(QString::fromUtf8(kStepName)));
    }
  }
  // A reversed or empty rectangle would build a picture of nothing, and a
  // step that is not positive none at all.
  const auto ordered = [&check](const std::optional<double>& from, const std::optional<double>& to,
                                QLineEdit* fromField, QLineEdit* toField, const char* fromName, const char* toName) {
    if (from && to && !(*from < *to))
      check.Refuse({fromField, toField}, QStringLiteral("Поле «%1»: значение должно быть меньше, чем в поле «%2».")
                                             .arg(QString::fromUtf8(fromName), QString::fromUtf8(toName)));
  };
  ordered(xMin, xMax, edit1_, edit5_, kXFromName, kXToName);
  ordered(yMin, yMax, edit2_, edit4_, kYFromName, kYToName);
  if (!check.Report(*this, context_.Messages)) return false;

  target.XMin = *xMin;
  target.XMax = *xMax;
  target.YMin = *yMin;
  target.YMax = *yMax;
  target.AutoStep = autoStep;
  target.Step = step;
  target.AreaCancelled = false;
  return true;
}

void TObjForm::OKButtonClick() {
  // Nothing is stored until every field is right; the dialog stays open
  // with the texts as typed.
  if (target_ != nullptr && !StoreFields(*target_)) return;
  accept();
}

void TObjForm::CancelButtonClick() {
  if (target_ != nullptr) target_->AreaCancelled = true;
  reject();
}

void TObjForm::AutostepCheckBoxClick() { edit3_->setEnabled(!autostep_->isChecked()); }

}  // namespace vesk::gui
