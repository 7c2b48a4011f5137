#include "shell/page_document.h"

#include <QFile>
#include <array>

#include "rules/file_io.h"

namespace trimvale::shell {

namespace {

const char* LineEndBytes(LineEnd end) {
  switch (end) {
    case LineEnd::Lf:
      return "\n";
    case LineEnd::Cr:
      return "\r";
    case LineEnd::CrLf:
      break;
  }
  return "\r\n";
}

// The most frequent line end of `text` (CR LF on a tie and for a text without any); `mixed`
// tells whether any other kind occurs.
LineEnd UsualLineEndOf(const QString& text, bool& mixed) {
  std::array<qsizetype, 3> count{};  // CR LF, LF, CR
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') {
        ++count[0];
        ++i;
      } else {
        ++count[2];
      }
    } else if (text[i] == u'\n') {
      ++count[1];
    }
  }
  const int kinds = (count[0] > 0) + (count[1] > 0) + (count[2] > 0);
  mixed = kinds > 1;
  if (count[0] >= count[1] && count[0] >= count[2]) return LineEnd::CrLf;
  return count[1] >= count[2] ? LineEnd::Lf : LineEnd::Cr;
}

// windows-1252 straight into the editor's UTF-16, without the UTF-8 the core would make first:
// the large pages of word processors are nearly all of this kind.
QString FromWindows1252(std::string_view bytes) {
  static const std::array<char16_t, 256> kTable = [] {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<char16_t>(Windows1252ToCodePoint(static_cast<unsigned char>(b)));
    return table;
  }();
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  for (const char c : bytes) *out++ = kTable[static_cast<unsigned char>(c)];
  return text;
}

bool IsSingleByte(const CPageEncoding& encoding) {
  return encoding.kind == CPageEncoding::SingleByte || encoding.kind == CPageEncoding::Latin1;
}

bool IsMarker(QChar c) { return c.unicode() == CPageDocument::kCrMarker || c.unicode() == CPageDocument::kLfMarker; }

}  // namespace

void CPageDocument::Reset() {
  path_.clear();
  bytes_.clear();
  text_.clear();
  encoding_ = CPageEncoding{};
  lineEnd_ = LineEnd::CrLf;
  lossless_ = true;
}

bool CPageDocument::Load(const QString& path, QString* error) {
  std::string bytes;
  std::string why;
  if (!ReadWholeFile(QFile::encodeName(path).toStdString(), bytes, &why)) {
    if (error) *error = QString::fromStdString(why);
    return false;
  }
  path_ = path;
  SetBytes(std::move(bytes));
  return true;
}

void CPageDocument::SetBytes(std::string bytes) {
  bytes_ = std::move(bytes);
  Decode();
}

void CPageDocument::Decode() {
  QString unicode;
  if (const CPageEncoding encoding = DetectPageEncoding(bytes_); IsSingleByte(encoding)) {
    encoding_ = encoding;
    lossless_ = true;  // each of the 256 bytes has its character
    unicode = FromWindows1252(bytes_);
  } else {
    const CDecodedPage page = DecodePageAs(bytes_, encoding);
    encoding_ = page.encoding;
    lossless_ = page.lossless;
    unicode = QString::fromUtf8(page.utf8.data(), static_cast<qsizetype>(page.utf8.size()));
  }
  // Characters the editor would take as its own line structure or as our markers cannot come
  // back as they were.
  if (unicode.contains(QChar(kCrMarker)) || unicode.contains(QChar(kLfMarker)) ||
      unicode.contains(QChar::ParagraphSeparator)) {
    lossless_ = false;
  }
  bool mixed = false;
  lineEnd_ = UsualLineEndOf(unicode, mixed);
  if (!mixed) {
    // The usual case, and the one large pages must take fast: one kind of line end throughout.
    if (lineEnd_ == LineEnd::CrLf) unicode.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (lineEnd_ == LineEnd::Cr) unicode.replace(u'\r', u'\n');
    text_ = std::move(unicode);
    return;
  }
  text_.clear();
  text_.reserve(unicode.size() + unicode.size() / 16);
  for (qsizetype i = 0; i < unicode.size(); ++i) {
    const QChar c = unicode[i];
    if (c != u'\r' && c != u'\n') {
      text_ += c;
      continue;
    }
    const bool crlf = c == u'\r' && i + 1 < unicode.size() && unicode[i + 1] == u'\n';
    const LineEnd end = crlf ? LineEnd::CrLf : (c == u'\n' ? LineEnd::Lf : LineEnd::Cr);
    if (end != lineEnd_) {
      text_ += QChar(c == u'\r' ? kCrMarker : kLfMarker);
      if (crlf) text_ += QChar(kLfMarker);
    }
    text_ += u'\n';
    if (crlf) ++i;
  }
}

