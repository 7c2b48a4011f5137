#pragma once
// The program folder: where tageinst.txt, profile.txt, lst.dat, tips.txt and vnm.htm are found
// and written. It must be writable, because the profile editors and the batch pages write there.

#include <string>

namespace trimvale {

// The folder, without a trailing slash, found in this order:
//   1. `explicitFolder` when given (a command-line option);
//   2. $TRIMVALE_HOME when set;
//   3. the executable's own folder when it holds tageinst.txt (the build tree, a portable copy);
//   4. the per-user data folder $XDG_DATA_HOME/trimvale (<home>/.local/share/trimvale when
//      XDG_DATA_HOME is unset or not absolute), created when missing and seeded with the
//      installed defaults: tageinst.txt and profile.txt from <executable's folder>/../share/trimvale,
//      each copied only when the data folder does not hold it yet (a user's edits are never
//      overwritten).
// A folder that cannot be created or seeded is still returned; the caller's check for
// tageinst.txt then tells the user.
std::string ResolveProgramFolder(const std::string& explicitFolder, const std::string& executablePath);

// Where an installation keeps the files it ships read-only (the default rule files, tips.txt,
// vnm.htm, the help topics): <executable's folder>/../share/trimvale; empty when the executable
// is not known.
std::string InstalledDataFolder(const std::string& executablePath);

// The running program's own file (from /proc/self/exe), or empty when it cannot be told.
std::string ExecutablePath();

// The user's home folder: $HOME, else the password database's entry; empty when neither is known.
std::string UserHomeFolder();

}  // namespace trimvale
