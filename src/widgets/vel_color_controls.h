// The colour plate (a colour value control whose double click opens the
// colour dialog) and the colour watch (plates, readout numbers in fifteen
// formats, titles, status letter and close box; model: TColorWatchModel).
#pragma once
#include <QMenu>
#include <functional>

#include "controls/colour_watch.h"
#include "controls/multi_value_controls.h"
#include "platform/canvas.h"
#include "widgets/control_widget.h"

namespace kromel {

// The colour dialog the controls open; replaceable (tests answer it).
using TChooseColor = std::function<bool(TColor& Color)>;
TChooseColor& ColorDialogHook();

class TVelColorPlate : public TControlWidget {
public:
  explicit TVelColorPlate(QWidget* Parent = nullptr);
  explicit TVelColorPlate(TColorPlateControl& Model, QWidget* Parent = nullptr);
  TColorPlateControl& Plate() const { return static_cast<TColorPlateControl&>(Controller()); }
  std::string ClassName() const override { return "TVelColorPlate"; }
  int32_t Bevel = 0;
  TColor BevelColor = 0;

protected:
  void Paint(TImage32& Canvas) override;
  void DblClick() override;
};

class TVelColorWatch : public TVelWidget {
public:
  explicit TVelColorWatch(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TVelColorWatch"; }
  bool PublishesColor() const override { return true; }

  TColorWatchModel Watch;
  TNotifyHandler OnDeleteColorWatch;
  // Receives the plates' moves and the left release while its owner drags.
  TVelWidget* CaptureControl = nullptr;
  void Refresh() { update(); }

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  // 1 or 2 for a plate (or its letter), 0 elsewhere.
  int32_t PlateAt(int32_t X, int32_t Y) const;
  void PopUpFormatMenu(int32_t X, int32_t Y);
};

}  // namespace kromel
