#include "engine/page_codec.h"

#include <iconv.h>

#include <array>
#include <cerrno>

#include "engine/charset.h"
#include "rules/text_util.h"

namespace trimvale {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Code points of the windows-1252 bytes 0x80 to 0x9F. The five bytes the code page leaves
// undefined stand for the C1 control of the same number, as browsers read them, so every one of
// the 256 bytes survives a round trip.
constexpr std::array<std::uint16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::uint32_t Windows1252ToCodePoint(unsigned char b) {
  return (b >= 0x80 && b < 0xA0) ? kWindows1252High[b - 0x80] : b;
}

namespace {

// The windows-1252 byte of a code point, or -1 when the code page has none.
int CodePointToWindows1252(std::uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
    if (kWindows1252High[i] == cp) return static_cast<int>(0x80 + i);
  }
  return -1;
}

void AppendUnit(std::uint32_t unit, Utf16Form form, std::string& out) {
  const char hi = static_cast<char>((unit >> 8) & 0xFF);
  const char lo = static_cast<char>(unit & 0xFF);
  if (form == Utf16Form::BigEndian) {
    out += hi;
    out += lo;
  } else {
    out += lo;
    out += hi;
  }
}

// Copies well-formed UTF-8 as it stands and puts U+FFFD for every bad byte. Returns whether the
// text was well-formed.
bool ValidateUtf8(std::string_view text, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool clean = true;
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t start = i;
    if (DecodeUtf8At(text, i) == kReplacementChar && !StartsWith(text.substr(start), "\xEF\xBF\xBD")) {
      out.append(text, copied, start - copied);
      AppendUtf8(kReplacementChar, out);
      copied = i;
      clean = false;
    }
  }
  out.append(text, copied, std::string_view::npos);
  return clean;
}

// Names the system's iconv does not know by the label pages use, mapped to the code page that
// browsers read for that label.
std::string IconvName(std::string_view label) {
  struct Alias {
    std::string_view label, iconv;
  };
  static constexpr Alias kAliases[] = {
      {"ks_c_5601-1987", "CP949"}, {"euc-kr", "CP949"},   {"korean", "CP949"},   {"gb2312", "GBK"},
      {"x-gbk", "GBK"},            {"chinese", "GBK"},    {"x-sjis", "SHIFT_JIS"}, {"ms_kanji", "SHIFT_JIS"},
      {"x-mac-roman", "MACINTOSH"}, {"x-euc-jp", "EUC-JP"}, {"x-mac-cyrillic", "MAC-CYRILLIC"},
  };
  for (const Alias& a : kAliases) {
    if (EqualsNoCase(label, a.label)) return std::string(a.iconv);
  }
  return std::string(label);
}

