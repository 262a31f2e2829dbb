#include "widgets/signal_path_diagram.h"

#include "widgets/canvas_paint.h"
#include "widgets/signal_path.h"

namespace kromel {

namespace {
// Two rows of cells and the bent links below them.
constexpr int32_t DiagramHeight = 96;
}  // namespace

TSignalPathDiagram::TSignalPathDiagram(QWidget* Parent) : TVelWidget(Parent) {
  setFixedHeight(DiagramHeight);
  setMinimumWidth(FLayout.Width());
}

void TSignalPathDiagram::SetLayout(TSignalPathLayout Layout) {
  FLayout = std::move(Layout);
  setMinimumWidth(FLayout.Width());
  update();
}

void TSignalPathDiagram::DrawLayout(const TSignalPathLayout& Layout, TImage32& Canvas) {
  Canvas.Fill(SignalPathBackground);
  PaintOnCanvas(Canvas, [&](TCanvas& C) {
    C.Pen.Color = SignalPathFramePen;
    C.Brush.Style = bsClear;
    C.Rectangle(0, 0, Canvas.Width, Canvas.Height);
    // The stage names fit their 36-pixel boxes in the narrow face.
    C.Font.Name = "Liberation Sans Narrow";
    for (const TSignalPathItem& I : Layout.Items) {
      if (I.IsLink)
        DrawSignalPathLink(C, I.Col, I.Row, I.ToCol, I.ToRow, I.Bend, SignalPathLinkColor);
      else if (I.Wrapped)
        DrawSignalPathBlockWrapped(C, I.Col, I.Row, I.Caption, I.Fill, I.TextColor());
      else
        DrawSignalPathBlock(C, I.Col, I.Row, I.Caption, I.Fill, I.TextColor());
    }
  });
}

void TSignalPathDiagram::Paint(TImage32& Canvas) { DrawLayout(FLayout, Canvas); }

}  // namespace kromel
