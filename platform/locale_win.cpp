#include <windows.h>

#include "platform/number_text.h"
#include "platform/win_text.h"

namespace platform {

std::string UserDecimalSeparator() {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) <= 1) return ".";
  return win::Narrow(buffer);
}

}  // namespace platform