// An open iconv descriptor, closed when it goes out of scope.
class CIconv {
 public:
  CIconv(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~CIconv() {
    if (Ok()) iconv_close(cd_);
  }
  CIconv(const CIconv&) = delete;
  CIconv& operator=(const CIconv&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of `in`, appending to `out`. At an input sequence that cannot be converted,
  // `onBad` is told the position and returns how many bytes to skip after appending its own
  // replacement. Returns false when any sequence was bad.
  template <typename OnBad>
  bool Convert(std::string_view in, std::string& out, OnBad onBad) {
    bool clean = true;
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::array<char, 16384> buffer;
    for (;;) {
      char* outPtr = buffer.data();
      std::size_t outLeft = buffer.size();
      const std::size_t r = inLeft == 0 ? iconv(cd_, nullptr, nullptr, &outPtr, &outLeft)
                                        : iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      const int error = r == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(buffer.data(), static_cast<std::size_t>(outPtr - buffer.data()));
      if (error == E2BIG) continue;
      if (error == EILSEQ || error == EINVAL) {
        clean = false;
        const std::size_t at = in.size() - inLeft;
        const std::size_t skip = std::min(inLeft, std::max<std::size_t>(1, onBad(at, out)));
        inPtr += skip;
        inLeft -= skip;
        continue;
      }
      if (error != 0) return false;
      if (inLeft == 0 && inPtr != nullptr) {
        inPtr = nullptr;  // one more call writes the shift sequence that ends a stateful encoding
        continue;
      }
      return clean;
    }
  }

 private:
  iconv_t cd_;
};

CPageEncoding::Kind KindOfDeclaration(const CPageCharset& declared) {
  if (declared.encoding == PageEncoding::Utf8) return CPageEncoding::Utf8;
  // A page that declares a single-byte charset is read so by browsers, even when its bytes
  // happen to be UTF-8.
  if (declared.encoding == PageEncoding::SingleByte || declared.encoding == PageEncoding::Utf8Misdeclared) {
    const std::string_view name = declared.declaredName;
    const bool windows = name.empty() || EqualsNoCase(name, "windows-1252") || EqualsNoCase(name, "cp1252") ||
                         EqualsNoCase(name, "x-cp1252");
    return windows ? CPageEncoding::SingleByte : CPageEncoding::Latin1;
  }
  // An 8-bit page that claims to be UTF-16 cannot be; browsers read it as UTF-8.
  const std::string_view name = declared.declaredName;
  if (EqualsNoCase(name, "utf-16") || EqualsNoCase(name, "utf-16le") || EqualsNoCase(name, "utf-16be") ||
      EqualsNoCase(name, "unicode")) {
    return CPageEncoding::Utf8;
  }
  return CPageEncoding::Other;
}

void DecodeWindows1252(std::string_view bytes, std::string& out) {
  out.clear();
  out.reserve(bytes.size() + bytes.size() / 8);
  for (char c : bytes) AppendUtf8(Windows1252ToCodePoint(static_cast<unsigned char>(c)), out);
}

bool EncodeWindows1252(std::string_view utf8, std::string& out) {
  bool clean = true;
  out.reserve(out.size() + utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const int b = CodePointToWindows1252(DecodeUtf8At(utf8, i));
    clean = clean && b >= 0;
    out += b >= 0 ? static_cast<char>(b) : '?';
  }
  return clean;
}

}  // namespace

std::uint32_t DecodeUtf8At(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int length = 0;
  std::uint32_t cp = 0;
  std::uint32_t min = 0;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacementChar;
  }
  if (i + static_cast<std::size_t>(length) > s.size()) {
    ++i;
    return kReplacementChar;
  }
  for (int k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacementChar;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacementChar;
  }
  i += static_cast<std::size_t>(length);
  return cp;
}

void AppendUtf8(std::uint32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

Utf16Form DetectUtf16(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE")) return Utf16Form::LittleEndian;
  if (StartsWith(bytes, "\xFE\xFF")) return Utf16Form::BigEndian;
  return Utf16Form::None;
}

bool Utf16ToUtf8(std::string_view bytes, Utf16Form form, std::string& out) {
  out.clear();
  if (form == Utf16Form::None) return false;
  if (DetectUtf16(bytes) == form) bytes.remove_prefix(2);
  out.reserve(bytes.size() + bytes.size() / 2);
  auto unitAt = [&](std::size_t i) -> std::uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return form == Utf16Form::BigEndian ? (a << 8) | b : (b << 8) | a;
  };
  bool clean = true;
  const std::size_t whole = bytes.size() & ~std::size_t{1};
  for (std::size_t i = 0; i < whole; i += 2) {
    std::uint32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDFFF) {
      const std::uint32_t low = (unit <= 0xDBFF && i + 2 < whole) ? unitAt(i + 2) : 0;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      } else {
        unit = kReplacementChar;
        clean = false;
      }
    }
    AppendUtf8(unit, out);
  }
  if (whole != bytes.size()) {
    AppendUtf8(kReplacementChar, out);
    clean = false;
  }
  return clean;
}

std::string Utf8ToUtf16(std::string_view utf8, Utf16Form form) {
  if (form == Utf16Form::None) return std::string(utf8);
  if (StartsWith(utf8, kUtf8Mark)) utf8.remove_prefix(kUtf8Mark.size());
  std::string out;
  out.reserve(2 * utf8.size() + 2);
  AppendUnit(0xFEFF, form, out);
  for (std::size_t i = 0; i < utf8.size();) {
    const std::uint32_t cp = DecodeUtf8At(utf8, i);
    if (cp >= 0x10000) {
      AppendUnit(0xD800 + ((cp - 0x10000) >> 10), form, out);
      AppendUnit(0xDC00 + ((cp - 0x10000) & 0x3FF), form, out);
    } else {
      AppendUnit(cp, form, out);
    }
  }
  return out;
}

