#include "gui/settings/TVisualNForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/UserDialogs.h"
#include "files/NumberFormat.h"
#include "gui/common/FieldStyle.h"
#include "gui/common/WindowPlacement.h"
#include "gui/settings/FieldCheck.h"

namespace vesk::gui {
namespace {

QLineEdit* Field(const char* name, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("000000000000")));
  FieldCheck::Watch(*field);
  return field;
}

}  // namespace

TVisualNForm::TVisualNForm(const GuiContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      context_(context) {
  setObjectName(QStringLiteral("VisualNForm"));
  setWindowTitle(QStringLiteral("Настройки"));

  auto* pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("PageControl1"));
  auto* page = new QWidget(pages);
  page->setObjectName(QStringLiteral("TabSheet1"));
  pages->addTab(page, QStringLiteral("Параметры счёта"));

  edit1_ = Field("Edit1", page);
  edit2_ = Field("Edit2", page);
  edit3_ = Field("Edit3", page);
  auto* grid = new QGridLayout(page);
  grid->addWidget(NamedLabel("Label1", "Количество σ, отсекаемых при анализе распределений:", page), 0, 0);
  grid->addWidget(edit1_, 0, 1);
  grid->addWidget(NamedLabel("Label2",
                             "Минимальный угол между двумя произвольными прямыми,\n"
                             "образуемыми реперными точками(град):",
                             page),
                  1, 0);
  grid->addWidget(edit2_, 1, 1);
  grid->addWidget(NamedLabel("Label3",
                             "Минимальная дистанция между реперными точками на\n"
                             "изображении (в процентах от диагонали изображения):",
                             page),
                  2, 0);
  grid->addWidget(edit3_, 2, 1);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(10);

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
  layout->addWidget(pages);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(ok, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  // "Отмена", the close box and Esc store nothing.
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TVisualNForm::Present(StatisticalSettings& target) {
  target_ = &target;
  const NumberFormat& format = context_.Format;
  edit1_->setText(QString::fromStdString(FormatNumber(target.SigmaCount, format)));
  edit2_->setText(QString::fromStdString(FormatNumber(target.MinAngle, format)));
  edit3_->setText(QString::fromStdString(FormatNumber(target.MinDistance * 100, format)));
}

int TVisualNForm::Edit(StatisticalSettings& target) {
  Present(target);
  return exec();
}

void TVisualNForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
}

bool TVisualNForm::StoreFields(StatisticalSettings& target) {
  FieldCheck check(context_.Format);
  const auto sigma = check.Number(*edit1_, QString::fromUtf8(kSigmaName));
  const auto angle = check.Number(*edit2_, QString::fromUtf8(kAngleName));
  const auto distance = check.Number(*edit3_, QString::fromUtf8(kDistanceName));
  if (!check.Report(*this, context_.Messages, QString::fromUtf8(kSettingsWrong))) return false;
  target.SigmaCount = *sigma;
  target.MinAngle = *angle;
  target.MinDistance = *distance * 0.01;
  return true;
}

void TVisualNForm::OKButtonClick() {
  if (target_ != nullptr && !StoreFields(*target_)) return;
  accept();
}

}  // namespace vesk::gui
