#include "widgets/vel_image.h"

#include <gtest/gtest.h>

#include <QTest>

#include "support/qt_test_support.h"
#include "widgets/cursors.h"

namespace kromel {
namespace {

class ImageControls : public ::testing::Test {
protected:
  void SetUp() override { testing::EnsureQtApplication(); }
};

TEST_F(ImageControls, PictureFillAndFrameCoverTheirAreas) {
  TVelImage V;
  V.resize(200, 100);
  V.SetColor(0x00FF00);
  V.SetBevel(1);
  V.SetBevelColor(0x0000FF);
  TImage32 Picture;
  Picture.Alloc(100, 50);
  Picture.Fill(0xFF0000);  // blue as a TColor
  V.SetBackground(Picture);
  int Painted = 0;
  V.OnPaint = [&](TVelImage*, TImage32&) { ++Painted; };
  V.PaintToBuffer();
  EXPECT_EQ(Painted, 1);
  const TImage32& B = V.Buffer();
  auto At = [&](int32_t X, int32_t Y) { return BGRAToColor(B.GetPixel(X, Y)); };
  for (int32_t Y = 0; Y < 100; ++Y)
    for (int32_t X = 0; X < 200; ++X) {
      TColor Want;
      if (X == 0 || Y == 0 || X == 199 || Y == 99)
        Want = 0x0000FF;  // the frame ring
      else if (X >= 1 && X <= 100 && Y >= 1 && Y <= 50)
        Want = 0xFF0000;  // the picture at (1, 1)
      else
        Want = 0x00FF00;  // Color right of and below it
      ASSERT_EQ(At(X, Y), Want) << X << "," << Y;
    }
  // With a caption, text pixels appear in the bottom 18 rows only.
  V.SetCaption("Vectorscope");
  V.SetFontColor(0xFFFFFF);
  V.PaintToBuffer();
  int32_t TextPixels = 0;
  for (int32_t Y = 1; Y < 99; ++Y)
    for (int32_t X = 101; X < 199; ++X)
      if (At(X, Y) != 0x00FF00) {
        ++TextPixels;
        EXPECT_GE(Y, 100 - 18);
      }
  EXPECT_GT(TextPixels, 20);
  testing::SaveScreenshot(V, "widgets", "vel_image");
}

TEST_F(ImageControls, DraggingAccumulatesShiftsWithinBounds) {
  TVelImageDraggable D;
  D.resize(100, 100);
  D.show();
  int Fired = 0;
  D.OnDragged = [&](QWidget*) { ++Fired; };
  D.YShift = 90;
  QTest::mousePress(&D, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
  QTest::mouseMove(&D, QPoint(60, 40));
  EXPECT_EQ(D.YShift, 100);
  EXPECT_EQ(D.XShift, 10);
  QTest::mouseMove(&D, QPoint(60, -110));
  EXPECT_EQ(D.YShift, 0);
  QTest::mouseRelease(&D, Qt::LeftButton, Qt::NoModifier, QPoint(60, -110));
  EXPECT_FALSE(D.Dragging);
  EXPECT_EQ(Fired, 4);  // press, two moves, release
  // Right-button dragging: the left button no longer drags.
  D.DragRightClick = true;
  QTest::mousePress(&D, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_FALSE(D.Dragging);
  QTest::mouseRelease(&D, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  QTest::mousePress(&D, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_TRUE(D.Dragging);
  QTest::mouseRelease(&D, Qt::RightButton, Qt::NoModifier, QPoint(10, 10));
  D.DragBothButtons = true;
  QTest::mousePress(&D, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_TRUE(D.Dragging);
  QTest::mouseRelease(&D, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
}

TEST_F(ImageControls, ADragImageMovesItsOwnerOnTheGrid) {
  QWidget Outer;
  Outer.resize(400, 300);
  auto* Owner = new QWidget(&Outer);
  Owner->setGeometry(40, 40, 100, 80);
  auto* Handle = new TDragImage(Owner);
  Handle->setGeometry(0, 0, 20, 20);
  Handle->GridStep = 8;
  Outer.show();
  QTest::mousePress(Handle, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  for (QPoint P : {QPoint(18, 9), QPoint(3, 27), QPoint(-11, 2)}) {
    QTest::mouseMove(Handle, P);
    EXPECT_EQ(Owner->x() % 8, 0);
    EXPECT_EQ(Owner->y() % 8, 0);
  }
  QTest::mouseRelease(Handle, Qt::LeftButton, Qt::NoModifier, QPoint(0, 0));
  // Snapping pulls the owner onto the outer edges.
  Handle->GridStep = 1;
  Handle->SnapToEdges = true;
  Owner->move(10, 10);
  QTest::mousePress(Handle, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  // Left 1 + 10 - 5 = 6 snaps, top 2 + 10 - 5 = 7 does not.
  QTest::mouseMove(Handle, QPoint(1, 2));
  EXPECT_EQ(Owner->pos(), QPoint(0, 7));
  QTest::mouseRelease(Handle, Qt::LeftButton, Qt::NoModifier, QPoint(1, 2));
}

TEST_F(ImageControls, GlyphBitmapsFromTextPatterns) {
  TImage32 G;
  EXPECT_FALSE(GlyphBitmapFromText("abc", G));
  EXPECT_FALSE(GlyphBitmapFromText("abcdef", G));
  // "##" and 256 hex digits: 32 wide, 16 rows of which the last is not shown.
  std::string Pattern = "##";
  for (int32_t Row = 0; Row < 16; ++Row) Pattern += Row == 0 ? "C0000003" "00000000" : "00000000" "00000000";
  ASSERT_TRUE(GlyphBitmapFromText(Pattern, G));
  EXPECT_EQ(G.Width, 32);
  EXPECT_EQ(G.Height, 15);
  // The first row: full black at both ends, white between.
  EXPECT_EQ(BGRAToColor(G.GetPixel(0, 0)), 0u);
  EXPECT_EQ(BGRAToColor(G.GetPixel(15, 0)), 0u);
  EXPECT_EQ(BGRAToColor(G.GetPixel(8, 0)), 0xFFFFFFu);
  EXPECT_EQ(BGRAToColor(G.GetPixel(8, 5)), 0xFFFFFFu);
  // A single "#" and spaces: 16 wide.
  ASSERT_TRUE(GlyphBitmapFromText("#4000 0000 4000 0000 4000 0000", G));
  EXPECT_EQ(G.Width, 16);
  EXPECT_EQ(G.Height, 2);
  // Coverage one third: a grey two thirds of the way to white.
  EXPECT_EQ(BGRAToColor(G.GetPixel(0, 0)) & 0xFF, 0xAAu);
}

TEST_F(ImageControls, CursorsLoadWithTheirSizesAndHotSpots) {
  ASSERT_TRUE(LoadCursors());
  const TCursorInfo* Table = CursorTable();
  for (int32_t I = 0; I < CustomCursorCount; ++I) {
    const TCursorInfo& C = Table[I];
    EXPECT_EQ(C.Index, I + 1);
    const QCursor Cursor = CursorOf(C.Index);
    ASSERT_EQ(Cursor.shape(), Qt::BitmapCursor) << C.Name;
    EXPECT_EQ(Cursor.pixmap().size(), QSize(C.Width, C.Height)) << C.Name;
    EXPECT_EQ(Cursor.hotSpot(), QPoint(C.HotX, C.HotY)) << C.Name;
  }
  EXPECT_EQ(CursorOf(5).hotSpot(), QPoint(1, 30));
  EXPECT_EQ(CursorOf(16).pixmap().size(), QSize(7, 17));
  EXPECT_EQ(CursorOf(17).pixmap().size(), QSize(17, 17));
  EXPECT_EQ(CursorOf(0).shape(), Qt::ArrowCursor);
  EXPECT_EQ(CursorOf(-21).shape(), Qt::PointingHandCursor);
  EXPECT_EQ(CursorOf(30).shape(), Qt::ArrowCursor);
  // The picker's tip is ink, so the hot spot lands on the pipette.
  const QImage Picker = CursorOf(5).pixmap().toImage();
  EXPECT_EQ(qAlpha(Picker.pixel(1, 30)), 255);
  QWidget W;
  SetCursorIndex(W, 5);
  EXPECT_EQ(W.cursor().hotSpot(), QPoint(1, 30));
  SetCursorIndex(W, 0);
  EXPECT_EQ(W.cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
}  // namespace kromel
