// vesk: the desktop application.
#include <QLibraryInfo>
#include <QMetaObject>
#include <QStringList>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

#include "files/TemporaryFiles.h"
#include "gui/app/CommandLine.h"
#include "gui/app/TMainVisForm.h"
#include "gui/app/VeskApplication.h"
#include "gui/app/VeskWindows.h"
#include "gui/common/FileDialogs.h"
#include "gui/common/MessageBoxes.h"
#include "gui/help/Manual.h"
#include "qt/ImageFiles.h"
#include "qt/LocaleSeparator.h"

namespace {}  // namespace

QStringList ArgumentsOf(int argc, char** argv) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

// The usage, the version or a usage error, printed; the exit status when the
// command line asks for no windows.
std::optional<int> AnswerWithoutWindows(const vesk::gui::CommandLineRequest& request) {
  using Action = vesk::gui::CommandLineRequest::Action;
  switch (request.What) {
    case Action::PrintHelp:
      std::fputs(vesk::gui::UsageText().toLocal8Bit().constData(), stdout);
      return EXIT_SUCCESS;
    case Action::PrintVersion:
      std::fputs(vesk::gui::CommandLineVersionText().toLocal8Bit().constData(), stdout);
      return EXIT_SUCCESS;
    case Action::UsageError:
      std::fprintf(stderr, "vesk: %s\nTry 'vesk --help'.\n", request.Error.toLocal8Bit().constData());
      return 2;
    case Action::OpenWindows:
      break;
  }
  return std::nullopt;
}

int main(int argc, char** argv) {
  // --help and --version need no display: answered before the application
  // object would look for one.
  if (const QStringList arguments = ArgumentsOf(argc, argv); vesk::gui::AsksForHelpOrVersion(arguments))
    if (const auto status = AnswerWithoutWindows(vesk::gui::ParseCommandLine(arguments))) return *status;
  // A result being written when the session ends leaves no temporary file.
  vesk::InstallTemporaryFileCleanupOnSignals();
  // What a killed earlier run of either program left behind goes now.
  vesk::KeepTemporaryFileJournal(vesk::DefaultTemporaryFileJournal(std::getenv));
  vesk::RemoveAbandonedTemporaryFiles();
  vesk::gui::VeskApplication app(argc, argv);
  // The application object has taken Qt's own options out of argv.
  const vesk::gui::CommandLineRequest request = vesk::gui::ParseCommandLine(ArgumentsOf(argc, argv));
  if (const auto status = AnswerWithoutWindows(request)) return *status;
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
    vesk::gui::Manual manual;
    vesk::gui::GuiContext context{files, boxes, format, [&manual](const QString& page) { manual.Open(page); }, 0};
    vesk::gui::VeskWindows windows(context);
    // Every question has been asked by then: the windows go without asking
    // again, as quit() would have them do.
    QObject::connect(&windows.Main(), &vesk::gui::TMainVisForm::Closed, &app, [] { QCoreApplication::exit(0); });
    windows.Show();
    // Once the loop runs, so that the windows are up when a box asks.
    QMetaObject::invokeMethod(
        &app,
        [&] { vesk::gui::RunGuarded(boxes, [&] { vesk::gui::OpenCommandLineFiles(windows, request.Files, boxes); }); },
        Qt::QueuedConnection);
    return app.exec();
  } catch (...) {
    // Start-up itself failed: say so, then end.
    vesk::gui::ShowStandardError(boxes, vesk::gui::DescribeException(std::current_exception()));
    return EXIT_FAILURE;
  }
}
