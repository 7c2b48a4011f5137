#include "shell/page_document.h"

#include <QFile>
#include <array>

#include "rules/file_io.h"

namespace trimvale::shell {

namespace {

// The page's bytes as characters and back. Interim until the page codec is in: one character
// per byte (ISO-8859-1), which gives every byte back unchanged but shows the characters of UTF-8
// pages and the typographic quotes of windows-1252 pages wrongly. Characters above U+00FF typed
// into the editor cannot be written this way and make `lossy` true.
QString BytesToUnicode(std::string_view bytes, QString* charset) {
  if (charset) *charset = QStringLiteral("ISO-8859-1");
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string UnicodeToBytes(const QString& text, bool* lossy) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if (u > 0xFF) {
      if (lossy) *lossy = true;
      out += '?';
    } else {
      out += static_cast<char>(u);
    }
  }
  return out;
}

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

// The most frequent line end of `text`; CR LF on a tie and for a text without any.
LineEnd UsualLineEndOf(const QString& text) {
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
  if (count[0] >= count[1] && count[0] >= count[2]) return LineEnd::CrLf;
  return count[1] >= count[2] ? LineEnd::Lf : LineEnd::Cr;
}

bool IsMarker(QChar c) { return c.unicode() == CPageDocument::kCrMarker || c.unicode() == CPageDocument::kLfMarker; }

}  // namespace

void CPageDocument::Reset() {
  path_.clear();
  bytes_.clear();
  text_.clear();
  charset_ = QStringLiteral("ISO-8859-1");
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
  const QString unicode = BytesToUnicode(bytes_, &charset_);
  lineEnd_ = UsualLineEndOf(unicode);
  lossless_ = true;
  text_.clear();
  text_.reserve(unicode.size());
  for (qsizetype i = 0; i < unicode.size(); ++i) {
    const QChar c = unicode[i];
    // Characters the editor would take as its own line structure or as our markers cannot come
    // back as they were.
    if (IsMarker(c) || c == QChar::ParagraphSeparator) lossless_ = false;
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

std::string CPageDocument::Encode(const QString& editorText, bool* lossy) const {
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
  return UnicodeToBytes(unicode, lossy);
}

QString CPageDocument::DecodeInserted(std::string_view bytes) const {
  QString unicode = BytesToUnicode(bytes, nullptr);
  unicode.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  unicode.replace(u'\r', u'\n');
  return unicode;
}

QString CPageDocument::DecodeLabel(std::string_view bytes) const { return BytesToUnicode(bytes, nullptr); }

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
