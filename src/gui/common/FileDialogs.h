#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace vesk::gui {

// What a window asks of a file dialog.
struct FileDialogRequest {
  QString Folder;         // where the dialog opens
  QString Filter;         // Qt's syntax: "Image Files (*.bmp);;All Files (*)"
  QString ProposedName;   // the file name offered at first (save dialogs); may be a whole path
  QString DefaultSuffix;  // "crd": added to a typed name that has no extension
  QString Caption;        // the dialog's title; empty for the toolkit's own
};

// File dialogs behind an interface, so that tests choose files without a
// modal loop. Every call returns what the user confirmed: an empty text or
// list when the dialog was cancelled.
class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual QString OpenFileName(QWidget* parent, const FileDialogRequest& request) = 0;
  // Several files may be chosen (the caller decides how many count).
  virtual QStringList OpenFileNames(QWidget* parent, const FileDialogRequest& request) = 0;
  virtual QString SaveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The real dialogs.
class QtFileDialogs : public FileDialogs {
 public:
  QString OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
  QStringList OpenFileNames(QWidget* parent, const FileDialogRequest& request) override;
  QString SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace vesk::gui
