// The analyzer window: histograms, waveform, vectorscope and the darkest,
// average and lightest colours of the analysed image. Its switches are read
// on the main thread into the session's analyzer settings; the pictures
// come from the session's last complete computation, which the renderer
// makes after each render. No widget is touched off the main thread.
#pragma once
#include <QImage>
#include <QWidget>
#include <array>

#include "session/session_core.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace kromel {

class TAnalyzerWindow : public QWidget, public TSessionView {
public:
  TAnalyzerWindow(TKromelSession& Session, QWidget* Parent = nullptr);
  ~TAnalyzerWindow() override;

  // The window's switches as the analyzer's settings (main thread).
  TAnalyzerSettings SettingsOfControls() const;
  // Publishes the switches, computes on the main thread (the renderer
  // paused) and redraws.
  void SettingsChanged();
  // The picked colour's marks (BGRA after the LUT).
  void SetPickerColour(uint32_t ColourAfter);

  // ---- switches (tests and the main window's menu)
  QCheckBox* HistogramCheck = nullptr;
  QCheckBox* WaveformCheck = nullptr;
  QCheckBox* VectorscopeCheck = nullptr;
  QCheckBox* AveragesCheck = nullptr;
  QCheckBox* ParadeCheck = nullptr;
  QComboBox* HistogramKindCombo = nullptr;
  QComboBox* SourceCombo = nullptr;  // "Image", "Ref."
  QComboBox* MaskCombo = nullptr;    // "Full", "Inside", "Outside"
  bool ShowBefore = false;           // View > show before

  // The pictures shown (tests).
  const QImage& HistogramPicture() const { return FHistogram; }
  const QImage& WaveformPicture() const { return FWaveform; }
  const QImage& VectorscopePicture() const { return FVectorscope; }
  // min, average, max TColor
  std::array<uint32_t, 3> Averages() const { return {FShown.MinColor, FShown.AverageColor, FShown.MaxColor}; }
  int64_t ShownGeneration() const { return FShown.Generation; }

  // ---- TSessionView
  void UpdateAnalyzerWindow() override;

protected:
  void showEvent(QShowEvent* Event) override;
  void hideEvent(QHideEvent* Event) override;

private:
  TKromelSession& FSession;
  QLabel* FHistogramLabel = nullptr;
  QLabel* FWaveformLabel = nullptr;
  QLabel* FVectorscopeLabel = nullptr;
  std::array<QLabel*, 3> FAverageLabels{};
  QImage FHistogram, FWaveform, FVectorscope;
  // The computation shown; the histogram is drawn again from it when the
  // picked colour moves its marker.
  TAnalyzerResults FShown;
  uint32_t FPickerAfter = 0;
  bool FHasPicker = false;

  void DrawHistogram(const TAnalyzerSettings& S);
};

}  // namespace kromel
