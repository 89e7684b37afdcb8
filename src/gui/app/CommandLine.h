#pragma once

#include <QString>
#include <QStringList>

namespace vesk::gui {

class MessageBoxes;
class VeskWindows;

// What `vesk [options] [FILE...]` asks for.
struct CommandLineRequest {
  enum class Action { OpenWindows, PrintHelp, PrintVersion, UsageError };
  Action What = Action::OpenWindows;
  // The files to open, as given (relative to the current folder).
  QStringList Files;
  // For a usage error: what was wrong.
  QString Error;
};

// `arguments` without the program's name and without the options Qt itself
// takes (-platform, -style...), which the application object removes.
// "--" ends the options; a file named like an option follows it.
CommandLineRequest ParseCommandLine(const QStringList& arguments);

// True when the arguments ask only for the usage or the version, which are
// printed before any window (or display) is needed.
bool AsksForHelpOrVersion(const QStringList& arguments);

QString UsageText();
QString CommandLineVersionText();

// Opens the files given on the command line the way a user would by hand.
// A project opens the workspace it belongs to (both, when it fills both)
// with its input set loaded; photographs and coordinate files go to the
// reference-point workspace as a drop there would take them, and
// shooting-geometry and calibration files (with any photographs) to the
// orientation workspace. Missing files and files of no kind Vesk reads are
// told in a message box; nothing given leaves the mode-selection window
// alone.
void OpenCommandLineFiles(VeskWindows& windows, const QStringList& files, MessageBoxes& boxes);

}  // namespace vesk::gui
