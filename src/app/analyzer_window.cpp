#include "app/analyzer_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "colour/contrast_clip.h"
#include "foundation/debug_log.h"
#include "images/owned_image.h"
#include "analysis/image_histograms.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "widgets/vel_widget.h"

namespace kromel {

namespace {

constexpr int32_t HistogramWidth = 256, HistogramHeight = 100;
constexpr int32_t WaveformWidth = 256, WaveformHeight = 201;
constexpr int32_t VectorscopeShown = 256;

QImage PictureOf(const std::vector<uint32_t>& Pixels, int32_t W, int32_t H) {
  if (W <= 0 || H <= 0 || Pixels.size() < size_t(W) * size_t(H)) return {};
  return QImage(reinterpret_cast<const uchar*>(Pixels.data()), W, H, W * 4, QImage::Format_RGB32)
      .copy();
}

TSample32 SampleView(std::vector<float>& V) {
  TSample32 S;
  S.Count = int64_t(V.size());
  S.Data = V.data();
  return S;
}

// "R G B" of a TColor (red lowest).
std::string ChannelsText(uint32_t Color) {
  char Buf[48];
  std::snprintf(Buf, sizeof(Buf), "%u %u %u", Color & 255u, (Color >> 8) & 255u, (Color >> 16) & 255u);
  return Buf;
}

void PaintSwatch(QLabel* Label, const char* Name, uint32_t Color, uint32_t Second) {
  QImage Plate(64, 24, QImage::Format_RGB32);
  Plate.fill(QColorOf(Second));
  QPainter(&Plate).fillRect(0, 0, 32, 24, QColorOf(Color));
  Label->setPixmap(QPixmap::fromImage(Plate));
  Label->setToolTip(QString::fromStdString(_(Name) + std::string(": ") + ChannelsText(Color)));
}

}  // namespace

TAnalyzerWindow::TAnalyzerWindow(TKromelSession& Session, QWidget* Parent)
    : QWidget(Parent, Qt::Tool), FSession(Session) {
  setWindowTitle(QString::fromStdString(_("Analyzer")));
  setObjectName("AnalyzerWindow");
  auto* Layout = new QVBoxLayout(this);
  auto* Switches = new QGridLayout();
  auto Check = [this](const char* Text, bool On) {
    auto* C = new QCheckBox(QString::fromStdString(_(Text)), this);
    C->setChecked(On);
    QObject::connect(C, &QCheckBox::toggled, this, [this](bool) { SettingsChanged(); });
    return C;
  };
  auto Combo = [this](std::initializer_list<const char*> Items) {
    auto* C = new QComboBox(this);
    for (const char* I : Items) C->addItem(QString::fromStdString(_(I)));
    QObject::connect(C, &QComboBox::currentIndexChanged, this, [this](int) { SettingsChanged(); });
    return C;
  };
  HistogramCheck = Check("Histogram", true);
  WaveformCheck = Check("Waveform", true);
  VectorscopeCheck = Check("Vectorscope", true);
  AveragesCheck = Check("Averages", true);
  ParadeCheck = Check("Parade", false);
  HistogramKindCombo = Combo({"RGB", "Saturation", "Luminance", "Saturation by luminance", "Hue"});
  SourceCombo = Combo({"Image", "Ref."});
  MaskCombo = Combo({"Full", "Inside", "Outside"});
  Switches->addWidget(HistogramCheck, 0, 0);
  Switches->addWidget(HistogramKindCombo, 0, 1);
  Switches->addWidget(WaveformCheck, 1, 0);
  Switches->addWidget(ParadeCheck, 1, 1);
  Switches->addWidget(VectorscopeCheck, 2, 0);
  Switches->addWidget(AveragesCheck, 2, 1);
  Switches->addWidget(SourceCombo, 3, 0);
  Switches->addWidget(MaskCombo, 3, 1);
  Layout->addLayout(Switches);
  auto Picture = [this](int W, int H) {
    auto* L = new QLabel(this);
    L->setFixedSize(W, H);
    L->setStyleSheet("background: #202020");
    return L;
  };
  FHistogramLabel = Picture(HistogramWidth, HistogramHeight);
  FWaveformLabel = Picture(WaveformWidth, WaveformHeight);
  FVectorscopeLabel = Picture(VectorscopeShown, VectorscopeShown);
  Layout->addWidget(FHistogramLabel);
  Layout->addWidget(FWaveformLabel);
  Layout->addWidget(FVectorscopeLabel);
  auto* Row = new QHBoxLayout();
  for (auto& L : FAverageLabels) {
    L = new QLabel(this);
    L->setFixedSize(64, 24);
    Row->addWidget(L);
  }
  Layout->addLayout(Row);
  Layout->addStretch(1);
  FSession.Subscribe(this);
}

TAnalyzerWindow::~TAnalyzerWindow() {
  FSession.Unsubscribe(this);
  TAnalyzerSettings S = FSession.Analyzer.Settings();
  S.WindowVisible = false;
  FSession.Analyzer.SetSettings(S);
}

TAnalyzerSettings TAnalyzerWindow::SettingsOfControls() const {
  TAnalyzerSettings S;
  S.WindowVisible = isVisible();
  S.Histogram = HistogramCheck->isChecked();
  S.Waveform = WaveformCheck->isChecked();
  S.Vectorscope = VectorscopeCheck->isChecked();
  S.Averages = AveragesCheck->isChecked();
  S.HistogramKind = THistogramKind(std::clamp(HistogramKindCombo->currentIndex(), 0, 4));
  S.Parade = ParadeCheck->isChecked();
  S.WaveformWidth = WaveformWidth;
  S.WaveformHeight = WaveformHeight;
  S.AnalyzeReference = SourceCombo->currentIndex() == 1;
  S.ShowBefore = ShowBefore;
  S.MaskMode = std::max(0, MaskCombo->currentIndex());
  return S;
}

void TAnalyzerWindow::SettingsChanged() {
  FSession.Analyzer.SetSettings(SettingsOfControls());
  if (!isVisible()) return;
  if (!FSession.CalcAnalyzer(false)) ErrorMessageProc("Exception in CalcAnalyzer");
  UpdateAnalyzerWindow();
}

void TAnalyzerWindow::SetPickerColour(uint32_t ColourAfter) {
  FPickerAfter = ColourAfter;
  FHasPicker = true;
  // Only the histogram's marker follows the pointer.
  if (isVisible()) DrawHistogram(FSession.Analyzer.Settings());
}

void TAnalyzerWindow::showEvent(QShowEvent* Event) {
  QWidget::showEvent(Event);
  SettingsChanged();
}

void TAnalyzerWindow::hideEvent(QHideEvent* Event) {
  QWidget::hideEvent(Event);
  FSession.Analyzer.SetSettings(SettingsOfControls());
}

void TAnalyzerWindow::DrawHistogram(const TAnalyzerSettings& S) {
  const int32_t R = FHasPicker ? int32_t((FPickerAfter >> 16) & 255u) : -1;
  const int32_t G = FHasPicker ? int32_t((FPickerAfter >> 8) & 255u) : -1;
  const int32_t B = FHasPicker ? int32_t(FPickerAfter & 255u) : -1;
  try {
    FHistogramLabel->setVisible(S.Histogram);
    if (S.Histogram && FShown.HistR.size() == 256 && FShown.HistG.size() == 256 && FShown.HistB.size() == 256) {
      TOwnedImage<TImage32> H;
      if (H.Image.Alloc(HistogramWidth, HistogramHeight)) {
        H.Image.Clear();
        TSample32 HR = SampleView(FShown.HistR), HG = SampleView(FShown.HistG), HB = SampleView(FShown.HistB);
        switch (S.HistogramKind) {
          case THistogramKind::RGB: DrawRGBHistogram(HR, HG, HB, H.Image, true, R, G, B); break;
          case THistogramKind::Saturation:
            DrawLHistogram(HR, H.Image, true,
                           FHasPicker ? std::max({R, G, B}) - std::min({R, G, B}) : -1);
            break;
          case THistogramKind::Luminance:
          case THistogramKind::SaturationLum:
          case THistogramKind::Hue: {
            // The session's colour row, borrowed.
            const TImageView64 Row(reinterpret_cast<TPixel64*>(FShown.HistogramColorRows.data()), 256, 1);
            int32_t Mark = -1;
            if (FHasPicker)
              Mark = S.HistogramKind == THistogramKind::Hue ? RGBtoHueByte(R, G, B)
                                                           : (10 * G + 4 * R + 2 * B) >> 4;
            if (FShown.HistogramColorRows.size() >= 256 * 4) DrawLHistogram64(HR, H.Image, Row, true, Mark);
            break;
          }
        }
        FHistogram = QImageOver(H.Image).copy();
        FHistogramLabel->setPixmap(QPixmap::fromImage(FHistogram));
      }
    }
  } catch (...) {
    ErrorMessageProc("Exception in UpdateAnalyzerWindow 1");
  }
}

void TAnalyzerWindow::UpdateAnalyzerWindow() {
  if (!isVisible() || !FSession.Ready.load() || FSession.UpdateLockCount >= 1 || FSession.CloseRequested)
    return;
  TAnalyzerResults Res = FSession.Analyzer.Results();
  const TAnalyzerSettings S = FSession.Analyzer.Settings();
  // A computation already shown is not drawn again.
  const bool Fresh = Res.Generation != FShown.Generation;
  try {
    FWaveformLabel->setVisible(S.Waveform);
    if (Fresh && S.Waveform && Res.WaveformWidth > 0) {
      FWaveform = PictureOf(Res.Waveform, Res.WaveformWidth, Res.WaveformHeight);
      FWaveformLabel->setPixmap(QPixmap::fromImage(FWaveform));
    }
    FVectorscopeLabel->setVisible(S.Vectorscope);
    if (Fresh && S.Vectorscope && Res.Vectorscope.size() == 512u * 512u) {
      FVectorscope = PictureOf(Res.Vectorscope, 512, 512);
      QImage Shown = FVectorscope.scaled(VectorscopeShown, VectorscopeShown, Qt::IgnoreAspectRatio,
                                         Qt::SmoothTransformation);
      FVectorscopeLabel->setPixmap(QPixmap::fromImage(Shown));
    }
  } catch (...) {
    ErrorMessageProc("Exception in UpdateAnalyzerWindow 2");
  }
  try {
    for (QLabel* L : FAverageLabels) L->setVisible(S.Averages);
    if (Fresh && S.Averages) {
      PaintSwatch(FAverageLabels[0], "Darkest", Res.MinColor, 0);
      PaintSwatch(FAverageLabels[1], "Average", Res.AverageColor, AverageGrey(Res.AverageColor));
      PaintSwatch(FAverageLabels[2], "Lightest", Res.MaxColor, 0xFFFFFF);
    }
  } catch (...) {
    ErrorMessageProc("Exception in UpdateAnalyzerWindow 3");
  }
  if (Fresh) FShown = std::move(Res);
  DrawHistogram(S);
}

}  // namespace kromel
