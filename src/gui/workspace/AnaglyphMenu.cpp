#include "gui/workspace/AnaglyphMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace vesk::gui {

AnaglyphMenu::AnaglyphMenu(QMenuBar& bar, QObject* parent)
    : QObject(parent), menu_(bar.addMenu(QStringLiteral("Анаглиф"))) {
  menu_->setObjectName(QStringLiteral("AnaglyphMenu"));
  auto* methods = new QActionGroup(this);
  methods->setExclusive(true);
  for (const AnaglyphMethodInfo& info : AnaglyphMethods()) {
    QAction* item = menu_->addAction(QString::fromUtf8(info.MenuText));
    item->setObjectName(QStringLiteral("Anaglyph_") + QString::fromLatin1(info.Name));
    item->setCheckable(true);
    item->setChecked(info.Method == choice_.Method);
    methods->addAction(item);
    const AnaglyphMethod method = info.Method;
    connect(item, &QAction::triggered, this, [this, method] { choice_.Method = method; });
  }
  menu_->addSeparator();
  QAction* swap = menu_->addAction(QString::fromUtf8(kSwapEyesMenuText));
  swap->setObjectName(QStringLiteral("SwapEyes"));
  swap->setCheckable(true);
  connect(swap, &QAction::toggled, this, [this](bool on) { choice_.SwapEyes = on; });
}

}  // namespace vesk::gui
