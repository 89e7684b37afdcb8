#include "gui/help/Manual.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>

#include "gui/common/WindowPlacement.h"
#include "gui/workspace/WorkspaceWindow.h"

namespace vesk {
namespace {

QString Read(const QString& resource) {
  QFile file(resource);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// Resource paths (":/vesk/manual/ru/index.html") of every page.
QStringList Pages() {
  gui::ManualPage(gui::kManualContents);  // registers the resource
  QStringList pages;
  QDirIterator it(QStringLiteral(":/vesk/manual"), {QStringLiteral("*.html")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) pages << it.next();
  pages.sort();
  return pages;
}

TEST(ManualTest, BothLanguagesHaveTheSamePagesAndTheWorkspacesPagesExist) {
  const QStringList pages = Pages();
  QStringList russian;
  QStringList english;
  for (const QString& page : pages) {
    if (page.startsWith(":/vesk/manual/ru/")) russian << page.mid(17);
    if (page.startsWith(":/vesk/manual/en/")) english << page.mid(17);
  }
  EXPECT_EQ(russian, english);
  for (const char* page : {gui::kManualContents, gui::kReferencePointsManualPage, gui::kOrientationManualPage,
                           "builds.html", "formats.html", "statistics.html", "cli.html"})
    EXPECT_TRUE(russian.contains(QString::fromLatin1(page))) << page;
}

// Every link and picture of every page leads somewhere: a page or picture of
// the manual, an anchor that its page defines, or another site.
TEST(ManualTest, EveryLinkAndPictureResolves) {
  const QRegularExpression reference(QStringLiteral(R"re((href|src)="([^"]*)")re"));
  int links = 0;
  for (const QString& page : Pages()) {
    const QUrl base = QUrl(QStringLiteral("qrc") + page);
    const QString text = Read(page);
    ASSERT_FALSE(text.isEmpty()) << page.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("<title>[^<]+</title>")))) << page.toStdString();
    for (auto matches = reference.globalMatch(text); matches.hasNext();) {
      const QRegularExpressionMatch match = matches.next();
      const QString target = match.captured(2);
      const std::string where = page.toStdString() + ": " + target.toStdString();
      if (target.startsWith(QLatin1String("http://")) || target.startsWith(QLatin1String("https://"))) continue;
      const QUrl url = base.resolved(QUrl(target));
      ASSERT_EQ(url.scheme(), "qrc") << where;
      const QString file = QStringLiteral(":") + url.path();
      ++links;
      EXPECT_TRUE(QFile::exists(file)) << where;
      if (url.hasFragment()) {
        const QString anchor = QStringLiteral("id=\"%1\"").arg(url.fragment());
        EXPECT_TRUE(Read(file).contains(anchor)) << where;
      }
      if (match.captured(1) == QLatin1String("src")) {
        EXPECT_FALSE(QImage(file).isNull()) << where;
      }
    }
  }
  EXPECT_GT(links, 0);
}

TEST(ManualTest, OpensAtThePageAskedForAndFindsItsWayAround) {
  gui::Manual manual;
  EXPECT_EQ(manual.Window(), nullptr);
  manual.Open(QString::fromLatin1(gui::kOrientationManualPage));
  gui::ManualWindow* window = manual.Window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(gui::AvailableArea(*window).contains(window->frameGeometry()));
  QTextBrowser& browser = window->Browser();
  EXPECT_EQ(browser.source(), QUrl("qrc:/vesk/manual/ru/orientation.html"));
  EXPECT_EQ(window->windowTitle(), "Vesk — построение по параметрам ориентации");
  EXPECT_TRUE(browser.toPlainText().contains("Режим построения"));
  // The pictures are there, not just their places.
  const QVariant picture =
      browser.loadResource(QTextDocument::ImageResource, QUrl("../images/orientation-workspace.jpg"));
  EXPECT_FALSE(QImage::fromData(picture.toByteArray()).isNull());

  // Opened again it shows the other page in the same window.
  manual.Open(QStringLiteral("en/builds.html#viewer"));
  EXPECT_EQ(manual.Window(), window);
  EXPECT_EQ(browser.source(), QUrl("qrc:/vesk/manual/en/builds.html#viewer"));
  // "Содержание" goes to the contents of the language being read; back
  // returns.
  window->findChild<QAction*>("ManualContents")->trigger();
  EXPECT_EQ(browser.source(), QUrl("qrc:/vesk/manual/en/index.html"));
  QAction* back = window->findChild<QAction*>("ManualBack");
  ASSERT_TRUE(back->isEnabled());
  back->trigger();
  EXPECT_EQ(browser.source().path(), "/vesk/manual/en/builds.html");
  manual.Open(QString::fromLatin1(gui::kManualContents));
  window->findChild<QAction*>("ManualContents")->trigger();
  EXPECT_EQ(browser.source(), QUrl("qrc:/vesk/manual/ru/index.html"));
  EXPECT_EQ(window->windowTitle(), "Vesk — справка");
}

}  // namespace
}  // namespace vesk
