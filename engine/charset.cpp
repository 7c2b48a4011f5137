// Placeholder until the character-set handling lands.
#include "engine/charset.h"

namespace trimvale {

CPageCharset DetectPageCharset(std::string_view) { return {}; }
Utf16Form DetectUtf16(std::string_view) { return Utf16Form::None; }
bool Utf16ToUtf8(std::string_view page, Utf16Form, std::string& out) {
  out.assign(page);
  return true;
}
std::string Utf8ToUtf16(std::string_view text, Utf16Form) { return std::string(text); }

}  // namespace trimvale
