// The photograph-like picture the window tests open (gradients, a warm
// disc and fine bars, 900 x 600) and the window opened on it.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_form.h"
#include "fileio/image_save.h"
#include "images/image64.h"
#include "support/qt_test_support.h"
#include "widgets/image_with_zoom.h"

namespace kromel::testing {

struct TTestPhoto {
  bool Cool = false;      // red and blue swapped
  bool ClipBand = false;  // the top 60 rows white, for clip warnings
};

inline void WriteTestPhoto(const std::string& File, TTestPhoto Kind = {}) {
  TImage64 I;
  ASSERT_TRUE(I.Alloc(900, 600));
  for (int32_t Y = 0; Y < 600; ++Y)
    for (int32_t X = 0; X < 900; ++X) {
      const int32_t Dx = X - 300, Dy = Y - 300;
      const bool Disc = Dx * Dx + Dy * Dy < 150 * 150;
      const bool Bar = X > 700 && (X / 6) % 2 == 0;
      const bool Clip = Kind.ClipBand && Y < 60;
      const uint16_t R = uint16_t(Clip ? 65535 : Disc ? 56000 : 20000 + X * 40);
      const uint16_t G = uint16_t(Clip ? 65535 : Bar ? 52000 : 10000 + Y * 60);
      const uint16_t B = uint16_t(Clip ? 65535 : Disc ? 12000 : 36000);
      I.Pixels[Y * 900 + X].Init(Kind.Cool ? B : R, G, Kind.Cool ? R : B, 65535);
    }
  ASSERT_TRUE(SaveImage64ToFile8bit(I, File, EmptyICCProfile()));
}

// A main window on Settings, W x H, shown and showing File's first frame.
inline std::unique_ptr<TKromelMainForm> OpenWindowOn(const std::string& File,
                                                     std::shared_ptr<TSettingsFile> Settings,
                                                     int W = 1200, int H = 760) {
  auto Form = std::make_unique<TKromelMainForm>(std::move(Settings));
  Form->resize(W, H);
  Form->OpenFiles({File});
  Form->show();
  EXPECT_TRUE(WaitUntil([&] { return Form->ShownRenders() > 0 && Form->Preview().Layout.ResultReady; }));
  return Form;
}

}  // namespace kromel::testing
