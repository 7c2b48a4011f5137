// `trimvale-cli exclude`: shows and edits the list of folders that directory runs leave out
// (lst.dat in the program folder, the file the desktop program's settings page writes).

#include <algorithm>

#include "batch/batch_paths.h"
#include "batch/exclusion_list.h"
#include "cli/commands.h"
#include "cli/common.h"
#include "rules/file_io.h"
#include "rules/program_folder.h"

namespace trimvale::cli {

namespace {

struct CExcludeCommand {
  CCommonOptions common;
  CLI::App* list = nullptr;
  CLI::App* add = nullptr;
  CLI::App* remove = nullptr;
  std::string directory;

  int Run() {
    const std::string path = JoinPath(ResolveProgramFolder(common.rulesDir, ExecutablePath()), kExclusionListFileName);
    std::vector<std::string> entries;
    // A list that is not there yet is an empty one; a damaged one is never overwritten, since
    // the entries it still holds would be lost.
    if (PathExists(path) && !ReadExclusionList(path, entries)) {
      WriteStderr("Fehler: Die Liste der nicht zu optimierenden Verzeichnisse '" + PrintablePath(path) +
                  "' kann nicht gelesen werden.\n");
      return kExitIoError;
    }
    if (list->parsed()) {
      std::string out;
      for (const std::string& entry : entries) out.append(entry).append("\n");
      WriteStdout(out);
      return kExitOk;
    }

    // Entries are absolute, as the walk compares them with the absolute folders it enters.
    const std::string folder = AbsolutePath(directory);
    const auto at = std::find(entries.begin(), entries.end(), folder);
    if (add->parsed()) {
      if (at != entries.end()) {
        WriteStderr("Das Verzeichnis steht bereits in der Liste: " + PrintablePath(folder) + "\n");
        return kExitOk;
      }
      entries.push_back(folder);
    } else {
      if (at == entries.end()) {
        WriteStderr("Fehler: Das Verzeichnis steht nicht in der Liste: " + PrintablePath(folder) + "\n");
        return kExitIoError;
      }
      entries.erase(at);
    }
    std::string error;
    if (!WriteExclusionList(path, entries, &error)) {
      WriteStderr("Fehler: Die Datei '" + PrintablePath(path) + "' kann nicht geschrieben werden: " + error + "\n");
      return kExitIoError;
    }
    return kExitOk;
  }
};

}  // namespace

CommandRunner RegisterExclude(CLI::App& app) {
  auto command = std::make_shared<CExcludeCommand>();
  CLI::App* sub = app.add_subcommand("exclude", "Liste der Verzeichnisse, die Verzeichnisläufe auslassen (lst.dat)");
  AddStoreOptions(*sub, command->common);
  sub->require_subcommand(1);
  command->list = sub->add_subcommand("list", "die Verzeichnisse der Liste ausgeben");
  command->add = sub->add_subcommand("add", "ein Verzeichnis in die Liste aufnehmen");
  command->add->add_option("DIR", command->directory)->required();
  command->remove = sub->add_subcommand("remove", "ein Verzeichnis aus der Liste entfernen");
  command->remove->add_option("DIR", command->directory)->required();
  return [command, sub]() -> int { return sub->parsed() ? command->Run() : -1; };
}

}  // namespace trimvale::cli
