#include "gui/common/FileDialogs.h"

#include <QFileDialog>

namespace vesk::gui {
namespace {

// One dialog set up as the request says; the mode decides open or save.
QStringList Run(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode accept,
                QFileDialog::FileMode mode) {
  QFileDialog dialog(parent, request.Caption, request.Folder, request.Filter);
  dialog.setAcceptMode(accept);
  dialog.setFileMode(mode);
  if (!request.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.DefaultSuffix);
  if (!request.ProposedName.isEmpty()) dialog.selectFile(request.ProposedName);
  // A save dialog asks nothing more: the callers decide about overwriting.
  if (accept == QFileDialog::AcceptSave) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

}  // namespace

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
