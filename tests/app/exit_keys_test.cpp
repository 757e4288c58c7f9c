// Which typed keys end the status screen: q, a lone Escape and Ctrl-C do;
// arrow and function keys, which start with an Escape byte, do not.
#include "app/exit_keys.h"

#include <gtest/gtest.h>

namespace {

TEST(ExitKeys, QuitEscapeAndCtrlCEndTheScreen) {
  EXPECT_TRUE(holdsExitKey("q"));
  EXPECT_TRUE(holdsExitKey("Q"));
  EXPECT_TRUE(holdsExitKey("\x1b"));
  EXPECT_TRUE(holdsExitKey("\x03"));
  EXPECT_TRUE(holdsExitKey("abq"));
}

TEST(ExitKeys, EscapeSequencesOfOtherKeysDoNot) {
  EXPECT_FALSE(holdsExitKey(""));
  EXPECT_FALSE(holdsExitKey("x \r"));
  EXPECT_FALSE(holdsExitKey("\x1b[A"));           // up arrow
  EXPECT_FALSE(holdsExitKey("\x1bOP"));           // F1
  EXPECT_FALSE(holdsExitKey("\x1b[15~"));         // F5
  EXPECT_FALSE(holdsExitKey("\x1b[1;5C\x1b[B"));  // Ctrl-right, down
  EXPECT_TRUE(holdsExitKey("\x1b[A\x1b"));        // an arrow, then Escape
  EXPECT_TRUE(holdsExitKey("\x1b[Aq"));           // an arrow, then q
}

}  // namespace
