#pragma once
// Native path helpers of the batch. Paths are byte strings with "/" between folders.

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trimvale {

// `folder` and `rel` with exactly one "/" between them, whatever separators either brings at the
// seam. An empty `rel` gives the folder itself (without a trailing separator unless it is "/").
std::string JoinPath(std::string_view folder, std::string_view rel);

// The part after the last "/" (the whole path when it has none).
std::string_view FileNamePart(std::string_view path);

// `path` with every symbolic link, "." and ".." resolved, as far as it exists; the part that
// does not exist yet is appended as written. Two spellings of one place, also through links,
// give the same text.
std::string ResolvedPath(const std::string& path);

// The same for the folder of `path`; the last name stays as it is (a linked page keeps its name).
std::string ResolvedFolderOf(const std::string& path);

// Whether `path` is `folder` or lies below it, both resolved (ResolvedPath) and compared as
// whole folder names from the front: "/opt" covers "/opt/a.htm", not "/data/opt/a.htm" nor
// "/optik/a.htm". An empty folder covers nothing.
bool PathIsInFolder(const std::string& path, const std::string& folder);

// Where a file lies below `folder`: what is left of ResolvedFolderOf(path) after the resolved
// folder, starting with "/"; nullopt when it does not lie there.
std::optional<std::string> PathBelowFolder(const std::string& path, const std::string& folder);

// `path` fit to be printed: control characters (also the C1 controls, raw or UTF-8 encoded),
// with which a file name could rewrite the terminal, are written as \xHH.
std::string PrintablePath(std::string_view path);

// Whether anything (a file, folder or link, even a dangling one) is at `path`.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);  // follows links

// `paths` (absolute) with each file once, in their order: a second name of a file already listed
// (the same name again, or a link or other spelling that leads to it) is dropped. Optimizing a
// page twice in one run would let the second backup copy replace the first with optimized text.
// Names that lead nowhere are compared as written.
std::vector<std::string> UniqueFilePaths(const std::vector<std::string>& paths);

// Last-write time in whole seconds, following links; nullopt when the entry cannot be read.
std::optional<std::time_t> LastWriteTime(const std::string& path);

}  // namespace trimvale
