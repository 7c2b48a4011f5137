#pragma once
// Writing the Latin-1 characters of text as HTML 4.01 entity names, for the page's encoding.

#include <string>
#include <string_view>

#include "engine/run_context.h"

namespace trimvale {

// First and last byte (or code point) that are written as entities. 0xA0 (no-break space) and
// 0xA1 stay as they are, and so does everything below.
inline constexpr unsigned kFirstEntityChar = 0xA2;
inline constexpr unsigned kLastEntityChar = 0xFF;

// The entity ("&copy;") of a code point from kFirstEntityChar to kLastEntityChar; empty for
// any other.
std::string_view LatinEntity(unsigned codePoint);

// Replaces, in `text`, every character from U+00A2 to U+00FF by its entity. SingleByte reads
// each byte as a Windows-1252 character; Utf8 converts only the two-byte sequences of those code
// points and leaves every other byte alone; the other encodings change nothing. Returns whether the text
// changed. Entities are ASCII, so a second conversion changes nothing.
bool ConvertSpecialChars(std::string& text, PageEncoding encoding);

}  // namespace trimvale
