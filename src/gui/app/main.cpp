// vesk: the desktop application.
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "files/TemporaryFiles.h"
#include "gui/app/TMainVisForm.h"
#include "gui/app/VeskApplication.h"
#include "gui/app/VeskWindows.h"
#include "gui/common/FileDialogs.h"
#include "gui/common/MessageBoxes.h"
#include "qt/ImageFiles.h"
#include "qt/LocaleSeparator.h"

namespace {

// The platform's viewer for the help file, relative to the current folder.
void OpenHelp(vesk::gui::MessageBoxes& boxes, const QString& path) {
  const QString file = QDir::current().absoluteFilePath(path);
  if (!QFileInfo::exists(file) || !QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
    vesk::gui::ShowStandardError(boxes, QStringLiteral("Не удаётся открыть файл справки %1").arg(path));
}

}  // namespace

int main(int argc, char** argv) {
  // A result being written when the session ends leaves no temporary file.
  vesk::InstallTemporaryFileCleanupOnSignals();
  // What a killed earlier run of either program left behind goes now.
  vesk::KeepTemporaryFileJournal(vesk::DefaultTemporaryFileJournal(std::getenv));
  vesk::RemoveAbandonedTemporaryFiles();
  vesk::gui::VeskApplication app(argc, argv);
  vesk::qt::ConfigureImageReaders();
  // The windows speak Russian whatever the locale, so Qt's own dialogs (the
  // file dialogs, the Yes and No of a question) do too, where the
  // translations are installed.
  QTranslator qtTexts;
  if (qtTexts.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    app.installTranslator(&qtTexts);
  vesk::gui::QtMessageBoxes boxes;
  try {
    app.SetMessageBoxes(&boxes);
    vesk::gui::QtFileDialogs files;
    const vesk::NumberFormat format{vesk::qt::LocaleDecimalSeparator(std::getenv)};
    vesk::gui::GuiContext context{files, boxes, format, [&boxes](const QString& path) { OpenHelp(boxes, path); }, 0};
    vesk::gui::VeskWindows windows(context);
    QObject::connect(&windows.Main(), &vesk::gui::TMainVisForm::Closed, &app, &QApplication::quit);
    windows.Show();
    return app.exec();
  } catch (...) {
    // Start-up itself failed: say so, then end.
    vesk::gui::ShowStandardError(boxes, vesk::gui::DescribeException(std::current_exception()));
    return EXIT_FAILURE;
  }
}
