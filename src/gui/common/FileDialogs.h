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
  QString DefaultSuffix;  // "crd": added to a typed name that has no extension, unless the filter chosen names one
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

// The name a save dialog gives back: a typed name without an extension
// takes the one of the filter the user chose ("PNG Files (*.png)" gives
// .png), or `defaultSuffix` when that filter names no single extension
// ("All Files (*)"). A name with an extension stays as typed.
QString WithChosenSuffix(const QString& name, const QString& chosenFilter, const QString& defaultSuffix);

// The real dialogs, their buttons and labels in Russian.
class QtFileDialogs : public FileDialogs {
 public:
  QString OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
  QStringList OpenFileNames(QWidget* parent, const FileDialogRequest& request) override;
  QString SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace vesk::gui
