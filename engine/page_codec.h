#pragma once
// Turning a page's bytes into UTF-8 text for a caller that shows or edits it (the `tree`
// command, the desktop editor), and turning edited text back into the page's own bytes.
// The optimization run itself keeps working on the bytes; only UTF-16 pages are decoded for it.

#include <cstdint>
#include <string>
#include <string_view>

namespace trimvale {

struct CPageEncoding {
  enum Kind {
    Utf8,        // declared utf-8, no byte-order mark
    Utf8Bom,     // UTF-8 byte-order mark, whatever the page declares
    Utf16LE,     // "Unicode" pages: UTF-16 with its byte-order mark
    Utf16BE,
    SingleByte,  // windows-1252: declared so, undeclared, or a declaration nobody knows
    Latin1,      // declared iso-8859-1 or us-ascii; read as windows-1252, as browsers read it
    Other,       // any other declared charset, converted by the system's iconv
  };
  Kind kind = SingleByte;
  std::string charset;  // the charset as the page declares it; empty when it declares none
};

struct CDecodedPage {
  std::string utf8;  // the text without any byte-order mark
  CPageEncoding encoding;
  bool lossless = true;  // false when bytes invalid in the encoding became U+FFFD
};

// Decides the encoding (UTF-16 or UTF-8 byte-order mark, then the declared charset, else
// windows-1252) and decodes the page. Never fails: bad bytes become U+FFFD.
CDecodedPage DecodePage(std::string_view bytes);

// The encoding DecodePage chooses, without decoding: for a caller that decodes a single-byte
// page straight into its own text form.
CPageEncoding DetectPageEncoding(std::string_view bytes);

// Decodes `bytes` in an encoding found before (of the page they are, or are a piece of), so a
// caller that detected it need not scan the page again. A UTF-8 mark at the start is dropped
// whether the kind has one or not.
CDecodedPage DecodePageAs(std::string_view bytes, const CPageEncoding& encoding);

// Writes `utf8` in encoding `enc` (with the byte-order mark its kind has). Returns false when a
// character cannot be written in that encoding; it is written as "?" and the rest goes on, so
// the caller can still offer the result or choose another encoding. Decoding a page losslessly
// and encoding the text unchanged gives back the page's bytes.
bool EncodePage(std::string_view utf8, const CPageEncoding& enc, std::string& out);

// --- UTF-16 and UTF-8 pieces, shared with the optimization run ---

enum class Utf16Form { None, LittleEndian, BigEndian };

// The UTF-16 form announced by a byte-order mark at the start of `bytes`.
Utf16Form DetectUtf16(std::string_view bytes);

// UTF-16 in `form` to UTF-8; a leading byte-order mark is dropped. Returns false when an
// unpaired surrogate or an odd last byte was written as U+FFFD.
bool Utf16ToUtf8(std::string_view bytes, Utf16Form form, std::string& out);

// UTF-8 (a leading mark is dropped) to UTF-16 in `form`, with its mark. Bytes that are no
// well-formed UTF-8 become U+FFFD.
std::string Utf8ToUtf16(std::string_view utf8, Utf16Form form);

// Decodes one code point at `i` and advances `i`. A byte that does not start a well-formed
// sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut short) yields
// U+FFFD and is skipped on its own, so the bytes after it are read again.
std::uint32_t DecodeUtf8At(std::string_view s, std::size_t& i);

void AppendUtf8(std::uint32_t codePoint, std::string& out);

// The character of a windows-1252 byte; the five bytes the code page leaves unassigned stand for
// the C1 controls of their value, so every byte round-trips.
std::uint32_t Windows1252ToCodePoint(unsigned char b);

inline constexpr std::uint32_t kReplacementChar = 0xFFFD;

}  // namespace trimvale
