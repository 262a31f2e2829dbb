// The tools page's processing-chain diagram: draws a signal path layout
// with the stage-box and arrow primitives on a dark background.
#pragma once
#include "session/signal_path_layout.h"
#include "widgets/vel_widget.h"

namespace kromel {

class TSignalPathDiagram : public TVelWidget {
public:
  explicit TSignalPathDiagram(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TSignalPathImage"; }

  // Takes the layout and repaints; the widget is at least as wide as it.
  void SetLayout(TSignalPathLayout Layout);
  const TSignalPathLayout& Layout() const { return FLayout; }

  // Draws Layout into Canvas (its whole area): background, frame, items.
  static void DrawLayout(const TSignalPathLayout& Layout, TImage32& Canvas);

protected:
  void Paint(TImage32& Canvas) override;

private:
  TSignalPathLayout FLayout;
};

}  // namespace kromel
