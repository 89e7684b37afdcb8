#include "qt/LocaleSeparator.h"

#include <langinfo.h>
#include <locale.h>
#include <clocale>
#include <cstring>
#include <set>

namespace vesk::qt {
namespace {

std::string LocaleName(const std::function<const char*(const char*)>& getenv) {
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = getenv(variable);
    if (value && *value) return value;
  }
  return "C";
}

// Languages whose numbers use a decimal comma.
bool LanguageUsesComma(const std::string& language) {
  static const std::set<std::string> kComma = {"ru", "uk", "be", "kk", "bg", "sr", "hr", "bs", "sl", "mk", "pl", "cs",
                                               "sk", "hu", "ro", "de", "fr", "it", "es", "pt", "nl", "da", "sv", "nb",
                                               "nn", "no", "fi", "et", "lv", "lt", "el", "tr", "az", "ka", "hy", "id",
                                               "vi", "is", "ca", "gl", "eu", "sq", "uz", "ky", "tg", "mn", "af"};
  return kComma.count(language) > 0;
}

}  // namespace

char LocaleDecimalSeparator(const std::function<const char*(const char*)>& getenv) {
  const std::string name = LocaleName(getenv);
  if (name == "C" || name == "POSIX") return '.';

  // Query the installed locale without touching the process's global one.
  if (locale_t locale = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr))) {
    const char* point = nl_langinfo_l(RADIXCHAR, locale);
    const char separator = (point && std::strlen(point) == 1) ? point[0] : '.';
    freelocale(locale);
    return separator;
  }
  const std::string language = name.substr(0, name.find_first_of("_.@"));
  return LanguageUsesComma(language) ? ',' : '.';
}

}  // namespace vesk::qt
