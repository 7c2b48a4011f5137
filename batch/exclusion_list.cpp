#include "batch/exclusion_list.h"

#include <cerrno>
#include <cstdint>

#include "rules/file_io.h"

namespace trimvale {

namespace {
// Reads little-endian numbers from the front of a byte view; every read checks what is left.
class CByteReader {
 public:
  explicit CByteReader(std::string_view bytes) : bytes_(bytes) {}
  std::size_t Left() const { return bytes_.size() - pos_; }
  bool Read(std::uint32_t& value, int size) {
    if (Left() < static_cast<std::size_t>(size)) return false;
    value = 0;
    for (int i = 0; i < size; ++i) {
      value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i);
    }
    pos_ += static_cast<std::size_t>(size);
    return true;
  }
  bool ReadString(std::size_t length, std::string& out) {
    if (Left() < length) return false;
    out.assign(bytes_.substr(pos_, length));
    pos_ += length;
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

void AppendLittleEndian(std::string& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
}  // namespace

std::optional<std::vector<std::string>> ParseExclusionList(std::string_view bytes) {
  CByteReader reader(bytes);
  std::uint32_t rawCount = 0;
  if (!reader.Read(rawCount, 4)) return std::nullopt;
  const auto count = static_cast<std::int32_t>(rawCount);
  if (count < 0) return std::nullopt;
  // Every entry takes at least its one-byte prefix, so a count beyond the bytes left is damage;
  // checking it first keeps a forged count from reserving memory.
  if (static_cast<std::size_t>(count) > reader.Left()) return std::nullopt;
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    std::uint32_t length = 0;
    if (!reader.Read(length, 1)) return std::nullopt;
    if (length == 0xFF) {
      if (!reader.Read(length, 2)) return std::nullopt;
      if (length == 0xFFFE) return std::nullopt;
      if (length == 0xFFFF && !reader.Read(length, 4)) return std::nullopt;
    }
    std::string entry;
    if (!reader.ReadString(length, entry)) return std::nullopt;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<std::string> SerializeExclusionList(const std::vector<std::string>& entries) {
  std::string out;
  AppendLittleEndian(out, static_cast<std::uint32_t>(entries.size()), 4);
  for (const std::string& entry : entries) {
    const std::size_t length = entry.size();
    if (length < 0xFF) {
      AppendLittleEndian(out, static_cast<std::uint32_t>(length), 1);
    } else if (length < 0xFFFE) {
      out += '\xFF';
      AppendLittleEndian(out, static_cast<std::uint32_t>(length), 2);
    } else if (length <= 0xFFFFFFFFu) {
      out += '\xFF';
      AppendLittleEndian(out, 0xFFFF, 2);
      AppendLittleEndian(out, static_cast<std::uint32_t>(length), 4);
    } else {
      return std::nullopt;
    }
    out += entry;
  }
  if (entries.size() > 0x7FFFFFFFu) return std::nullopt;
  return out;
}

bool ReadExclusionList(const std::string& path, std::vector<std::string>& entries) {
  entries.clear();
  std::string bytes;
  if (!ReadRegularFile(path, bytes, kMaxExclusionListSize)) return false;
  auto parsed = ParseExclusionList(bytes);
  if (!parsed) return false;
  entries = std::move(*parsed);
  return true;
}

bool WriteExclusionList(const std::string& path, const std::vector<std::string>& entries, std::string* error) {
  const auto bytes = SerializeExclusionList(entries);
  if (!bytes) {
    if (error) *error = SystemErrorText(EFBIG);
    return false;
  }
  return WriteFileAtomically(path, *bytes, error);
}

}  // namespace trimvale
