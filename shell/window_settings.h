#pragma once
// The window's stored values and their Qt counterparts: the ten numbers of "FensterPos", the
// editor font of section "Schriftart", and the values that are written back only when changed.

#include <QFont>
#include <QRect>
#include <QString>
#include <optional>
#include <string>

#include "rules/settings_store.h"

namespace trimvale::shell {

// "flags,showState,minX,minY,maxX,maxY,left,top,right,bottom".
struct CWindowPlacement {
  unsigned flags = 0;      // 2: restore to maximized
  unsigned showState = 1;  // 1 normal, 2 minimized, 3 maximized
  int minX = -1, minY = -1, maxX = -1, maxY = -1;
  QRect normal;  // right and bottom are exclusive, as stored
};

// Nullopt unless `text` holds ten numbers of that form (fewer numbers or other text).
std::optional<CWindowPlacement> ParsePlacement(const std::string& text);
std::string FormatPlacement(const CWindowPlacement& placement);

// The font values of section "Schriftart".
struct CFontRecord {
  int height = -13;  // negative: character height in pixels; 0: the control's default font
  int weight = 400;
  int italic = 0;
  int underline = 0;
  int pitchAndFamily = 49;
  int charSet = 1;
  std::string face = "Courier";  // at most 31 characters

  bool operator==(const CFontRecord&) const = default;
};

// Reads "Höhe" and, only when it is not 0, the other values.
CFontRecord ReadFontRecord(const ISettingsStore& store);
// Writes "Höhe" when it differs from `atStart`, and each other value that differs while the
// height is not 0.
void WriteChangedFontValues(ISettingsStore& store, const CFontRecord& atStart, const CFontRecord& now);

QFont FontFromRecord(const CFontRecord& record);
// `keep` supplies what a QFont does not know (the character set byte).
CFontRecord RecordFromFont(const QFont& font, const CFontRecord& keep);

}  // namespace trimvale::shell
