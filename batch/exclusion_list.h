#pragma once
// The directory run's exclusion list `lst.dat` in the program folder: little-endian signed 32-bit
// entry count, then each entry as a length-prefixed 8-bit string (1 byte for a length below 255;
// 0xFF and 16 bits below 0xFFFE; 0xFF, 0xFFFF and 32 bits above). Entries are full directory
// paths without a trailing separator, top of the settings page's list first.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trimvale {

inline constexpr std::string_view kExclusionListFileName = "lst.dat";

// The entries of a list file's bytes, or nullopt when the bytes are damaged: too short for the
// count, a negative count, a length prefix or string that runs past the end, or the 16-bit
// marker 0xFFFE that no writer produces. Nothing is allocated beyond what the bytes hold.
std::optional<std::vector<std::string>> ParseExclusionList(std::string_view bytes);

// The file bytes of `entries`; nullopt when an entry is too long for the format (4 GiB).
std::optional<std::string> SerializeExclusionList(const std::vector<std::string>& entries);

// Reads the file at `path`; false when it cannot be read or is damaged (`entries` is then empty).
bool ReadExclusionList(const std::string& path, std::vector<std::string>& entries);

// Replaces the file at `path` atomically; false with the system's reason in `error` on failure.
bool WriteExclusionList(const std::string& path, const std::vector<std::string>& entries, std::string* error = nullptr);

}  // namespace trimvale
