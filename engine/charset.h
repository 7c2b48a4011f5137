#pragma once
// Deciding a page's character set, and the UTF-16 round trip of pages saved as "Unicode".

#include <string>
#include <string_view>

#include "engine/run_context.h"

namespace trimvale {

struct CPageCharset {
  PageEncoding encoding = PageEncoding::SingleByte;
  std::string declaredName;  // as declared in the page, empty when none
};

// Decides once per page: a UTF-8 byte-order mark or a declared utf-8 means UTF-8; no
// declaration or a Latin-1 family name means single-byte; anything else is left unconverted.
CPageCharset DetectPageCharset(std::string_view page);

enum class Utf16Form { None, LittleEndian, BigEndian };

// The UTF-16 form announced by a byte-order mark at the start of `page`.
Utf16Form DetectUtf16(std::string_view page);

// UTF-16 (with its mark) to UTF-8 (with a UTF-8 mark). False for an odd length or an unpaired
// surrogate; `out` is then unspecified.
bool Utf16ToUtf8(std::string_view page, Utf16Form form, std::string& out);

// UTF-8 (with or without a mark) back to UTF-16 in `form`, with its mark.
std::string Utf8ToUtf16(std::string_view text, Utf16Form form);

}  // namespace trimvale
