#pragma once
// Deciding a page's character set from its byte-order mark or declaration.

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
// The declaration is looked for only in the head of the page: everything before the first
// "</head" or "<body", and at most the first kCharsetScanLimit bytes. Where the page declares
// nothing or a single-byte charset, all its bytes are checked as well: valid UTF-8 with
// characters beyond ASCII makes an undeclared page UTF-8 (browsers detect it so) and a page
// declaring a single-byte charset Utf8Misdeclared.
CPageCharset DetectPageCharset(std::string_view page);

// Whether `bytes` are well-formed UTF-8 holding at least one character beyond ASCII. Text in a
// single-byte charset almost never is: its letters beyond ASCII would have to come in exactly
// the lead-and-trail patterns of UTF-8.
bool IsMultiByteUtf8(std::string_view bytes);

inline constexpr std::size_t kCharsetScanLimit = 64 * 1024;

// The value of attribute `name` (compared without regard to ASCII case) in the attribute text
// of a tag, read as a browser reads attributes: names are whole words, quoted values are skipped
// as a whole, and an attribute counts only when "=" follows its name. Returns the first such
// value (without quotes; possibly empty), or nullopt.
std::optional<std::string_view> FindTagAttribute(std::string_view attributes, std::string_view name);

}  // namespace trimvale
