#include "gui/app/VeskWindows.h"

#include "gui/app/TMainVisForm.h"
#include "gui/app/TVeskAboutBox.h"
#include "gui/orientation/TVisual2_Form.h"
#include "gui/refpoints/TVisual_Form.h"
#include "gui/render/RenderJobs.h"
#include "gui/settings/TObjForm.h"
#include "gui/settings/TVisualNForm.h"
#include "gui/settings/VeskSettings.h"

namespace vesk::gui {

VeskWindows::VeskWindows(GuiContext& context)
    : context_(context),
      userSettings_(std::make_unique<VeskSettings>(context.Format.DecimalSeparator)),
      jobs_(std::make_unique<RenderJobs>(context)) {
  context_.Settings = userSettings_.get();
  context_.Format.DecimalSeparator = userSettings_->DecimalSeparator();
  QObject::connect(userSettings_.get(), &VeskSettings::SeparatorChanged,
                   [this](char separator) { context_.Format.DecimalSeparator = separator; });
  context_.Jobs = jobs_.get();
  context_.Quit = &quit_;
  main_ = std::make_unique<TMainVisForm>();
  main_->SetQuitQuestions(&quit_);
  quit_.Add(jobs_.get(), [this] { return jobs_->MayQuit(main_.get()); });
  order_.push_back(main_.get());
  referencePoints_ = std::make_unique<TVisual_Form>(context_, dialogs_);
  order_.push_back(referencePoints_.get());
  settings_ = std::make_unique<TVisualNForm>(context_);
  dialogs_.Settings = settings_.get();
  order_.push_back(settings_.get());
  buildArea_ = std::make_unique<TObjForm>(context_);
  dialogs_.BuildArea = buildArea_.get();
  order_.push_back(buildArea_.get());
  orientation_ = std::make_unique<TVisual2_Form>(context_, dialogs_);
  order_.push_back(orientation_.get());
  about_ = std::make_unique<TVeskAboutBox>();
  dialogs_.About = about_.get();
  order_.push_back(about_.get());
  // The main window comes first, its buttons' workspaces after it.
  main_->SetWorkspaces(*referencePoints_, *orientation_);
}

VeskWindows::~VeskWindows() {
  // Jobs still running stop first, then the windows go, the last made first.
  jobs_.reset();
  context_.Jobs = nullptr;
  context_.Quit = nullptr;
  context_.Format.DecimalSeparator = userSettings_->SystemSeparator();
  context_.Settings = nullptr;
  about_.reset();
  orientation_.reset();
  buildArea_.reset();
  settings_.reset();
  referencePoints_.reset();
  main_.reset();
}

void VeskWindows::Show() { main_->show(); }

}  // namespace vesk::gui
