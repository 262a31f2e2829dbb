#include "widgets/image_with_zoom.h"

#include <QPainter>
#include <QPaintEvent>
#include <algorithm>

#include "foundation/error_sink.h"
#include "foundation/platform_helpers.h"
#include "images/image32_display_mode.h"

namespace kromel {

namespace {

// The main window's zoom steps (single-precision values).
constexpr float ZoomInFactor = 1.33333f;
constexpr float ZoomOutFactor = 0.750002f;

TPixel64 Background16Of(TColor C) {
  // TColor is 0x00BBGGRR; each byte widened by 257.
  return {uint16_t((C & 0xFF) * 257), uint16_t((C >> 8 & 0xFF) * 257),
          uint16_t((C >> 16 & 0xFF) * 257), 0};
}

void SizeImage(TImage32& I, int32_t W, int32_t H) {
  if (I.Pixels == nullptr || I.Width != W || I.Height != H) I.SetSize(W, H);
}

QRect QRectOf(const TRect& R) { return QRect(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }

}  // namespace

TImageWithZoom::TImageWithZoom(QWidget* Parent) : TVelWidget(Parent) {
  try {
    FVisiblePart.Init();
    FVisibleReference.Init();
    FAfter.Init();
    FBefore.Init();
    FReference.Init();
    FFullBefore.Init();
    Layout.MainZoom.Image = &FVisiblePart;
    Layout.BeforeZoom.Image = &FVisiblePart;
    Layout.ReferenceZoom.Image = &FVisibleReference;
    Layout.OnVisiblePartNeeded = [this] { MakeVisiblePartBitmaps(); };
    Layout.OnReferencePartNeeded = [this] { MakeReferenceBitmaps(); };
    Layout.OnChange = [this] {
      update();
      if (OnChange) OnChange();
    };
    Layout.BeforeZoom.OnRender = [this](TViewZoom& Z) {
      if (OnRenderBefore) {
        OnRenderBefore(FBefore);
      } else if (DisplayMode == 0) {
        Display(FVisiblePart, FBefore);
      } else {
        // As the After pane is made: the mode on the picture's own values,
        // then the view's colour.
        Display(FVisiblePart, FBefore, false);
        ProcessImage32DisplayMode(FBefore, DisplayMode);
        if (ResultToDisplay) ResultToDisplay(FBefore);
      }
      Z.Rendered = true;
    };
    // The panes cover every pixel: no background erase, no flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
  } catch (...) {
    ErrorMessageProc("Exception in TImageWithZoom.Create");
  }
}

TImageWithZoom::~TImageWithZoom() {
  FVisiblePart.Dispose();
  FVisibleReference.Dispose();
  FAfter.Dispose();
  FBefore.Dispose();
  FReference.Dispose();
  FFullBefore.Dispose();
}

void TImageWithZoom::Display(const TImage64& Source, TImage32& Target, bool ViewColour) {
  SizeImage(Target, std::max(Source.Width, 1), std::max(Source.Height, 1));
  if (!HasArea(Source)) return;
  Target.CopyMarginsFrom(Source);
  if (ToDisplay && ViewColour)
    ToDisplay(Source, Target);
  else
    Source.CopyToImage32(Target);
}

void TImageWithZoom::SetSourceImage(const TImage64* Image) {
  FSource = Image;
  ImageChanged();
}

void TImageWithZoom::ImageChanged() {
  FFullBeforeReady = false;
  if (FSource && FSource->Width > 0 && FSource->Height > 0) {
    Layout.MainZoom.ImageWidth = FSource->Width;
    Layout.MainZoom.ImageHeight = FSource->Height;
    Layout.BeforeZoom.Assign(Layout.MainZoom);
  }
}

void TImageWithZoom::SetReferenceImage(const TImage64* Image) {
  FReferenceSource = Image;
  ReferenceChanged();
}

void TImageWithZoom::ReferenceChanged() {
  const int32_t W = FReferenceSource ? FReferenceSource->Width : 0;
  const int32_t H = FReferenceSource ? FReferenceSource->Height : 0;
  Layout.ReferenceZoom.ImageWidth = std::max(W, 2);
  Layout.ReferenceZoom.ImageHeight = std::max(H, 2);
  Layout.ReferenceZoom.Fitted = true;
  Layout.ReferenceZoom.Fit(true, false);
  MakeReferenceBitmaps();
}

void TImageWithZoom::SetBackgroundColor(TColor Value) {
  if (Value == FBackground) return;
  FBackground = Value;
  MakeVisiblePartBitmaps();
  MakeReferenceBitmaps();
  update();
}

void TImageWithZoom::Arrange() {
  Layout.ArrangeViewports(width(), height());
  if (const TViewPort* P = Layout.ReferenceZoom.ViewPort)
    SizeImage(FReference, std::max(P->Width, 1), std::max(P->Height, 1));
  update();
}

void TImageWithZoom::SetCompare(bool Compare, bool Split, bool Vertical) {
  Layout.Compare = Compare;
  Layout.CompareSplit = Split;
  Layout.CompareVertical = Vertical;
  Arrange();
  MakeVisiblePartBitmaps();
  MakeReferenceBitmaps();
}

void TImageWithZoom::SetShowReference(bool Value) {
  Layout.ShowReference = Value;
  Arrange();
}

void TImageWithZoom::SetShowBefore(bool Value) {
  if (Layout.ShowBefore == Value) return;
  Layout.ShowBefore = Value;
  Arrange();
}

void TImageWithZoom::SetCompareSwap(bool Value) {
  if (Layout.CompareSwap == Value) return;
  Layout.CompareSwap = Value;
  Arrange();
}

void TImageWithZoom::MakeFullBefore() {
  FFullBefore.Dispose();
  FFullBefore.Init();
  if (!FSource || FSource->Width <= 0 || FSource->Height <= 0 || !HasArea(*FSource)) return;
  try {
    FFullBeforeReady = true;
    Layout.MainZoom.ImageWidth = FSource->Width;
    Layout.MainZoom.ImageHeight = FSource->Height;
    Display(*FSource, FFullBefore);
  } catch (...) {
    ErrorMessageProc("Exception in TImageWithZoom.MakeFullBeforeBitmapsCMS 2");
  }
}

void TImageWithZoom::MakeVisiblePartBitmaps() {
  const TViewPort* P = Layout.MainZoom.ViewPort;
  if (!P) return;
  if (!FFullBeforeReady) MakeFullBefore();
  const bool HasView = !Layout.MainZoom.IsEmpty() && FFullBeforeReady;
  const TRect D = HasView ? Layout.MainZoom.GetImageOrigin() : TRect{0, 0, 10, 10};
  const int32_t W = std::max(10, P->Width), H = std::max(10, P->Height);
  if (FVisiblePart.Pixels == nullptr || FVisiblePart.Width != W || FVisiblePart.Height != H) {
    FVisiblePart.Dispose();
    FVisiblePart.Init();
    FVisiblePart.Alloc(W, H);
  }
  if (!HasArea(FVisiblePart)) return;
  if (FSource && FSource->Width > 1 && HasView) {
    if (UseAlphaChannel)
      FVisiblePart.StretchDrawAveraged({D.Left, D.Top}, {D.Right, D.Bottom}, *FSource,
                                       Background16Of(FBackground));
    else
      FVisiblePart.StretchDrawAveragedOpaque({D.Left, D.Top}, {D.Right, D.Bottom}, *FSource,
                                             Background16Of(FBackground));
  } else {
    std::fill(FVisiblePart.Pixels, FVisiblePart.Pixels + FVisiblePart.Size, TPixel64{0, 0, 0, 0});
  }
  // The background around the picture is not part of it: display modes and
  // scopes leave it out.
  if (FSource && FSource->Width > 1 && HasView)
    FVisiblePart.CopyMarginsFrom(std::clamp(D.Left, 0, W), std::clamp(W - D.Right, 0, W),
                                 std::clamp(D.Top, 0, H), std::clamp(H - D.Bottom, 0, H));
  else
    FVisiblePart.CopyMarginsFrom(0, 0, 0, 0);
  SizeImage(FBefore, std::max(P->Width, 1), std::max(P->Height, 1));
  Layout.BeforeZoom.Rendered = false;
  // The After pane shows the old view until the new one is rendered.
  Layout.ResultReady = false;
  if (OnVisiblePartChanged) OnVisiblePartChanged();
  update();
}

void TImageWithZoom::MakeReferenceBitmaps() {
  const TViewPort* P = Layout.ReferenceZoom.ViewPort;
  const int32_t W = std::max(P ? P->Width : 2, 2), H = std::max(P ? P->Height : 2, 2);
  if (FVisibleReference.Pixels == nullptr || FVisibleReference.Width != W ||
      FVisibleReference.Height != H) {
    FVisibleReference.Dispose();
    FVisibleReference.Init();
    FVisibleReference.Alloc(W, H);
  }
  SizeImage(FReference, W, H);
  const bool Holds = FReferenceSource && HasArea(*FReferenceSource) && HasArea(FVisibleReference);
  if (Holds) {
    const TRect D = Layout.ReferenceZoom.GetImageOrigin();
    if (UseAlphaChannel)
      FVisibleReference.StretchDrawAveraged({D.Left, D.Top}, {D.Right, D.Bottom},
                                            *FReferenceSource, Background16Of(FBackground));
    else
      FVisibleReference.StretchDrawAveragedOpaque({D.Left, D.Top}, {D.Right, D.Bottom},
                                                  *FReferenceSource, Background16Of(FBackground));
    Display(FVisibleReference, FReference);
  } else {
    FReference.Fill(FBackground);
  }
  Layout.ReferenceZoom.Rendered = true;
  if (Layout.ShowReference) update();
}

void TImageWithZoom::SetResult(const TImage32& Rendered) {
  // A rendering of another view size is stale: the next one follows.
  if (!HasArea(Rendered) || Rendered.Width != FVisiblePart.Width ||
      Rendered.Height != FVisiblePart.Height)
    return;
  SizeImage(FAfter, Rendered.Width, Rendered.Height);
  std::copy(Rendered.Pixels, Rendered.Pixels + Rendered.Size, FAfter.Pixels);
  if (ResultToDisplay) ResultToDisplay(FAfter);
  Layout.ResultReady = true;
  update();
}

void TImageWithZoom::InvalidateBefore() {
  Layout.BeforeZoom.Rendered = false;
  update();
}

const TImage32* TImageWithZoom::PaneOf(const TViewZoom* Zoom) {
  if (Zoom == &Layout.MainZoom) return &FAfter;
  if (Zoom == &Layout.BeforeZoom) return &FBefore;
  if (Zoom == &Layout.ReferenceZoom) return &FReference;
  return nullptr;
}

void TImageWithZoom::paintEvent(QPaintEvent*) {
  try {
    QPainter Painter(this);
    const QColor Back = QColorOf(FBackground);
    TViewPort* Active = Layout.ActivePort();
    if (Layout.Panning() && Active && Active->Zoom && !Active->Zoom->IsEmpty()) {
      // A stretched blit of the whole picture follows the pan at once; the
      // panes are rebuilt when it ends.
      if (!FFullBeforeReady) MakeFullBefore();
      const TRect O = Active->Zoom->GetImageOrigin();
      const QRect D(O.Left + Active->Left, O.Top + Active->Top, O.Right - O.Left, O.Bottom - O.Top);
      const QRect Clip = QRectOf(Active->ClipRect);
      Painter.setClipRect(Clip);
      Painter.fillRect(Clip, Back);
      const bool Reference = Active->Zoom == &Layout.ReferenceZoom;
      if (!Reference && HasArea(FFullBefore))
        Painter.drawImage(D, QImageOver(FFullBefore));
      else if (Reference && HasArea(FReference))
        Painter.drawImage(QRect(Active->Left, Active->Top, Active->Width, Active->Height),
                          QImageOver(FReference));
      Painter.setClipping(false);
      return;
    }
    if (FAfter.Pixels == nullptr && !Layout.ShowReference) {
      Painter.fillRect(rect(), Back);
      return;
    }
    // Until the first rendering of a new view the old screen stays.
    if (!Layout.ResultReady && !Layout.ShowReference) return;
    // Rows an odd height leaves between or below the panes.
    Painter.fillRect(rect(), Back);
    QFont Small = Painter.font();
    Small.setPixelSize(10);
    Painter.setFont(Small);
    for (TViewPort* P : {&Layout.ViewPort1, &Layout.ViewPort2}) {
      if (!P->Visible || !P->Zoom || P->Zoom->IsEmpty()) continue;
      P->Zoom->Render();
      const TImage32* Pane = PaneOf(P->Zoom);
      const QRect Clip = QRectOf(P->ClipRect);
      Painter.setClipRect(Clip);
      Painter.fillRect(Clip, Back);
      if (Pane && HasArea(*Pane)) Painter.drawImage(P->Left, P->Top, QImageOver(*Pane));
      Painter.setPen(QColorOf(TextColor));
      if (P->Zoom == &Layout.ReferenceZoom && !(FReferenceSource && HasArea(*FReferenceSource)))
        Painter.drawText(QRect(P->Left, P->Top, P->Width, P->Height), Qt::AlignCenter,
                         QStringLiteral("No reference image loaded"));
      Painter.setClipping(false);
      Painter.drawText(P->ClipRect.Left + 3, P->ClipRect.Top + 3 + 10,
                       QString::fromStdString(P->Zoom->Caption));
    }
    if (Layout.Divider.Right > 0) {
      const TRect& Dv = Layout.Divider;
      Painter.fillRect(QRect(Dv.Left - 1, Dv.Top - 1, Dv.Right - Dv.Left + 2, Dv.Bottom - Dv.Top + 2),
                       QColor(0x80, 0x80, 0x80));
    }
    if (SelectionEnabled && Layout.Selecting()) {
      const TRect S = Layout.SelectionRect();
      QPen Pen(QColor(0x7F, 0x7F, 0x7F));
      Pen.setStyle(Qt::DotLine);
      Painter.setPen(Pen);
      Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      Painter.drawLine(S.Left, S.Top, S.Right, S.Top);
      Painter.drawLine(S.Right, S.Top, S.Right, S.Bottom);
      Painter.drawLine(S.Right, S.Bottom, S.Left, S.Bottom);
      Painter.drawLine(S.Left, S.Bottom, S.Left, S.Top);
    }
  } catch (...) {
    ErrorMessageProc("Exception in TImageWithZoom.Paint");
  }
}

void TImageWithZoom::resizeEvent(QResizeEvent*) {
  Arrange();
  MakeVisiblePartBitmaps();
  MakeReferenceBitmaps();
}

void TImageWithZoom::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  const bool WasBefore = Layout.ShowBefore;
  const TPreviewPress Press = Layout.MouseDown(Button == mbRight, HasPopupMenu, IsSpaceKeyDown(),
                                               SelectionEnabled, X, Y);
  if (WasBefore) update();
  switch (Press) {
    case TPreviewPress::Popup:
      if (HasPopupMenu && OnPopup) OnPopup(X, Y);
      break;
    case TPreviewPress::Pan:
    case TPreviewPress::Select:
      update();
      break;
    case TPreviewPress::Forward:
      TVelWidget::MouseDown(Button, Shift, X, Y);
      break;
  }
}

void TImageWithZoom::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  try {
    const bool Marquee = Layout.MouseMove(X, Y);
    if (Marquee || Layout.Panning()) update();
    if (Marquee) return;
  } catch (...) {
    ErrorMessageProc("Exception in TImageWithZoom.MouseMove");
  }
  TVelWidget::MouseMove(Shift, X, Y);
}

void TImageWithZoom::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (Layout.MouseUp(X, Y)) {
    update();
    if (OnSelection) OnSelection();
    return;
  }
  update();
  TVelWidget::MouseUp(Button, Shift, X, Y);
}

bool TImageWithZoom::MouseWheel(TShiftState, int32_t WheelDelta, int32_t X, int32_t Y) {
  if (WheelDelta == 0) return false;
  Layout.ZoomAt(X, Y, WheelDelta > 0 ? ZoomInFactor : ZoomOutFactor);
  return true;
}

void TImageWithZoom::KeyDown(uint16_t& Key, TShiftState Shift) {
  // The arrow keys belong to the main window's tools.
  if (Key >= 37 && Key <= 40) return;
  TVelWidget::KeyDown(Key, Shift);
}

}  // namespace kromel
