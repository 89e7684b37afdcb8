#include "gui/workspace/WorkspaceWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QDialog>
#include <QKeySequence>
#include <QMenuBar>
#include <QShowEvent>
#include <QStatusBar>
#include <tuple>

#include "gui/common/WindowPlacement.h"
#include "gui/settings/TObjForm.h"
#include "gui/settings/VeskSettings.h"
#include "gui/workspace/WorkspaceStatusBar.h"

namespace vesk::gui {

WorkspaceWindow::WorkspaceWindow(const GuiContext& context, const SharedDialogs& dialogs, QSize designSize,
                                 QWidget* parent)
    : QMainWindow(parent), context_(context), dialogs_(dialogs) {
  resize(designSize);
  statusBar_ = new WorkspaceStatusBar(this);
  // The status strip spans the window's width and stays when a menu item's
  // tip is shown; no size grip is needed in a window with its own edges.
  statusBar()->setSizeGripEnabled(false);
  statusBar()->addPermanentWidget(statusBar_, 1);
}

void WorkspaceWindow::AddSettingsMenu() {
  VeskSettings* settings = context_.Settings;
  if (settings == nullptr) return;
  QMenu* menu = menuBar()->addMenu(QStringLiteral("Настройки"));
  menu->setObjectName(QStringLiteral("SettingsMenu"));
  QMenu* separator = menu->addMenu(QStringLiteral("Десятичный разделитель"));
  separator->setObjectName(QStringLiteral("SeparatorMenu"));
  auto* group = new QActionGroup(this);
  const std::tuple<SeparatorChoice, const char*, QString> items[] = {
      {SeparatorChoice::System, "SeparatorSystem",
       QStringLiteral("Как в системе («%1»)").arg(QChar::fromLatin1(settings->SystemSeparator()))},
      {SeparatorChoice::Point, "SeparatorPoint", QStringLiteral("Точка")},
      {SeparatorChoice::Comma, "SeparatorComma", QStringLiteral("Запятая")}};
  for (const auto& [choice, name, text] : items) {
    QAction* item = separator->addAction(text);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    item->setData(static_cast<int>(choice));
    group->addAction(item);
    connect(item, &QAction::triggered, this, [settings, c = choice] { settings->SetSeparator(c); });
  }
  const auto showChoice = [group, settings] {
    for (QAction* item : group->actions())
      item->setChecked(item->data().toInt() == static_cast<int>(settings->Separator()));
  };
  showChoice();
  connect(settings, &VeskSettings::SeparatorChanged, group, showChoice);
}

void WorkspaceWindow::OfferOtherSeparator(QWidget* owner) {
  VeskSettings* settings = context_.Settings;
  if (settings == nullptr) return;
  const char other = context_.Format.DecimalSeparator == ',' ? '.' : ',';
  if (!InputsReadWith(NumberFormat{other})) return;
  const QString how = other == '.' ? QStringLiteral("точкой") : QStringLiteral("запятой");
  if (context_.Messages.AskYesNo(owner, QString::fromUtf8(kWarningCaption),
                                 QStringLiteral("Числа в файлах записаны с другим десятичным разделителем: они "
                                                "читаются, если дробная часть отделяется %1.\nОтделять дробную часть "
                                                "%1?")
                                     .arg(how)))
    settings->SetSeparator(other == '.' ? SeparatorChoice::Point : SeparatorChoice::Comma);
}

QMenu* WorkspaceWindow::AddHelpMenu(const char* manualPage) {
  AddSettingsMenu();
  QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
  help->setObjectName(QStringLiteral("HelpMenu"));
  QAction* contents = help->addAction(QStringLiteral("Справка"));
  contents->setObjectName(QStringLiteral("HelpContents"));
  contents->setShortcut(QKeySequence::HelpContents);
  contents->setShortcutContext(Qt::WindowShortcut);
  connect(contents, &QAction::triggered, this, [this, manualPage] {
    if (context_.OpenHelp) context_.OpenHelp(QString::fromLatin1(manualPage));
  });
  QAction* about = help->addAction(QStringLiteral("О программе"));
  about->setObjectName(QStringLiteral("HelpAbout"));
  connect(about, &QAction::triggered, this, [this] {
    if (dialogs_.About != nullptr) dialogs_.About->exec();
  });
  return help;
}

void WorkspaceWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

bool WorkspaceWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) BindBuildArea();
  return QMainWindow::event(event);
}

void WorkspaceWindow::FormShow() {
  if (!placed_) {
    placed_ = true;
    CentreOnScreen(*this);
  }
  BindBuildArea();
}

void WorkspaceWindow::BindBuildArea() {
  if (dialogs_.BuildArea != nullptr) dialogs_.BuildArea->SetBuildAreaTarget(&area_);
}

void WorkspaceWindow::ShowBuildFailure(const BuildFailure& failure, QWidget* owner) {
  switch (failure.How) {
    case BuildFailure::Kind::Message:
      // A file that could not be read is named below the message, with its
      // line and what is wrong there.
      context_.Messages.Show(
          owner, failure.Message.Icon, QString::fromStdString(failure.Message.Caption),
          QString::fromStdString(failure.Read ? failure.Read->DetailedText() : failure.Message.Text));
      if (failure.Read) OfferOtherSeparator(owner);
      break;
    case BuildFailure::Kind::StandardError:
      ShowStandardError(context_.Messages, QString::fromStdString(failure.Message.Text));
      break;
    case BuildFailure::Kind::Cancelled:
      break;
  }
}

}  // namespace vesk::gui
