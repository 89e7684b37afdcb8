#include "gui/help/Manual.h"

#include <QAction>
#include <QKeySequence>
#include <QShowEvent>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

#include "gui/app/AppResources.h"
#include "gui/common/WindowPlacement.h"

namespace vesk::gui {

QUrl ManualPage(const QString& page) {
  RegisterResources();
  const QString path = page.startsWith(QLatin1String("en/")) || page.startsWith(QLatin1String("ru/"))
                           ? page
                           : QStringLiteral("ru/") + page;
  return QUrl(QString::fromLatin1(kManualRoot) + path);
}

ManualWindow::ManualWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  RegisterResources();
  setObjectName(QStringLiteral("ManualWindow"));
  setWindowTitle(QStringLiteral("Vesk — справка"));
  resize(820, 680);

  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("ManualBrowser"));
  browser_->setOpenExternalLinks(true);
  browser_->setOpenLinks(true);
  browser_->document()->setDocumentMargin(14);

  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("ManualToolBar"));
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  bar->setMovable(false);
  QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Назад"));
  back->setObjectName(QStringLiteral("ManualBack"));
  back->setShortcut(QKeySequence::Back);
  back->setEnabled(false);
  QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Вперёд"));
  forward->setObjectName(QStringLiteral("ManualForward"));
  forward->setShortcut(QKeySequence::Forward);
  forward->setEnabled(false);
  QAction* contents = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Содержание"));
  contents->setObjectName(QStringLiteral("ManualContents"));
  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(contents, &QAction::triggered, this, &ManualWindow::ShowContents);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  // The caption follows the page: "Vesk — справка" or "Vesk — manual".
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Vesk") : title);
  });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(browser_, 1);
}

void ManualWindow::ShowPage(const QString& page) { browser_->setSource(ManualPage(page)); }

// The contents of the language being read.
void ManualWindow::ShowContents() {
  const bool english = browser_->source().path().contains(QLatin1String("/manual/en/"));
  ShowPage(english ? QStringLiteral("en/") + kManualContents : QString::fromLatin1(kManualContents));
}

void ManualWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (placed_ || event->spontaneous()) return;
  placed_ = true;
  CentreOnScreen(*this);
}

Manual::~Manual() { delete window_.data(); }

void Manual::Open(const QString& page) {
  if (!window_) window_ = new ManualWindow;
  window_->ShowPage(page);
  window_->show();
  window_->raise();
  window_->activateWindow();
}

}  // namespace vesk::gui
