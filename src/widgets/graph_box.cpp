#include "widgets/graph_box.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "widgets/canvas_paint.h"

namespace kromel {

// ---------------------------------------------------------------------------
// TGraphBox

TGraphBox::TGraphBox(QWidget* Parent) : TVelWidget(Parent) { SetColor(0xFFFFFF); }

void TGraphBox::SetBackground(const TImage32& Picture) {
  TImage32 Copy;
  if (HasArea(Picture) && Copy.Alloc(Picture.Width, Picture.Height)) Copy.DrawImage(Picture, 0, 0);
  Background.Take(Copy);
  update();
}

int64_t TGraphBox::SampleIndexOfColumn(int32_t X) const {
  if (Samples == nullptr || width() <= 4) return 0;
  return int64_t(X - 2) * Samples->Count / (width() - 4);
}

int32_t TGraphBox::ColumnOfSample(int64_t I) const {
  if (Samples == nullptr || Samples->Count <= 1) return 0;
  return int32_t(int64_t(width() - 4) * I / Samples->Count + 2);
}

void TGraphBox::Paint(TImage32& Image) {
  const int32_t W = Image.Width, H = Image.Height;
  const bool WithBackground = !Background.Empty();
  if (WithBackground) {
    Image.Fill(Color());
    Image.DrawImage(Background.Image, 0, 0);
    Image.SetAlpha(255);
  }
  PaintOnCanvas(Image, [&](TCanvas& C) {
    C.Pen.Width = 1;
    if (!WithBackground) {
      if (Border) {
        C.Pen.Color = 0xFFFFFF;
        C.MoveTo(W - 1, 0);
        C.LineTo(0, 0);
        C.LineTo(0, H - 1);
        C.Pen.Color = 0x606060;
        C.LineTo(W - 1, H - 1);
        C.LineTo(W - 1, 0);
        C.MoveTo(W - 2, 1);
        C.LineTo(1, 1);
        C.LineTo(1, H - 2);
        C.Pen.Color = 0xFFFFFF;
        C.LineTo(W - 2, H - 2);
        C.LineTo(W - 2, 1);
      }
      C.Pen.Color = Color();
      C.Brush.Color = Color();
      C.Brush.Style = bsSolid;
      C.Rectangle(2, 2, W - 2, H - 2);
      C.Pen.Color = GridColor;
      if (VerticalGridN > 2)
        for (int32_t I = 0; I < VerticalGridN; ++I) {
          const int32_t Y = I * (H - 4) / VerticalGridN + 2;
          CanvasLine(C, 2, Y, W - 3, Y);
        }
      if (HorizontalGridN > 2)
        for (int32_t I = 0; I < HorizontalGridN; ++I) {
          const int32_t X = (I * W - 4) / HorizontalGridN + 1;
          CanvasLine(C, X, 2, X, H - 2);
        }
      if (Bipolar) {
        C.Pen.Color = ZeroColor;
        CanvasLine(C, 2, H / 2, W - 3, H / 2);
      }
    }
    const int32_t X = W - 3;
    const int32_t Y0 = Bipolar ? H / 2 : H - 3;
    const float A = Bipolar ? float(H) * 0.5f - 4 : float(H - 4);
    if (LevelLine > 0) {
      C.Pen.Color = ZeroColor;
      CanvasLine(C, 2, LevelLine, W - 3, LevelLine);
    }
    if (X <= 0) return;
    auto Usable = [](const TSample32* S) { return S != nullptr && S->HoldsData() && S->Count >= 3; };
    auto Value = [&](const TSample32& S, int32_t I) {
      const int64_t K = (S.Count - 3) * I / X;
      const float F = S.Data[K] * SampleScale * A;
      float V = std::isnan(F) ? 0.0f : std::nearbyint(F);
      // Keep Y0 - V within 2 .. H - 2.
      V = std::clamp(V, float(Y0 - (H - 2)), float(Y0 - 2));
      return int32_t(V);
    };
    const bool First = Usable(Samples), Second = Usable(Samples2);
    if (First) {
      C.Pen.Color = WaveColor;
      for (int32_t I = 0; I <= X; ++I) {
        const int32_t V = Value(*Samples, I);
        if (I == 0)
          C.MoveTo(I + 2, Y0 - V);
        else
          C.LineTo(I + 2, Y0 - V);
        if (Symmetric) {
          C.LineTo(I + 2, Bipolar ? Y0 + V : Y0);
          C.MoveTo(I + 2, Y0 - V);
        }
      }
    }
    if (Second && Symmetric)
      for (int32_t I = 0; I <= X; ++I) {
        const int32_t V2 = Value(*Samples2, I);
        C.Pen.Color = Wave2Color;
        if (Bipolar) {
          CanvasLine(C, I + 2, Y0 - V2, I + 2, Y0 + V2);
        } else if (!First) {
          CanvasLine(C, I + 2, Y0 - V2, I + 2, Y0);
        } else {
          const int32_t V1 = Value(*Samples, I);
          C.MoveTo(I + 2, Y0 - V2);
          if (V2 > V1) C.LineTo(I + 2, Y0 - V1);
          C.Pen.Color = BothWavesColor;
          C.LineTo(I + 2, Y0);
        }
      }
  });
  if (OnPaint) OnPaint(this);
}

// ---------------------------------------------------------------------------
// TFileDrop

TFileDrop::~TFileDrop() {
  if (FControl) FControl->removeEventFilter(this);
}

void TFileDrop::SetEnableDrop(bool Value) {
  FEnable = Value;
  Hook();
}

void TFileDrop::SetDropControl(QWidget* Control) {
  if (FControl) FControl->removeEventFilter(this);
  FControl = Control;
  if (FControl) FControl->installEventFilter(this);
  Hook();
}

void TFileDrop::Hook() {
  if (FControl) FControl->setAcceptDrops(FEnable);
}

namespace {

// The local files of a drop, as they are.
QStringList LocalFiles(const QMimeData* Data) {
  QStringList Out;
  if (Data == nullptr || !Data->hasUrls()) return Out;
  for (const QUrl& U : Data->urls())
    if (U.isLocalFile() && !U.toLocalFile().isEmpty()) Out << U.toLocalFile();
  return Out;
}

}  // namespace

bool TFileDrop::eventFilter(QObject* Watched, QEvent* E) {
  if (Watched != FControl || !FEnable) return QObject::eventFilter(Watched, E);
  if (E->type() == QEvent::DragEnter || E->type() == QEvent::DragMove) {
    auto* D = static_cast<QDropEvent*>(E);
    if (LocalFiles(D->mimeData()).isEmpty()) {
      D->ignore();
    } else {
      D->acceptProposedAction();
    }
    return true;
  }
  if (E->type() == QEvent::Drop) {
    auto* D = static_cast<QDropEvent*>(E);
    if (TakeDrop(D->mimeData()))
      D->acceptProposedAction();
    else
      D->ignore();
    return true;
  }
  return QObject::eventFilter(Watched, E);
}

bool TFileDrop::TakeDrop(const QMimeData* Data) {
  if (!FEnable) return false;
  const QStringList Files = LocalFiles(Data);
  if (Files.isEmpty()) return false;
  FWide = Files;
  FFiles.clear();
  for (const QString& F : Files) FFiles.push_back(F.toStdString());
  if (OnDrop) OnDrop(this);
  return true;
}

}  // namespace kromel
