#pragma once
// Turns the settings store, the program folder and the caller's choices for one run into the
// configuration a run is handed: the layout table and the chosen profile's rules, loaded from the
// rule files and owned by the configuration, and the switches and layout values. The command
// line, the desktop program and any other caller set up a run the same way.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/run_context.h"
#include "rules/settings_store.h"

namespace trimvale {

// What a caller chooses for one run over the stored settings; every value left empty comes from
// the store.
struct CRunOverrides {
  std::optional<int> layoutMode;             // "Baumart", 0..3
  std::string layoutProfile;                 // section of tageinst.txt; empty: "standard"
  std::string profile;                       // optimization profile of profile.txt; empty: none
  std::optional<std::uint32_t> optionsVector;  // the sixteen switches ("Optimieren BoolVektor")
  bool deleteComments = false;               // never stored: each run's dialog starts with it clear
  std::optional<bool> wrap;                  // "HTML Umbrechen"
  std::optional<int> width;                  // "Zeilenbreite", 20..2048
  std::optional<std::string> indentUnit;     // as MakeIndentUnit builds it
  std::optional<LineEnds> lineEnds;          // "Zeilenende"
  std::optional<bool> keepLook;              // "Darstellung bewahren"
};

// A run set-up that cannot go ahead: the layout profile or optimization profile named by the
// caller does not exist.
enum class RunSetupRefusal { None, UnknownLayoutProfile, UnknownProfile };

struct CRunSetup {
  CRunConfig config;
  // Lines for the output pane about rule files the run does without (missing or unreadable
  // tageinst.txt, unreadable profile.txt), each ending in "\r\n", in the order they arose.
  std::vector<std::string> warnings;
  RunSetupRefusal refusal = RunSetupRefusal::None;
  std::string refusalText;  // the reason, German, without a line end (naming what does exist)
};

// Reads the layout values and switches from `store`, loads the layout profile (the caller's, else
// "standard") from `programFolder`/tageinst.txt and, when one is named, the optimization profile
// from `programFolder`/profile.txt, then applies `overrides`. A missing or unreadable tageinst.txt
// is a warning and leaves the table empty; a named layout profile that the file lacks, or a named
// optimization profile that profile.txt does not list, refuses the set-up.
CRunSetup LoadRunSetup(const ISettingsStore& store, const std::string& programFolder, const CRunOverrides& overrides);

// Puts the switches and layout values of `overrides` into `config`; the profile choice stays.
void ApplyRunOverrides(CRunConfig& config, const CRunOverrides& overrides);

}  // namespace trimvale
