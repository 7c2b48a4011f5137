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

// Replaces (or creates) `path` with `bytes` atomically. The bytes go to a short temporary name
// (".tv" + 8 random letters + ".tmp", made exclusively) in the target's folder, so even a name
// near the system's length limit can be written. A symbolic link is written through: the file
// at the end of its chain is replaced, beside itself, and the link stays a link. The new file
// takes the mode (without set-id bits), owner and group of `likeFile` when given, else of the
// file it replaces; a new file without either gets 0666 less the umask. Owner and group are
// kept only where the process may set them. An existing file this user may not write is not
// replaced (EACCES). On failure the target is untouched, no temporary file is left behind, and
// `error` (when given) holds the reason (SystemErrorText).
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                         const std::string& likeFile = {});

// The text for an errno value, without a line end: German for the reasons users meet every day
// (not found, permission denied, disk full, read-only file system, name too long, is a
// directory, ...), the system's own text for the rest.
std::string SystemErrorText(int code);

}  // namespace trimvale
