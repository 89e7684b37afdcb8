#pragma once

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace vesk::gui {

// The manual that ships inside the program (HTML in Russian, with an English
// version; the same pages are installed under share/doc/vesk/manual for a
// browser). Page names are relative to the language's folder, with an
// optional anchor: "index.html", "builds.html#anaglyph-scene".
inline constexpr const char* kManualRoot = "qrc:/vesk/manual/";
inline constexpr const char* kManualContents = "index.html";

// The address of `page` in the Russian manual ("en/index.html" for the
// English one).
QUrl ManualPage(const QString& page);

// The manual's window: the pages in a QTextBrowser with back, forward and
// contents; links to other sites open in the desktop's browser.
class ManualWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ManualWindow(QWidget* parent = nullptr);

  // Shows `page` (see ManualPage).
  void ShowPage(const QString& page);
  QTextBrowser& Browser() { return *browser_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowContents();

  QTextBrowser* browser_;
  bool placed_ = false;
};

// The application's one manual window, made when first asked for.
class Manual {
 public:
  Manual() = default;
  ~Manual();
  Manual(const Manual&) = delete;
  Manual& operator=(const Manual&) = delete;

  // Shows the window at `page`, brought to the front.
  void Open(const QString& page);
  // Null until the manual was first opened.
  ManualWindow* Window() const { return window_; }

 private:
  QPointer<ManualWindow> window_;
};

}  // namespace vesk::gui