QString CPageDocument::LineStructure(const QString& editorText) const {
  QString unicode;
  unicode.reserve(editorText.size() + editorText.size() / 16);
  const QString usual = QString::fromLatin1(LineEndBytes(lineEnd_));
  for (qsizetype i = 0; i < editorText.size(); ++i) {
    const QChar c = editorText[i];
    if (IsMarker(c)) {
      // A run of markers stands for a line end of another kind: its bytes replace the line
      // break that follows it.
      qsizetype j = i;
      for (; j < editorText.size() && IsMarker(editorText[j]); ++j) {
        unicode += editorText[j].unicode() == kCrMarker ? u'\r' : u'\n';
      }
      if (j < editorText.size() && editorText[j] == u'\n') ++j;
      i = j - 1;
    } else if (c == u'\n') {
      unicode += usual;
    } else {
      unicode += c;
    }
  }
  return unicode;
}

std::string CPageDocument::Encode(const QString& editorText, bool* lossy) const {
  std::string out;
  if (!EncodePage(LineStructure(editorText).toStdString(), encoding_, out) && lossy) *lossy = true;
  return out;
}

std::string CPageDocument::EncodeForRun(const QString& editorText, bool whole) const {
  CPageEncoding encoding = encoding_;
  if (!whole && PieceGoesAsUtf8()) encoding.kind = CPageEncoding::Utf8Bom;
  std::string out;
  EncodePage(LineStructure(editorText).toStdString(), encoding, out);
  return out;
}

QString CPageDocument::DecodeIn(const CPageEncoding& encoding, std::string_view bytes) {
  if (IsSingleByte(encoding)) return FromWindows1252(bytes);
  if (encoding.kind == CPageEncoding::Utf8 || encoding.kind == CPageEncoding::Utf8Bom) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  const CDecodedPage page = DecodePageAs(bytes, encoding);
  return QString::fromUtf8(page.utf8.data(), static_cast<qsizetype>(page.utf8.size()));
}

bool CPageDocument::PieceGoesAsUtf8() const { return PieceGoesAsUtf8(encoding_); }

bool CPageDocument::PieceGoesAsUtf8(const CPageEncoding& encoding) {
  return encoding.kind == CPageEncoding::Utf8 || encoding.kind == CPageEncoding::Other;
}

QString CPageDocument::DecodeInserted(const CPageEncoding& encoding, std::string_view bytes, bool whole) {
  // The mark EncodeForRun gave a piece of a UTF-8 page comes back as the result's first line.
  QString unicode;
  if (!whole && PieceGoesAsUtf8(encoding)) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.substr(0, 2) == "\r\n") bytes.remove_prefix(2);
    unicode = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  } else {
    unicode = DecodeIn(encoding, bytes);
  }
  unicode.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  unicode.replace(u'\r', u'\n');
  return unicode;
}

QString CPageDocument::DecodeLabel(std::string_view bytes) const {
  // Labels of the parse tree: UTF-16 pages reach the parser as UTF-8, single-byte ones as
  // they are; no per-label conversion through iconv for tens of thousands of nodes.
  switch (encoding_.kind) {
    case CPageEncoding::Utf8:
    case CPageEncoding::Utf8Bom:
    case CPageEncoding::Utf16LE:
    case CPageEncoding::Utf16BE:
      return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    default:
      return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
}

QString CPageDocument::CharsetName() const {
  if (!encoding_.charset.empty()) return QString::fromStdString(encoding_.charset);
  switch (encoding_.kind) {
    case CPageEncoding::Utf8:
    case CPageEncoding::Utf8Bom:
      return QStringLiteral("UTF-8");
    case CPageEncoding::Utf16LE:
      return QStringLiteral("UTF-16LE");
    case CPageEncoding::Utf16BE:
      return QStringLiteral("UTF-16BE");
    default:
      return QStringLiteral("windows-1252");
  }
}

bool CPageDocument::Save(const QString& path, const QString& editorText, QString* error) {
  std::string bytes = Encode(editorText);
  std::string why;
  if (!WriteFileAtomically(QFile::encodeName(path).toStdString(), bytes, &why)) {
    if (error) *error = QString::fromStdString(why);
    return false;
  }
  path_ = path;
  bytes_ = std::move(bytes);
  lossless_ = true;
  return true;
}

}  // namespace trimvale::shell
