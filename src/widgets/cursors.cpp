#include "widgets/cursors.h"

#include <QPixmap>
#include <QWidget>
#include <array>
#include <optional>

#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr TCursorInfo GCursors[CustomCursorCount] = {
    {1, "3", 32, 32, 15, 16},
    {2, "ZoomIn", 32, 32, 6, 6},
    {3, "ZoomOut", 32, 32, 6, 6},
    {4, "ZoomMarquee", 32, 32, 6, 6},
    {5, "Picker", 32, 32, 1, 30},
    {6, "PickerPlus", 32, 32, 1, 28},
    {7, "PushOut", 32, 32, 10, 10},
    {8, "PushOutHue", 32, 32, 10, 10},
    {9, "PushOutHor", 32, 32, 11, 10},
    {10, "PushIn", 32, 32, 10, 10},
    {11, "PushInHue", 32, 32, 10, 10},
    {12, "PushInHor", 32, 32, 11, 10},
    {13, "Marquee", 32, 32, 6, 9},
    {14, "HandOpen", 32, 32, 13, 10},
    {15, "HandClosed", 32, 32, 14, 9},
    {16, "TATSet", 7, 17, 3, 8},
    {17, "TATShift", 17, 17, 8, 8},
    {18, "TATSetGrey", 32, 32, 4, 9},
    {19, "TATSetExact", 32, 32, 4, 9},
    {20, "TATSetColor", 32, 32, 4, 9},
    {21, "TATSetHue", 32, 32, 4, 9},
    {22, "TATSetSat", 32, 32, 4, 9},
    {23, "TATSetLum", 32, 32, 4, 9},
    {24, "TATShiftHue", 32, 32, 4, 9},
    {25, "TATShiftSat", 32, 32, 4, 9},
    {26, "TATShiftLum", 32, 32, 4, 9},
    {27, "AlphaMarquee", 32, 32, 8, 8},
    {28, "AlphaMarqueePlus", 32, 32, 8, 8},
    {29, "AlphaMarqueeMinus", 32, 32, 8, 8},
};

std::array<std::optional<QCursor>, CustomCursorCount + 1>& Loaded() {
  static std::array<std::optional<QCursor>, CustomCursorCount + 1> L;
  return L;
}

}  // namespace

const TCursorInfo* CursorTable() { return GCursors; }

bool LoadCursors() {
  for (const TCursorInfo& C : GCursors) {
    const QPixmap Picture(QStringLiteral(":/cursors/") + QString::fromLatin1(C.Name) +
                          QStringLiteral(".png"));
    if (Picture.isNull() || Picture.width() != C.Width || Picture.height() != C.Height) {
      PlatformShowMessage("Exception in reading cursors");
      return false;
    }
    Loaded()[size_t(C.Index)] = QCursor(Picture, C.HotX, C.HotY);
  }
  return true;
}

QCursor CursorOf(int32_t Index) {
  if (Index >= 1 && Index <= CustomCursorCount && Loaded()[size_t(Index)])
    return *Loaded()[size_t(Index)];
  switch (Index) {
    case -1: return QCursor(Qt::BlankCursor);
    case -3: return QCursor(Qt::CrossCursor);
    case -4: return QCursor(Qt::IBeamCursor);
    case -6: return QCursor(Qt::SizeBDiagCursor);
    case -7: return QCursor(Qt::SizeVerCursor);
    case -8: return QCursor(Qt::SizeFDiagCursor);
    case -9: return QCursor(Qt::SizeHorCursor);
    case -10: return QCursor(Qt::UpArrowCursor);
    case -11: return QCursor(Qt::WaitCursor);
    case -12:
    case -16: return QCursor(Qt::DragMoveCursor);
    case -13:
    case -18: return QCursor(Qt::ForbiddenCursor);
    case -14: return QCursor(Qt::SplitHCursor);
    case -15: return QCursor(Qt::SplitVCursor);
    case -17:
    case -19: return QCursor(Qt::BusyCursor);
    case -20: return QCursor(Qt::WhatsThisCursor);
    case -21: return QCursor(Qt::PointingHandCursor);
    case -22: return QCursor(Qt::SizeAllCursor);
    default: return QCursor(Qt::ArrowCursor);
  }
}

void SetCursorIndex(QWidget& Widget, int32_t Index) {
  if (Index == 0)
    Widget.unsetCursor();
  else
    Widget.setCursor(CursorOf(Index));
}

}  // namespace kromel
