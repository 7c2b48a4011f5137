#include "shell/window_settings.h"

#include <QFontInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "rules/settings_table.h"

namespace trimvale::shell {

std::optional<CWindowPlacement> ParsePlacement(const std::string& text) {
  CWindowPlacement p;
  int left = 0, top = 0, right = 0, bottom = 0;
  if (std::sscanf(text.c_str(), "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", &p.flags, &p.showState, &p.minX, &p.minY, &p.maxX,
                  &p.maxY, &left, &top, &right, &bottom) != 10) {
    return std::nullopt;
  }
  p.normal = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
  return p;
}

std::string FormatPlacement(const CWindowPlacement& p) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showState, p.minX, p.minY, p.maxX,
                p.maxY, p.normal.left(), p.normal.top(), p.normal.left() + p.normal.width(),
                p.normal.top() + p.normal.height());
  return buffer;
}

CFontRecord ReadFontRecord(const ISettingsStore& store) {
  using namespace setting;
  CFontRecord r;
  r.height = ReadSetting(store, kFontHeight);
  if (r.height == 0) return r;
  r.weight = ReadSetting(store, kFontWeight);
  r.italic = ReadSetting(store, kFontItalic);
  r.underline = ReadSetting(store, kFontUnderline);
  r.pitchAndFamily = ReadSetting(store, kFontPitch);
  r.charSet = ReadSetting(store, kFontCharSet);
  r.face = ReadStringSetting(store, kFontFace).substr(0, 31);
  return r;
}

void WriteChangedFontValues(ISettingsStore& store, const CFontRecord& atStart, const CFontRecord& now) {
  using namespace setting;
  auto writeInt = [&](const CSettingDef& def, int before, int after) {
    if (before != after) store.WriteInt(def.section, def.name, after);
  };
  writeInt(kFontHeight, atStart.height, now.height);
  if (now.height == 0) return;
  writeInt(kFontWeight, atStart.weight, now.weight);
  writeInt(kFontItalic, atStart.italic, now.italic);
  writeInt(kFontUnderline, atStart.underline, now.underline);
  writeInt(kFontPitch, atStart.pitchAndFamily, now.pitchAndFamily);
  writeInt(kFontCharSet, atStart.charSet, now.charSet);
  if (atStart.face != now.face) store.WriteString(kFontFace.section, kFontFace.name, now.face);
}

QFont FontFromRecord(const CFontRecord& r) {
  QFont font(QString::fromStdString(r.face));
  // A negative height is the character height, a positive one the cell height; both are pixels.
  font.setPixelSize(std::max(1, std::abs(r.height)));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(r.weight == 0 ? 400 : r.weight, 1, 1000)));
  font.setItalic(r.italic != 0);
  font.setUnderline(r.underline != 0);
  // Fixed pitch or the "modern" family: let fontconfig pick a monospace face for "Courier".
  if ((r.pitchAndFamily & 0x03) == 1 || (r.pitchAndFamily & 0xF0) == 0x30) font.setStyleHint(QFont::TypeWriter);
  return font;
}

CFontRecord RecordFromFont(const QFont& font, const CFontRecord& keep) {
  CFontRecord r = keep;
  const int pixels = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  r.height = -std::max(1, pixels);
  r.weight = font.weight();
  r.italic = font.italic() ? 1 : 0;
  r.underline = font.underline() ? 1 : 0;
  r.pitchAndFamily = QFontInfo(font).fixedPitch() ? 49 : 34;  // fixed|modern, variable|swiss
  r.face = font.family().toStdString().substr(0, 31);
  return r;
}

}  // namespace trimvale::shell
