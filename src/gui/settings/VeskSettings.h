#pragma once

#include <QObject>
#include <QSettings>

namespace vesk::gui {

// How numbers in data files and fields separate their fraction.
enum class SeparatorChoice { System, Point, Comma };

// The user's settings, kept between runs: the one place the program stores
// what the user chose (QSettings, organisation and application "Vesk").
// Every window reads them from here and hears of changes through its
// signals.
class VeskSettings : public QObject {
  Q_OBJECT

 public:
  // `systemSeparator` is the one of the user's locale, used while the
  // choice is "System".
  explicit VeskSettings(char systemSeparator, QObject* parent = nullptr);

  SeparatorChoice Separator() const;
  void SetSeparator(SeparatorChoice choice);
  char SystemSeparator() const { return system_; }
  // The separator in force: the chosen one, or the system's.
  char DecimalSeparator() const;

 signals:
  // The choice was set (the separator in force may be the same).
  void SeparatorChanged(char separator);

 private:
  QSettings store_;
  char system_;
};

}  // namespace vesk::gui
