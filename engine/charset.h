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
// Only the head of the page is read: everything before the first "</head" or "<body", and at
// most the first kCharsetScanLimit bytes, which is where a page declares its character set.
CPageCharset DetectPageCharset(std::string_view page);

inline constexpr std::size_t kCharsetScanLimit = 64 * 1024;

// The value of attribute `name` (compared without regard to ASCII case) in the attribute text
// of a tag, read as a browser reads attributes: names are whole words, quoted values are skipped
// as a whole, and an attribute counts only when "=" follows its name. Returns the first such
// value (without quotes; possibly empty), or nullopt.
std::optional<std::string_view> FindTagAttribute(std::string_view attributes, std::string_view name);

}  // namespace trimvale
