#include <langinfo.h>
#include <locale.h>

#include "platform/number_text.h"

namespace platform {

std::string UserDecimalSeparator() {
  // The user's LC_NUMERIC, whatever the process's own C locale is set to.
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (user == static_cast<locale_t>(0)) return ".";
  const char* radix = nl_langinfo_l(RADIXCHAR, user);
  std::string separator = (radix && *radix) ? radix : ".";
  freelocale(user);
  return separator;
}

}  // namespace platform
