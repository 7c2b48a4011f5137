#pragma once
// The document: one HTML page, kept as the bytes it was read from and shown as text decoded by
// its own encoding (byte-order mark, declared charset, else windows-1252), written back in it.
//
// The editor holds text in lines; the page holds bytes with line ends of its own. Opening a page
// and saving it unchanged must give the identical bytes, so the document remembers the page's
// usual line end and writes every editor line break as that. A line end of another kind (a lone
// CR in a CR LF page, say) is kept in the text as marker characters in front of the line break,
// and written back as the bytes it stood for. Text put in later (an optimization result) has its
// line ends brought to the page's usual one.

#include <QString>
#include <string>
#include <string_view>

#include "engine/page_codec.h"

namespace trimvale::shell {

enum class LineEnd { CrLf, Lf, Cr };

class CPageDocument {
 public:
  // Marker characters (private use) for the bytes of a line end that is not the usual one.
  static constexpr char16_t kCrMarker = 0xE00D;
  static constexpr char16_t kLfMarker = 0xE00A;

  // A new, empty document without a path; its line end is CR LF.
  void Reset();
  // Reads the page; on failure the document is unchanged and `error` holds the system's reason.
  bool Load(const QString& path, QString* error);
  // Takes `bytes` as the page's content (no path change); the document is decoded from them.
  void SetBytes(std::string bytes);

  // Writes the editor text to `path` as a whole (temporary file and rename; an existing file
  // keeps its permissions). On failure nothing changes on disk and `error` holds the reason; on
  // success the document's path and bytes become the saved ones.
  bool Save(const QString& path, const QString& editorText, QString* error);

  // The page shown as editor text, line breaks as "\n".
  const QString& Text() const { return text_; }
  // Editor text back to page bytes in the page's encoding and line ends; `lossy` (when given)
  // becomes true when the encoding cannot hold some character of the text.
  std::string Encode(const QString& editorText, bool* lossy = nullptr) const;
  // The bytes an optimization gets: the whole page in its own encoding, or a piece of it. The
  // run cannot see the page's declaration in a piece and would read its bytes as windows-1252;
  // so a piece of a UTF-8 page, or of a page in another declared charset, goes to the run as
  // UTF-8 with a byte-order mark (see PieceGoesAsUtf8).
  std::string EncodeForRun(const QString& editorText, bool whole) const;
  // True when a piece of this page is handed to the run as UTF-8 with a mark.
  bool PieceGoesAsUtf8() const;
  static bool PieceGoesAsUtf8(const CPageEncoding& encoding);
  // Page bytes (an optimization result, whole or a piece) to editor text with "\n" line breaks.
  QString DecodeInserted(std::string_view bytes, bool whole = true) const {
    return DecodeInserted(encoding_, bytes, whole);
  }
  // The same for a page in `encoding`, without the document: for the worker, which must not
  // touch a document the window may change.
  static QString DecodeInserted(const CPageEncoding& encoding, std::string_view bytes, bool whole);
  // Page bytes as readable text, for messages and the parse tree.
  QString DecodeLabel(std::string_view bytes) const;

  // The page as last read or saved.
  const std::string& Bytes() const { return bytes_; }
  const QString& Path() const { return path_; }
  bool HasPath() const { return !path_.isEmpty(); }
  // False when the page holds bytes that the shown text cannot give back (invalid for its
  // character set); saving then asks first.
  bool Lossless() const { return lossless_; }
  // The character set the page is read in, for the question before a lossy save.
  QString CharsetName() const;
  const CPageEncoding& Encoding() const { return encoding_; }
  LineEnd UsualLineEnd() const { return lineEnd_; }

 private:
  void Decode();
  // `bytes` in `encoding`, whether or not they hold the page's declaration or mark.
  static QString DecodeIn(const CPageEncoding& encoding, std::string_view bytes);
  QString LineStructure(const QString& editorText) const;

  QString path_;
  std::string bytes_;       // the page as last read or saved
  QString text_;            // bytes_ as editor text
  CPageEncoding encoding_;  // found when the page was read
  LineEnd lineEnd_ = LineEnd::CrLf;
  bool lossless_ = true;
};

}  // namespace trimvale::shell
