#pragma once
// Whole-file reading and crash-safe writing. A file written here is either its old self or its
// complete new content: the bytes go to a temporary file in the same folder, are flushed to
// disk, and the temporary file is renamed over the target.

#include <cstdint>
#include <string>
#include <string_view>

namespace trimvale {

// Reads the whole file into `out`. On failure returns false and, when `error` is given, sets it
// to the operating system's text for the reason.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error = nullptr);

// Largest files the program reads as data of its own: a rule or settings file is a few
// kilobytes, the exclusion list a few thousand paths. A link to /dev/zero or a runaway file must
// not fill the memory.
inline constexpr std::uint64_t kMaxRuleFileSize = 16u << 20;
inline constexpr std::uint64_t kMaxExclusionListSize = 64u << 20;

// As ReadWholeFile, for files that must be plain files of at most `maxBytes` bytes. A FIFO, a
// device, a folder or a socket is refused without waiting for a writer, and nothing beyond
// `maxBytes` is ever read (a file that grows while it is read is refused too). `error` then
// says why, in German.
bool ReadRegularFile(const std::string& path, std::string& out, std::uint64_t maxBytes, std::string* error = nullptr);

// Replaces (or creates) `path` with `bytes` atomically. An existing file keeps its permission
// bits; a new one gets 0666 less the umask. On failure the target is untouched, no temporary
// file is left behind, and `error` (when given) holds the system's reason.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// The operating system's text for an errno value, without a line end.
std::string SystemErrorText(int code);

}  // namespace trimvale
