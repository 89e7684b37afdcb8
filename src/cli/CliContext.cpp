#include "CliContext.h"

#include "Arguments.h"
#include "CliErrors.h"
#include "qt/LocaleSeparator.h"

namespace vesk::cli {

void CliDialogs::ShowMessage(MessageIcon icon, const std::string& caption, const std::string& text) {
  messages_.push_back(Message{icon, caption, text});
}

bool CliDialogs::AskYesNo(const std::string& caption, const std::string& text) {
  messages_.push_back(Message{MessageIcon::Warning, caption, text});
  return answerYes_;
}

NumberFormat DataFileFormat(Arguments& args, const CliEnvironment& env) {
  if (const auto separator = args.Value("--decimal-separator")) {
    if (separator->size() != 1 || (*separator)[0] == ';' || ((*separator)[0] >= '0' && (*separator)[0] <= '9'))
      throw UsageError("--decimal-separator takes one character, for example , or .");
    return NumberFormat{(*separator)[0]};
  }
  return NumberFormat{qt::LocaleDecimalSeparator(env.GetEnv)};
}

}  // namespace vesk::cli
