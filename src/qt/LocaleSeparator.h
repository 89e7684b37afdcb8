#pragma once

#include <functional>
#include <string>

namespace vesk::qt {

// The decimal separator of the user's locale as named by LC_ALL, LC_NUMERIC
// or LANG (the first one set). Asks the C library for the locale's own
// separator; when that locale is not installed, falls back to the usual
// separator of its language, so that a Russian user gets a comma either way.
char LocaleDecimalSeparator(const std::function<const char*(const char*)>& getenv);

}  // namespace vesk::qt
