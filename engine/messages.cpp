#include "engine/messages.h"

#include "engine/output_sink.h"

namespace trimvale {

namespace {
struct MessageEntry {
  int id;
  std::string_view text;
};

constexpr MessageEntry kMessages[] = {
    {msg::kParseFile, "Parse Datei"},
    {msg::kUnknownError, "Ein unbekannter Fehler ist aufgetreten"},
    {msg::kCreateFolderFailed, "Fehler beim Erstellen eines Verzeichnisses für die Sicherungskopie"},
    {msg::kEndOfInputNoContent, "HTML Fehler: Dateiende erreicht ohne dass Inhalt dem Tag folgt"},
    {msg::kLevelTooHigh,
     "Datei wird nicht optimiert, da Fehler schwerer als erlaubt (Grad kann unter Einstellungen - "
     "Fehlerbehandlung eingestellt werden).\r\n"},
};
}  // namespace

std::string_view MessageText(int id) {
  for (const auto& entry : kMessages) {
    if (entry.id == id) return entry.text;
  }
  return {};
}

std::vector<int> MessageIds() {
  std::vector<int> ids;
  for (const auto& entry : kMessages) ids.push_back(entry.id);
  return ids;
}

void IOutputSink::AppendMessage(int id) {
  std::string text(MessageText(id));
  text += "\r\n";
  AppendText(text);
}

void CStringSink::AppendText(std::string_view text) {
  std::lock_guard lock(mutex_);
  text_ += text;
}

void CStringSink::Clear() {
  std::lock_guard lock(mutex_);
  text_.clear();
}

std::string CStringSink::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

}  // namespace trimvale
