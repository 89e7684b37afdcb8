#include "gui/app/CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <optional>
#include <string>
#include <vector>

#include "files/FileCheck.h"
#include "files/ProjectFile.h"
#include "files/ProjectWorkspace.h"
#include "gui/app/TMainVisForm.h"
#include "gui/app/VeskWindows.h"
#include "gui/common/CurrentFolder.h"
#include "gui/common/MessageBoxes.h"
#include "gui/orientation/DroppedFiles.h"
#include "gui/orientation/TVisual2_Form.h"
#include "gui/refpoints/DroppedFiles.h"
#include "gui/refpoints/TVisual_Form.h"
#include "qt/ImageFiles.h"

namespace vesk::gui {
namespace {

bool IsHelp(const QString& a) { return a == QLatin1String("--help") || a == QLatin1String("-h"); }
bool IsVersion(const QString& a) { return a == QLatin1String("--version") || a == QLatin1String("-v"); }

bool IsOrientationFile(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  return suffix == QLatin1String("ort") || suffix == QLatin1String("cam");
}

void LoadProject(VeskWindows& windows, const std::string& path) {
  ProjectFields fields;
  // A project that cannot be read is told by the workspace's own loading.
  ReadProject(path, fields);
  const ProjectWorkspace workspace = WorkspaceOfProject(fields);
  if (workspace != ProjectWorkspace::Orientation) {
    windows.Main().Button1Click();
    windows.ReferencePointWorkspace().LoadInputSetFrom(path);
  }
  if (workspace != ProjectWorkspace::ReferencePoints) {
    windows.Main().Button2Click();
    windows.OrientationWorkspace().LoadInputSetFrom(path);
  }
}

}  // namespace

bool AsksForHelpOrVersion(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    if (argument == QLatin1String("--")) return false;
    if (IsHelp(argument) || IsVersion(argument)) return true;
  }
  return false;
}

CommandLineRequest ParseCommandLine(const QStringList& arguments) {
  CommandLineRequest request;
  bool options = true;
  for (const QString& argument : arguments) {
    if (options && argument == QLatin1String("--")) {
      options = false;
    } else if (options && IsHelp(argument)) {
      return CommandLineRequest{CommandLineRequest::Action::PrintHelp, {}, {}};
    } else if (options && IsVersion(argument)) {
      return CommandLineRequest{CommandLineRequest::Action::PrintVersion, {}, {}};
    } else if (options && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
      return CommandLineRequest{
          CommandLineRequest::Action::UsageError, {}, QStringLiteral("unknown option '%1'").arg(argument)};
    } else {
      request.Files << argument;
    }
  }
  return request;
}

QString UsageText() {
  return QStringLiteral(
      "Usage: vesk [FILE...]\n"
      "       vesk --help\n"
      "       vesk --version\n"
      "\n"
      "Photogrammetric stereo visualisation: transformed images and anaglyphs\n"
      "from two photographs of one scene.\n"
      "\n"
      "Without a file Vesk opens the choice between its two workspaces.\n"
      "  FILE.prt        opens the workspace the input set belongs to (by\n"
      "                  reference points or by orientation, both when it\n"
      "                  holds both) with the set loaded; other files are\n"
      "                  then left out\n"
      "  photographs, .crd\n"
      "                  go to the reference-point workspace as a drop\n"
      "                  there would: one photograph to the first row, two\n"
      "                  to rows 1 and 2 in the order of their names, with\n"
      "                  the coordinate files beside them\n"
      "  .ort, .cam      go to the orientation workspace with the\n"
      "                  photographs, by row in the order given\n"
      "\n"
      "Options:\n"
      "  -h, --help      print this text and end\n"
      "  -v, --version   print the version and end\n"
      "  --              end of options: what follows are files\n"
      "\n"
      "Qt's own options (-platform, -style, -reverse...) are taken as well.\n"
      "vesk-cli does the same builds without windows: vesk-cli --help.\n");
}

QString CommandLineVersionText() { return QStringLiteral("vesk " VESK_VERSION "\n"); }

void OpenCommandLineFiles(VeskWindows& windows, const QStringList& files, MessageBoxes& boxes) {
  QStringList missing;
  QStringList unknown;
  std::optional<QString> project;
  QStringList pointWork;
  QStringList orientationWork;
  bool forOrientation = false;
  bool forPoints = false;
  for (const QString& given : files) {
    const QString path = QDir::current().absoluteFilePath(given);
    if (!FileExists(qt::FileNameFromQString(path))) {
      missing << given;
      continue;
    }
    switch (KindOfDroppedFile(qt::FileNameFromQString(path))) {
      case DroppedKind::Project:
        if (!project) project = path;
        continue;
      case DroppedKind::PointFile:
        forPoints = true;
        break;
      case DroppedKind::Photo:
        break;
      case DroppedKind::Other:
        if (!IsOrientationFile(path)) {
          unknown << given;
          continue;
        }
        forOrientation = true;
        orientationWork << path;
        continue;
    }
    pointWork << path;
    orientationWork << path;
  }

  for (const QString& file : missing)
    boxes.Show(nullptr, MessageIcon::Error, QString::fromUtf8(kErrorCaption),
               QString::fromStdString(MissingFileMessage(qt::FileNameFromQString(file))));
  if (!unknown.isEmpty())
    boxes.Show(nullptr, MessageIcon::Warning, QString::fromUtf8(kWarningCaption),
               QStringLiteral("Файлы этого вида Vesk не открывает:\n") + unknown.join(QLatin1Char('\n')));

  if (project) {
    // As a drop does: the project's folder is where the dialogs open next.
    MoveCurrentFolderTo(*project);
    LoadProject(windows, qt::FileNameFromQString(*project));
  } else if (forOrientation && !forPoints) {
    windows.Main().Button2Click();
    windows.OrientationWorkspace().AssignFiles(orientationWork, 1);
  } else if (!pointWork.isEmpty()) {
    windows.Main().Button1Click();
    std::vector<std::string> paths;
    for (const QString& path : pointWork) paths.push_back(qt::FileNameFromQString(path));
    windows.ReferencePointWorkspace().AssignFiles(paths, DropTarget::FirstRow);
  }
}

}  // namespace vesk::gui