CPageEncoding DetectPageEncoding(std::string_view bytes) {
  CPageEncoding encoding;
  if (const Utf16Form form = DetectUtf16(bytes); form != Utf16Form::None) {
    encoding.kind = form == Utf16Form::BigEndian ? CPageEncoding::Utf16BE : CPageEncoding::Utf16LE;
    return encoding;
  }
  if (StartsWith(bytes, kUtf8Mark)) {
    encoding.kind = CPageEncoding::Utf8Bom;
    encoding.charset = DetectPageCharset(bytes.substr(kUtf8Mark.size())).declaredName;
    return encoding;
  }
  const CPageCharset declared = DetectPageCharset(bytes);
  encoding.charset = declared.declaredName;
  encoding.kind = KindOfDeclaration(declared);
  // A charset the system cannot convert is read as browsers read an unknown label.
  if (encoding.kind == CPageEncoding::Other && !CIconv("UTF-8", IconvName(declared.declaredName)).Ok()) {
    encoding.kind = CPageEncoding::SingleByte;
  }
  return encoding;
}

CDecodedPage DecodePage(std::string_view bytes) { return DecodePageAs(bytes, DetectPageEncoding(bytes)); }

CDecodedPage DecodePageAs(std::string_view bytes, const CPageEncoding& encoding) {
  CDecodedPage page;
  page.encoding = encoding;
  switch (encoding.kind) {
    case CPageEncoding::Utf16LE:
    case CPageEncoding::Utf16BE:
      page.lossless = Utf16ToUtf8(
          bytes, encoding.kind == CPageEncoding::Utf16BE ? Utf16Form::BigEndian : Utf16Form::LittleEndian, page.utf8);
      return page;
    case CPageEncoding::Utf8Bom:
    case CPageEncoding::Utf8:
      // A piece of a page comes without the mark its whole has.
      if (StartsWith(bytes, kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
      page.lossless = ValidateUtf8(bytes, page.utf8);
      return page;
    case CPageEncoding::Other: {
      CIconv decoder("UTF-8", IconvName(encoding.charset));
      if (!decoder.Ok()) break;  // read as an unknown label is read
      page.lossless = decoder.Convert(bytes, page.utf8, [](std::size_t, std::string& out) {
        AppendUtf8(kReplacementChar, out);
        return std::size_t{1};
      });
      return page;
    }
    case CPageEncoding::SingleByte:
    case CPageEncoding::Latin1:
      break;
  }
  DecodeWindows1252(bytes, page.utf8);
  return page;
}

bool EncodePage(std::string_view utf8, const CPageEncoding& enc, std::string& out) {
  out.clear();
  std::string checked;
  switch (enc.kind) {
    case CPageEncoding::Utf8Bom:
      out = kUtf8Mark;
      [[fallthrough]];
    case CPageEncoding::Utf8: {
      const bool clean = ValidateUtf8(utf8, checked);
      out += checked;
      return clean;
    }
    case CPageEncoding::Utf16LE:
    case CPageEncoding::Utf16BE:
      out = Utf8ToUtf16(utf8, enc.kind == CPageEncoding::Utf16BE ? Utf16Form::BigEndian : Utf16Form::LittleEndian);
      return ValidateUtf8(utf8, checked);
    case CPageEncoding::Other: {
      CIconv encoder(IconvName(enc.charset), "UTF-8");
      if (encoder.Ok()) {
        return encoder.Convert(utf8, out, [&](std::size_t at, std::string& o) {
          o += '?';
          std::size_t next = at;
          DecodeUtf8At(utf8, next);
          return next - at;
        });
      }
      break;  // as it was decoded: windows-1252
    }
    case CPageEncoding::SingleByte:
    case CPageEncoding::Latin1:
      break;
  }
  return EncodeWindows1252(utf8, out);
}

}  // namespace trimvale
