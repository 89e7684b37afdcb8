#pragma once

// common/: what every part of the library shares and nothing else defines:
// the general error type, the message a caller shows and the small
// interface through which core code asks the user. Includes the standard
// library only.

#include <string>

namespace vesk {

enum class MessageIcon { Error, Warning, Information };

// What core code needs from whoever talks to the user: a modal message box
// with one OK button and a Yes/No question. The GUI answers with real message
// boxes, vesk-cli with standard error, tests with a recorder.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual void ShowMessage(MessageIcon icon, const std::string& caption, const std::string& text) = 0;
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
};

// Captions used by the data-file readers and writers.
inline constexpr const char* kErrorCaption = "Ошибка!";
inline constexpr const char* kErrorCaptionPlain = "Ошибка";
inline constexpr const char* kWarningCaption = "Предупреждение";
inline constexpr const char* kFailureCaption = "Отказ";

}  // namespace vesk
