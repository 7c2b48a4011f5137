#pragma once
// Deciding a page's character set, and the UTF-16 round trip of pages saved as "Unicode".

#include <optional>
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
// Only the head of the page is read: everything before the first "</head" or "<body", and at
// most the first kCharsetScanLimit bytes, which is where a page declares its character set.
CPageCharset DetectPageCharset(std::string_view page);

inline constexpr std::size_t kCharsetScanLimit = 64 * 1024;

// The value of attribute `name` (compared without regard to ASCII case) in the attribute text
// of a tag, read as a browser reads attributes: names are whole words, quoted values are skipped
// as a whole, and an attribute counts only when "=" follows its name. Returns the first such
// value (without quotes; possibly empty), or nullopt.
std::optional<std::string_view> FindTagAttribute(std::string_view attributes, std::string_view name);

enum class Utf16Form { None, LittleEndian, BigEndian };

// The UTF-16 form announced by a byte-order mark at the start of `page`.
Utf16Form DetectUtf16(std::string_view page);

// UTF-16 (with its mark) to UTF-8 (with a UTF-8 mark). False for an odd length or an unpaired
// surrogate; `out` is then unspecified.
bool Utf16ToUtf8(std::string_view page, Utf16Form form, std::string& out);

// UTF-8 (with or without a mark) back to UTF-16 in `form`, with its mark.
std::string Utf8ToUtf16(std::string_view text, Utf16Form form);

}  // namespace trimvale
