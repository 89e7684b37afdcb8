#include "gui/common/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace vesk::gui {
namespace {

void NameControls(QFileDialog& dialog, QFileDialog::AcceptMode accept) {
  dialog.setLabelText(QFileDialog::Accept,
                      accept == QFileDialog::AcceptSave ? QStringLiteral("Сохранить") : QStringLiteral("Открыть"));
  dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Отмена"));
  dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Папка:"));
  dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Имя файла:"));
  dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Тип файлов:"));
}

// One dialog set up as the request says; the mode decides open or save.
QStringList Run(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode accept,
                QFileDialog::FileMode mode) {
  QFileDialog dialog(parent, request.Caption, request.Folder, request.Filter);
  dialog.setAcceptMode(accept);
  dialog.setFileMode(mode);
  NameControls(dialog, accept);
  const bool save = accept == QFileDialog::AcceptSave;
  // A save dialog's extension follows the filter chosen, which Qt's own
  // default suffix does not: it is added once the dialog has closed.
  if (!save && !request.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.DefaultSuffix);
  if (!request.ProposedName.isEmpty()) dialog.selectFile(request.ProposedName);
  // A save dialog asks nothing more: the callers decide about overwriting.
  if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList files = dialog.selectedFiles();
  if (save)
    for (QString& file : files) file = WithChosenSuffix(file, dialog.selectedNameFilter(), request.DefaultSuffix);
  return files;
}

}  // namespace

QString WithChosenSuffix(const QString& name, const QString& chosenFilter, const QString& defaultSuffix) {
  if (name.isEmpty() || !QFileInfo(name).suffix().isEmpty()) return name;
  // The first pattern of the filter, when it is one plain extension.
  static const QRegularExpression kPattern(QStringLiteral("\\(\\s*\\*\\.([A-Za-z0-9]+)[\\s)]"));
  const QRegularExpressionMatch match = kPattern.match(chosenFilter);
  const QString suffix = match.hasMatch() ? match.captured(1) : defaultSuffix;
  if (suffix.isEmpty()) return name;
  return name + "." + suffix;
}

QString QtFileDialogs::OpenFileName(QWidget* parent, const FileDialogRequest& request) {
  const QStringList files = Run(parent, request, QFileDialog::AcceptOpen, QFileDialog::ExistingFile);
  return files.isEmpty() ? QString() : files.front();
}

QStringList QtFileDialogs::OpenFileNames(QWidget* parent, const FileDialogRequest& request) {
  return Run(parent, request, QFileDialog::AcceptOpen, QFileDialog::ExistingFiles);
}

QString QtFileDialogs::SaveFileName(QWidget* parent, const FileDialogRequest& request) {
  const QStringList files = Run(parent, request, QFileDialog::AcceptSave, QFileDialog::AnyFile);
  return files.isEmpty() ? QString() : files.front();
}

}  // namespace vesk::gui
