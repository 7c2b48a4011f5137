#include "engine/messages.h"

#include <gtest/gtest.h>

namespace trimvale {
namespace {

// The exact wording of each message is checked where it is reported.
TEST(Messages, EveryIdHasItsText) {
  for (int id : MessageIds()) EXPECT_FALSE(MessageText(id).empty()) << id;
  EXPECT_TRUE(MessageText(1).empty());
}

}  // namespace
}  // namespace trimvale
