#pragma once

#include <QString>
#include <functional>

#include "files/NumberFormat.h"
#include "gui/common/FileDialogs.h"
#include "gui/common/MessageBoxes.h"

namespace vesk::gui {

class RenderJobs;

// What the windows need from outside themselves: the dialogs (real ones in
// the application, scripted ones in tests), the decimal separator of the
// user's locale for every number field and data file, and the manual.
struct GuiContext {
  FileDialogs& Files;
  MessageBoxes& Messages;
  NumberFormat Format;
  // Shows the manual at `page` ("index.html", "refpoints.html#build"...,
  // see gui/help/Manual.h).
  std::function<void(const QString& page)> OpenHelp;
  // Threads a rendering job and a statistical fit may use; 0 = every core.
  int Threads = 0;
  // The application's rendering jobs and result viewers (set by the
  // application once it has made them).
  RenderJobs* Jobs = nullptr;
};

}  // namespace vesk::gui
