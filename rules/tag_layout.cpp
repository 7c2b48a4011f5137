#include "rules/tag_layout.h"

#include "rules/text_util.h"

namespace trimvale {

void CTagLayoutTable::Clear() {
  records_.clear();
  firstByName_.clear();
}

void CTagLayoutTable::Append(CTagLayout record) {
  firstByName_.try_emplace(ToLowerAscii(record.name), records_.size());
  records_.push_back(std::move(record));
}

const CTagLayout* CTagLayoutTable::Find(std::string_view name) const {
  if (records_.empty()) return nullptr;
  auto it = firstByName_.find(ToLowerAscii(name));
  return it == firstByName_.end() ? nullptr : &records_[it->second];
}

bool IsHeadingName(std::string_view name) {
  if (name.empty() || (name[0] != 'h' && name[0] != 'H')) return false;
  return name.size() == 1 || (name[1] >= '0' && name[1] <= ':');
}

TagKind ClassifyTagName(std::string_view name) {
  struct Fixed {
    std::string_view name;
    TagKind kind;
  };
  // Order matters only where the tests below overlap; the exact names come first.
  static constexpr Fixed kFirst[] = {
      {"link", TagKind::Link}, {"div", TagKind::Div},   {"p", TagKind::P},       {"a", TagKind::Anchor},
      {"span", TagKind::Span}, {"td", TagKind::Td},     {"tr", TagKind::Tr},     {"html", TagKind::Html},
      {"script", TagKind::Script}, {"b", TagKind::B},   {"i", TagKind::I},
  };
  for (const auto& f : kFirst) {
    if (EqualsNoCase(name, f.name)) return f.kind;
  }
  if (Contains(name, "--[if")) return TagKind::CommentIf;
  if (Contains(name, "![if")) return TagKind::DownlevelIf;
  if (EqualsNoCase(name, "strong")) return TagKind::Strong;
  if (EqualsNoCase(name, "xml")) return TagKind::Xml;
  if (IsHeadingName(name)) return TagKind::Heading;
  if (EqualsNoCase(name, "ul")) return TagKind::Ul;
  if (EqualsNoCase(name, "style")) return TagKind::Style;
  if (name.size() > 2 && StartsWith(name, "!--")) return TagKind::Comment;
  if (EqualsNoCase(name, "xmp")) return TagKind::Xmp;
  if (EqualsNoCase(name, "plaintext")) return TagKind::Plaintext;
  if (EqualsNoCase(name, "textarea")) return TagKind::Textarea;
  if (EqualsNoCase(name, "o:p")) return TagKind::Office;
  return TagKind::Other;
}

CLayoutLookup FindTagLayout(const CTagLayoutTable& table, std::string_view name, int layoutMode) {
  CLayoutLookup result;
  if (const CTagLayout* own = table.Find(name)) {
    result = {own->endTagKind, own->layoutBits, own->kind};
  } else {
    TagKind provisional = TagKind::Other;
    std::string_view fallback;
    if (IsHeadingName(name)) {
      provisional = TagKind::Heading;
      fallback = "h";
    } else if (name.size() > 2 && StartsWith(name, "!--")) {
      provisional = TagKind::Comment;
      fallback = "!--";
    } else if (StartsWith(name, "o:")) {
      provisional = TagKind::Office;
      fallback = "o:";
    }
    const CTagLayout* record = fallback.empty() ? nullptr : table.Find(fallback);
    if (record) {
      result = {record->endTagKind, record->layoutBits, record->kind};
    } else {
      // Without a fallback record only office tags keep their provisional kind: a heading or a
      // comment that the table does not know is an ordinary unknown tag.
      result = {kEndTagOptional, 0, provisional == TagKind::Office ? TagKind::Office : TagKind::Other};
    }
  }
  if (layoutMode == kLayoutOneLine) result.layoutBits = 0;
  if (layoutMode == kLayoutTree) result.layoutBits = kTreeLayoutBits;
  return result;
}

std::optional<std::uint8_t> FindEndTagKind(const CTagLayoutTable& table, std::string_view name) {
  const CTagLayout* record = table.Find(name);
  if (!record) return std::nullopt;
  return record->endTagKind;
}

std::uint8_t ParseLayoutString(std::string_view bits) {
  if (bits.size() < 8) return 0;
  std::uint8_t value = 0;
  for (int i = 0; i < 8; ++i) {
    if (bits[static_cast<std::size_t>(i)] == '1') value = static_cast<std::uint8_t>(value | (1u << (7 - i)));
  }
  return value;
}

std::string FormatLayoutString(std::uint8_t bits) {
  std::string out(8, '0');
  for (int i = 0; i < 8; ++i) {
    if (bits & (1u << (7 - i))) out[static_cast<std::size_t>(i)] = '1';
  }
  return out;
}

}  // namespace trimvale
