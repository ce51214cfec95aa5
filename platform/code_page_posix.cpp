#include "platform/code_page.h"

namespace platform {

std::optional<std::string> EncodeSingleByte(std::string_view utf8, std::string* unheld) {
  return EncodeWindows1252(utf8, unheld);
}

std::string DecodeSingleByte(std::string_view bytes) { return DecodeWindows1252(bytes); }

}  // namespace platform
