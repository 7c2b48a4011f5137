#include "engine/messages.h"

#include <gtest/gtest.h>

#include "engine/output_sink.h"

namespace trimvale {
namespace {

TEST(Messages, EveryIdHasItsText) {
  for (int id : MessageIds()) EXPECT_FALSE(MessageText(id).empty()) << id;
  EXPECT_TRUE(MessageText(1).empty());
}

TEST(Messages, AppendMessageAddsALineEnd) {
  CStringSink sink;
  sink.AppendMessage(msg::kParseFile);
  sink.AppendMessage(msg::kLevelTooHigh);
  EXPECT_EQ(sink.Text(),
            "Parse Datei\r\nDatei wird nicht optimiert, da Fehler schwerer als erlaubt (Grad kann unter "
            "Einstellungen - Fehlerbehandlung eingestellt werden).\r\n\r\n");
}

}  // namespace
}  // namespace trimvale
