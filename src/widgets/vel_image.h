// Image controls: a flicker-free picture area with a frame and a caption
// line, its draggable variant, a picture that drags the control owning it,
// and the text-pattern menu glyphs.
#pragma once
#include <functional>
#include <string>

#include "platform/canvas.h"
#include "widgets/glyph_picture.h"
#include "widgets/vel_widget.h"

namespace kromel {

class TVelImage : public TVelWidget {
public:
  explicit TVelImage(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TVelImage"; }

  // A copy of Picture becomes the background.
  void SetBackground(const TImage32& Picture);
  const TImage32& Background() const { return FBackground.Image; }
  int32_t Bevel() const { return FBevel; }
  void SetBevel(int32_t Value);
  TColor BevelColor() const { return FBevelColor; }
  void SetBevelColor(TColor Value);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // The caption's font.
  TFont Font;

  // Called after the control has painted itself, with its picture.
  std::function<void(TVelImage* Sender, TImage32& Canvas)> OnPaint;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void focusInEvent(QFocusEvent* Event) override;

private:
  TGlyphPicture FBackground;
  int32_t FBevel = 0;
  TColor FBevelColor = 0x808080;
  std::string FCaption;
};

class TVelImageDraggable : public TVelImage {
public:
  explicit TVelImageDraggable(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TVelImageDraggable"; }

  TNotifyHandler OnDragged;
  int32_t XShift = 0;
  int32_t YShift = 0;
  int32_t YMax = 100;
  int32_t YMin = 0;
  bool DragRightClick = false;
  bool DragBothButtons = false;
  bool Dragging = false;
  int32_t LastX = 0, LastY = 0;

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
};

// A picture that moves the widget owning it (its parent) when dragged,
// optionally snapping to the edges of the owner's own parent.
class TDragImage : public TVelWidget {
public:
  explicit TDragImage(QWidget* Parent = nullptr);
  std::string ClassName() const override { return "TDragImage"; }

  TGlyphPicture Picture;
  bool SnapToEdges = false;
  int32_t GridStep = 1;
  TNotifyHandler OnMoved;

protected:
  void Paint(TImage32& Canvas) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;

private:
  bool FDragging = false;
  bool FMoving = false;
  int32_t FPressX = 0, FPressY = 0;
};

// A black-on-white menu glyph from "#", "##" or "###" (16, 32 or 48 pixels
// wide) and hexadecimal rows, two bits a pixel; the last pattern row is not
// shown. False (Glyph untouched) for a pattern of 3 characters or fewer or
// without "#" in its first three.
bool GlyphBitmapFromText(const std::string& Pattern, TImage32& Glyph);

// Shows Picture in a modal window 30 pixels wider and 60 taller (a
// debugging aid).
void ShowBitmapWindow(const TImage32& Picture);

}  // namespace kromel
