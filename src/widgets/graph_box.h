// The graph box: one or two float sample buffers plotted as a waveform,
// bipolar around a zero line or unipolar from the bottom, over an optional
// grid; and the file drop, which takes local files dropped on a control.
#pragma once
#include <QMimeData>
#include <QStringList>
#include <vector>

#include "images/sample.h"
#include "widgets/glyph_picture.h"
#include "widgets/vel_widget.h"

namespace kromel {

class TGraphBox : public TVelWidget {
public:
  explicit TGraphBox(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TGraphBox"; }

  // When not empty it replaces the frame, fill, grid and zero line.
  TGlyphPicture Background;
  void SetBackground(const TImage32& Picture);
  TColor GridColor = 0xFFD0D0;
  TColor WaveColor = 0;
  TColor Wave2Color = 255;
  TColor BothWavesColor = 192;
  TColor ZeroColor = 0x00FF00;
  bool Border = true;
  bool Bipolar = true;
  bool Symmetric = false;
  int32_t VerticalGridN = 0;
  int32_t HorizontalGridN = 0;
  int32_t LevelLine = -1;
  // Not owned.
  const TSample32* Samples = nullptr;
  const TSample32* Samples2 = nullptr;
  float SampleScale = 1.0f;
  TNotifyHandler OnPaint;

  // The sample of column X and the column of sample I of Samples.
  int64_t SampleIndexOfColumn(int32_t X) const;
  int32_t ColumnOfSample(int64_t I) const;

protected:
  void Paint(TImage32& Canvas) override;
};

// Takes files dropped on its control while EnableDrop is set: local files
// only (remote items of the URL list are passed over without a message),
// names passed on as they are.
class TFileDrop : public QObject {
public:
  explicit TFileDrop(QObject* Parent = nullptr) : QObject(Parent) {}
  ~TFileDrop() override;

  bool EnableDrop() const { return FEnable; }
  void SetEnableDrop(bool Value);
  QWidget* DropControl() const { return FControl; }
  void SetDropControl(QWidget* Control);

  // The files of the last drop (UTF-8 and as Qt text).
  const std::vector<std::string>& Files() const { return FFiles; }
  const QStringList& WideFileNames() const { return FWide; }
  int32_t FileCount() const { return static_cast<int32_t>(FFiles.size()); }
  std::function<void(TFileDrop* Sender)> OnDrop;
  // A drop of Data: True (files taken, OnDrop fired) when it holds local
  // files and dropping is enabled.
  bool TakeDrop(const QMimeData* Data);

protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
  void Hook();
  bool FEnable = false;
  QWidget* FControl = nullptr;
  std::vector<std::string> FFiles;
  QStringList FWide;
};

}  // namespace kromel
