#include "gui/settings/VeskSettings.h"

namespace vesk::gui {
namespace {

const QString kSeparatorKey = QStringLiteral("Numbers/DecimalSeparator");

}  // namespace

VeskSettings::VeskSettings(char systemSeparator, QObject* parent)
    : QObject(parent), store_(QStringLiteral("Vesk"), QStringLiteral("Vesk")), system_(systemSeparator) {}

SeparatorChoice VeskSettings::Separator() const {
  const QString stored = store_.value(kSeparatorKey).toString();
  if (stored == QLatin1String("point")) return SeparatorChoice::Point;
  if (stored == QLatin1String("comma")) return SeparatorChoice::Comma;
  return SeparatorChoice::System;
}

void VeskSettings::SetSeparator(SeparatorChoice choice) {
  const char before = 0;
  switch (choice) {
    case SeparatorChoice::Point:
      store_.setValue(kSeparatorKey, QStringLiteral("point"));
      break;
    case SeparatorChoice::Comma:
      store_.setValue(kSeparatorKey, QStringLiteral("comma"));
      break;
    case SeparatorChoice::System:
      store_.setValue(kSeparatorKey, QStringLiteral("system"));
      break;
  }
  store_.sync();
  (void)before;
  // Told even when the separator in force stays: every menu shows the choice.
  emit SeparatorChanged(DecimalSeparator());
}

char VeskSettings::DecimalSeparator() const {
  switch (Separator()) {
    case SeparatorChoice::Point:
      return '.';
    case SeparatorChoice::Comma:
      return ',';
    case SeparatorChoice::System:
      break;
  }
  return system_;
}

}  // namespace vesk::gui
