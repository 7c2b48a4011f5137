#pragma once
// Native path helpers of the batch. Paths are byte strings with "/" between folders; nothing
// here resolves links or touches anything but the named entry.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace trimvale {

// `folder` and `rel` with exactly one "/" between them, whatever separators either brings at the
// seam. An empty `rel` gives the folder itself (without a trailing separator unless it is "/").
std::string JoinPath(std::string_view folder, std::string_view rel);

// The part after the last "/" (the whole path when it has none).
std::string_view FileNamePart(std::string_view path);

// Whether `path` names `folder` or lies below it, compared without regard to ASCII case. The
// folder may stand anywhere in the path, but it must end where a folder name ends: a backup
// folder ".../alt" covers ".../alt/a.htm", not ".../alternativ/a.htm". An empty folder covers
// nothing.
bool PathIsInFolder(std::string_view path, std::string_view folder);

// Whether anything (a file, folder or link, even a dangling one) is at `path`.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);  // follows links

// Last-write time in whole seconds, following links; nullopt when the entry cannot be read.
std::optional<std::time_t> LastWriteTime(const std::string& path);

}  // namespace trimvale
