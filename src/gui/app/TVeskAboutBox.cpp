#include "gui/app/TVeskAboutBox.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "gui/app/AppResources.h"
#include "gui/common/WindowPlacement.h"

#ifndef VESK_VERSION
#error "VESK_VERSION must name the project's version"
#endif

namespace vesk::gui {

QString VersionText() { return QStringLiteral("Version ") + QStringLiteral(VESK_VERSION); }

TVeskAboutBox::TVeskAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("VeskAboutBox"));
  setWindowTitle(QStringLiteral("О программе"));
  setFixedSize(316, 193);

  // A lowered outer and a raised inner bevel: an etched frame.
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::Box);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setGeometry(8, 8, 300, 136);

  auto* icon = new QLabel(panel);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setPixmap(ProgramPicture());
  icon->setScaledContents(true);
  icon->setGeometry(12, 12, 80, 70);

  auto* name = new QLabel(QStringLiteral("Vesk"), panel);
  name->setObjectName(QStringLiteral("ProductName"));
  QFont large = name->font();
  large.setBold(true);
  large.setPointSizeF(large.pointSizeF() * 1.6);
  name->setFont(large);
  name->setGeometry(108, 16, 180, 32);

  auto* version = new QLabel(VersionText(), panel);
  version->setObjectName(QStringLiteral("Version"));
  version->setGeometry(108, 54, 180, 22);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setDefault(true);
  ok->setGeometry(120, 154, 76, 28);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TVeskAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  CentreOnScreen(*this);
}

}  // namespace vesk::gui
