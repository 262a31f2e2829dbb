#include "widgets/style_gui.h"

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/message_sink.h"
#include "support/qt_test_support.h"
#include "widgets/control_widget.h"
#include "widgets/sample_form.h"

namespace kromel {
namespace {

class Skinner : public ::testing::Test {
protected:
  void SetUp() override {
    testing::EnsureQtApplication();
    DefaultHeadlessSink().EchoToStderr = false;
    DefaultHeadlessSink().Clear();
  }
};

QRgb Rgb(TColor C) { return qRgb(int(C & 0xFF), int((C >> 8) & 0xFF), int((C >> 16) & 0xFF)); }

// The pixel of a child at (X, Y) of its own area, from a grab of the form.
QRgb PixelOf(const QImage& Shot, QWidget* W, int32_t X, int32_t Y) {
  const QPoint P = W->mapTo(W->window(), QPoint(X, Y));
  return Shot.pixel(P) | 0xFF000000u;
}

TEST_F(Skinner, PalettesHoldTheirColoursAndBlueHasItsOwnTick) {
  struct TCase {
    TStyleType Style;
    TColor Background, Face, Panel, Text, Tick;
  };
  for (const TCase& C : {TCase{stBlack, 0x0B0B0B, 0x404040, 0x282828, 0xA8A8A8, 0x404040},
                         TCase{stWhite, 0xF8F8F8, 0xF8F8F8, 0xD0D0D0, 0x303030, 0xA0A0A0},
                         TCase{stGray, 0x808080, 0xA0A0A0, 0xA0A0A0, 0xFFFFFF, 0xC0C0C0},
                         TCase{stBlue, 0x381818, 0x502020, 0x602020, 0xF0F0F0, 0x404040}}) {
    TStyleGui Skin;
    Skin.SetStyleType(C.Style);
    EXPECT_EQ(Skin.BackgroundColor, C.Background);
    EXPECT_EQ(Skin.Palette().FaceColor, C.Face);
    EXPECT_EQ(Skin.Palette().PanelColor, C.Panel);
    EXPECT_EQ(Skin.Palette().TextColor, C.Text);
    EXPECT_EQ(Skin.Palette().TickColor, C.Tick);
  }
  EXPECT_EQ(StylePalette(stGray).GlowColor, 0x3FFFFFFFu);
  // The blue tick no longer depends on the style loaded before it.
  for (TStyleType Before : {stBlack, stWhite, stGray, stBlue}) {
    TStyleGui Skin;
    Skin.SetStyleType(Before);
    Skin.SetStyleType(stBlue);
    EXPECT_EQ(Skin.Palette().TickColor, 0x404040u) << int(Before);
  }
}

TEST_F(Skinner, EveryPaletteStylesTheSampleForm) {
  const char* Names[] = {"black", "white", "gray", "blue"};
  for (TStyleType Style : {stBlack, stWhite, stGray, stBlue}) {
    SCOPED_TRACE(Names[Style]);
    testing::TSampleForm F(Style);
    F.Style();
    const TStylePalette& P = StylePalette(Style);
    const QImage Shot = testing::GrabWidget(F.Form);
    EXPECT_FALSE(testing::SaveScreenshotImage(Shot, "skinner", std::string("palette_") + Names[Style]).empty());
    // The form and a plain panel take the background colour.
    EXPECT_EQ(Shot.pixel(395, 5) | 0xFF000000u, Rgb(P.BackgroundColor));
    EXPECT_EQ(PixelOf(Shot, F.Panel, 170, 50), Rgb(P.BackgroundColor));
    // A switch's outer and inner frames.
    EXPECT_EQ(PixelOf(Shot, F.Button, 0, 15), Rgb(P.FrameOuterColor));
    EXPECT_EQ(PixelOf(Shot, F.Button, 1, 15), Rgb(P.FrameInnerColor));
    // The scroll bar's ground and the labels' text colour.
    EXPECT_EQ(PixelOf(Shot, F.HBar, 120, 19), Rgb(P.BackgroundColor));
    EXPECT_EQ(F.Label->palette().color(QPalette::WindowText).rgb(), Rgb(P.TextColor));
    EXPECT_EQ(F.Check->palette().color(QPalette::WindowText).rgb(), Rgb(P.TextColor));
    EXPECT_EQ(F.Edit->palette().color(QPalette::Base).rgb(), Rgb(P.BackgroundColor));
    // Pictures of the subscribed switches: a selector stacks one frame per item.
    EXPECT_EQ(F.Skin->Subscribers().size(), 5u);  // four switches and the combo
    ASSERT_FALSE(F.Selector->OffGlyph().Empty());
    EXPECT_EQ(F.Selector->OffGlyph().Image.Height, 90);
    EXPECT_EQ(F.Tumbler->OffGlyph().Image.Height, 30);
  }
}

TEST_F(Skinner, SwitchingPalettesTwiceReturnsTheSamePixels) {
  testing::TSampleForm F(stBlack);
  F.Style();
  const QImage First = testing::GrabWidget(F.Form);
  F.Skin->SetStyleType(stWhite);
  const QImage White = testing::GrabWidget(F.Form);
  EXPECT_NE(First, White);
  EXPECT_EQ(White.pixel(395, 5) | 0xFF000000u, Rgb(0xF8F8F8));
  F.Skin->SetStyleType(stBlack);
  EXPECT_EQ(testing::GrabWidget(F.Form), First);
}

TEST_F(Skinner, SelectorFramesShowTheirItems) {
  testing::TSampleForm F(stBlack);
  F.Style();
  testing::GrabWidget(F.Form);
  const TImage32& Pic = F.Selector->OffGlyph().Image;
  ASSERT_EQ(Pic.Height, 90);
  // Each frame differs from the others (its own item's text), and the frame
  // of "HSP" equals the picture of a switch captioned "HSP" alone.
  auto Frame = [&](const TImage32& I, int32_t J) {
    std::vector<uint32_t> V;
    for (int32_t Y = 30 * J; Y < 30 * J + 30; ++Y)
      for (int32_t X = 0; X < I.Width; ++X) V.push_back(I.Row(Y)[X].Value);
    return V;
  };
  EXPECT_NE(Frame(Pic, 0), Frame(Pic, 1));
  EXPECT_NE(Frame(Pic, 1), Frame(Pic, 2));
  TGlyphSwitch Single(nullptr, skSelector);
  Single.resize(70, 30);
  Single.SetCaption("HSP");
  F.Skin->DrawGlyphSwitch(Single, false, false);
  EXPECT_EQ(Frame(Single.OffGlyph().Image, 0), Frame(Pic, 2));
}

TEST_F(Skinner, CaptionMarkupAndKeepExisting) {
  TStyleGui Skin;
  Skin.SetStyleType(stBlack);
  TGlyphSwitch S(nullptr, skButton);
  S.resize(40, 24);
  // "~" cuts the caption: "Long~er" draws as "Long".
  S.SetCaption("Long~er");
  Skin.DrawGlyphSwitch(S, false, false);
  TGlyphSwitch T(nullptr, skButton);
  T.resize(40, 24);
  T.SetCaption("Long");
  Skin.DrawGlyphSwitch(T, false, false);
  auto Same = [](const TImage32& A, const TImage32& B) {
    return A.Size == B.Size && std::equal(A.Pixels, A.Pixels + A.Size, B.Pixels,
                                          [](auto P, auto Q) { return P.Value == Q.Value; });
  };
  EXPECT_TRUE(Same(S.OffGlyph().Image, T.OffGlyph().Image));
  // ">" with three more characters draws the corner mark.
  T.SetCaption(">abc");
  Skin.DrawGlyphSwitch(T, false, false);
  // (composited at full opacity: within one step of 0x90)
  const TColor Mark = BGRAToColor(T.OffGlyph().Image.GetPixel(40 - 5, 24 - 4));
  EXPECT_NEAR(double(Mark & 0xFF), 0x90, 1.0);
  EXPECT_EQ(Mark, (Mark & 0xFF) * 0x010101u);
  // KeepExisting leaves existing pictures alone.
  const uint32_t Before = T.OnGlyph().Image.GetPixel(20, 12);
  Skin.SetStyleType(stWhite);
  Skin.DrawGlyphSwitch(T, true, false);
  EXPECT_EQ(T.OnGlyph().Image.GetPixel(20, 12), Before);
  Skin.DrawGlyphSwitch(T, false, false);
  EXPECT_NE(T.OnGlyph().Image.GetPixel(20, 12), Before);
}

TEST_F(Skinner, ScrollBarPicturesHaveTheirSizes) {
  TStyleGui Skin;
  Skin.SetStyleType(stBlack);
  TGlyphScrollBar V(nullptr, sbVertical);
  V.resize(10, 100);
  Skin.DrawGlyphScrollBar(V, true);
  EXPECT_FALSE(V.HasButtons);
  EXPECT_EQ(V.PicThumb.Image.Width, 10);
  EXPECT_EQ(V.PicThumb.Image.Height, 8);
  EXPECT_EQ(V.PicRail.Image.Height, 100);
  TGlyphScrollBar H(nullptr, sbHorizontal);
  H.resize(100, 10);
  Skin.DrawGlyphScrollBar(H, true);
  EXPECT_EQ(H.PicThumb.Image.Width, 8);
  EXPECT_EQ(H.PicThumb.Image.Height, 10);
  // Redrawn even with KeepExisting, in the new palette.
  Skin.SetStyleType(stWhite);
  Skin.DrawGlyphScrollBar(H, true);
  EXPECT_EQ(BGRAToColor(H.PicRail.Image.GetPixel(50, 9)), 0xF8F8F8u);
  // The ticks in the tick colour: i = 5 at x = (100 - 8) * 5 / 10 + 4 = 50, rows 0 to 2.
  EXPECT_EQ(BGRAToColor(H.PicRail.Image.GetPixel(50, 0)), 0xA0A0A0u);
}

// A control that publishes Color and FontLight, and one that does not.
class TColourControl : public TControlWidget {
public:
  TColourControl() : TControlWidget(std::make_unique<TController>()) {}
  bool PublishesColor() const override { return true; }
  bool PublishesFontLight() const override { return true; }
};

TEST_F(Skinner, ClassRulesAndPublishedProperties) {
  TStyleGui Skin;
  Skin.SetStyleType(stGray);
  Skin.SetFontLight(true);
  TColourControl Publishing;
  TControlWidget Plain(std::make_unique<TController>());
  Plain.SetColor(0x123456);
  Skin.StyleControl(&Publishing, false, 0x00FF00);
  Skin.StyleControl(&Plain, false, 0x00FF00);
  EXPECT_EQ(Publishing.Color(), 0x00FF00u);
  EXPECT_TRUE(Publishing.FontLight());
  EXPECT_EQ(Plain.Color(), 0x123456u);
  EXPECT_FALSE(Plain.FontLight());
  // The background stand-in colour is the skinner's background.
  Skin.StyleControl(&Publishing, false, SkinnerBackground);
  EXPECT_EQ(Publishing.Color(), Skin.BackgroundColor);
  // A plain panel gets the background whatever colour is passed.
  testing::TSamplePanel Panel;
  Skin.StyleControl(&Panel, false, 0x00FF00);
  EXPECT_EQ(Panel.Color(), Skin.BackgroundColor);
}

TEST_F(Skinner, SubscriptionsAndFailures) {
  auto* Form = new QWidget;
  auto* Skin = new TStyleGui(Form);
  Skin->SetStyleType(stBlack);
  auto* S = new TGlyphSwitch(Form);
  S->resize(40, 20);
  Skin->UpdateGui(Form, true, SkinnerBackground);
  EXPECT_EQ(S->GUISkinner(), Skin);
  EXPECT_TRUE(S->OffGlyph().Empty());  // drawn at the first paint
  testing::GrabWidget(*S);
  EXPECT_FALSE(S->OffGlyph().Empty());
  // A new size drops the pictures; the next paint draws them at that size.
  S->resize(50, 20);
  testing::GrabWidget(*S);
  EXPECT_EQ(S->OffGlyph().Image.Width, 50);
  // A second walk does not subscribe twice; a switch going away unsubscribes.
  Skin->UpdateGui(Form, true, SkinnerBackground);
  EXPECT_EQ(Skin->Subscribers().size(), 1u);
  delete S;
  EXPECT_TRUE(Skin->Subscribers().empty());
  EXPECT_TRUE(DefaultHeadlessSink().Messages().empty());

  QWidget Stranger;
  Skin->Unsubscribe(&Stranger);
  Skin->UpdateGui(nullptr, true, 0);
  EXPECT_EQ(DefaultHeadlessSink().Messages(),
            (std::vector<std::string>{"TStyleGUI.Unsubscribe error, can't find component",
                                      "StyleGui Update Container NULL"}));
  // Loading only changes the palette.
  QWidget Other;
  auto* Late = new TStyleGui(&Other);
  Other.setPalette(QPalette(Qt::red));
  Late->Loading = true;
  Late->SetStyleType(stWhite);
  EXPECT_EQ(Late->BackgroundColor, 0xF8F8F8u);
  EXPECT_EQ(Other.palette().color(QPalette::Window), QColor(Qt::red));
  delete Form;
}

TEST_F(Skinner, APlainSkinnerLeavesSwitchesWithoutPictures) {
  auto* Plain = new TGUISkinner;
  auto* S = new TGlyphSwitch;
  S->resize(30, 20);
  S->SetGUISkinner(Plain);
  testing::GrabWidget(*S);
  EXPECT_TRUE(S->OffGlyph().Empty());
  delete S;
  delete Plain;
}

}  // namespace
}  // namespace kromel
