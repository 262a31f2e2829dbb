#include <gtest/gtest.h>

#include "controls/caution_dialog_layout.h"

namespace kromel {
namespace {

TEST(CautionDialogLayout, GrowsTwelvePixelsALine) {
  const TCautionDialogLayout One = CautionDialogLayout("one line");
  EXPECT_EQ(One.Height, 145);
  EXPECT_EQ(One.CheckBoxTop, 119);
  const TCautionDialogLayout Three = CautionDialogLayout("one\ntwo\nthree");
  EXPECT_EQ(Three.Height, 169);
  EXPECT_EQ(Three.CheckBoxTop, 143);
  EXPECT_EQ(Three.CheckBoxLeft, 8);
  EXPECT_EQ(Three.CheckBoxWidth, 200);
}

}  // namespace
}  // namespace kromel
