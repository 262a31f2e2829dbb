// The dot-grid editor without widgets: the grid it edits (its own or a bound
// grid parameter's), the mapping between grid units and pixels, hit tests,
// mouse and keyboard editing, selection storage, the tool operations and the
// drawing. The widget feeds it its size, focus, mouse and keys and blits
// what Paint draws.
//
// Every edit keeps the grid's dots inside its ranges and their Z inside
// -128..128.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "controls/editor_input.h"
#include "images/image_header.h"
#include "params/dot_grid.h"
#include "platform/raw_bitmap.h"

namespace kromel {

class TCanvas;
class TControlledParameterGrid;

class TDotGridEditor {
public:
  TDotGridEditor();
  TDotGridEditor(const TDotGridEditor&) = delete;
  TDotGridEditor& operator=(const TDotGridEditor&) = delete;

  // ---- properties
  bool AllowMultiSelect = true;
  // The four corner dots cannot be picked.
  bool StopMoveangle = false;
  bool ShowStartDotsPos = false;
  bool ShowStartDotsPosOnlyTouched = false;
  int32_t ZoomX = 200;
  int32_t ZoomY = 200;
  bool ShowValues = false;
  bool RulerShowCenter = true;
  bool RulerShowDiagonal = false;
  int32_t DotSize = 3;
  bool AllowBrightnessEdit = true;
  bool AllowPointsMove = true;
  bool AllowDisabling = false;
  // Each row's line goes on from the last column back to the first.
  bool WrapColumns = false;
  // The widget has the focus.
  bool Focused = false;
  // Visible, enabled and able to take the focus: moves only edit then.
  bool Active = true;
  TRawBitmap Background;
  // The colour under the picker, in grid units (10 x model units), drawn
  // as a ring while PickerVisible.
  bool PickerVisible = false;
  int32_t PickerX = 0, PickerY = 0;

  int32_t Margin() const { return FMargin; }
  void SetMargin(int32_t Value);
  bool ManualFocus() const { return FManualFocus; }
  void SetManualFocus(bool Value);
  int32_t MinX() const { return Grid->MinX; }
  int32_t MaxX() const { return Grid->MaxX; }
  int32_t MinY() const { return Grid->MinY; }
  int32_t MaxY() const { return Grid->MaxY; }
  void SetMinX(int32_t Value);
  void SetMaxX(int32_t Value);
  void SetMinY(int32_t Value);
  void SetMaxY(int32_t Value);
  void SetNumberOfDotsRow(int32_t Value);
  void SetNumberOfDotsCol(int32_t Value);
  void SetGridSize(int32_t Cols, int32_t Rows);
  void SetRotated(bool Value);
  void ResetZoom();

  // ---- grid
  T2DEnvelopeDots* Grid;
  T2DEnvelopeDots OwnGrid;
  T2DEnvelopeDots SnapshotGrid;

  // ---- layout and mapping
  int32_t Width() const { return FWidth; }
  int32_t Height() const { return FHeight; }
  void SetSize(int32_t Width, int32_t Height);
  int32_t GridWidth = 0, GridHeight = 0, OriginX = 0, OriginY = 0;
  void UpdateCalibration();
  // Grid units to client pixels (ToPixels) or back.
  TPoint Calibrate(int32_t X, int32_t Y, bool ToPixels) const;
  TPoint CalibrateDot(const TDotPoint& Dot, bool ToPixels) const;
  float ColumnToX(int32_t Index) const;
  float ColumnToY(int32_t Index) const;
  int32_t DotToGridX(int32_t Col, int32_t Row) const;
  int32_t DotToGridY(int32_t Col, int32_t Row) const;

  // ---- mouse and keyboard (client pixels)
  void FindDotAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const;
  void MouseDown(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y);
  void MouseMove(uint32_t Shift, int32_t X, int32_t Y);
  void MouseUp(TEditButton Button, uint32_t Shift, int32_t X, int32_t Y);
  // True: the key was the editor's (the widget does nothing more with it).
  bool KeyDown(uint16_t& Key, uint32_t Shift);
  void MoveCurrentDotBy(int32_t DX, int32_t DY, int32_t DZ);
  void MoveSelectedDots();
  void SelectDotsInRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2);

  // Drag state (the main window reads and sets some of it).
  bool Dragging = false;
  bool MoveSelection = false;
  bool BrightnessDrag = false;
  bool LastDragWasBrightness = false;
  int32_t LastDragY = -10000;
  bool PendingPick = false;
  int32_t DragOffsetX = 0, DragOffsetY = 0;
  int32_t DownX = 0, DownY = 0;
  bool MarqueeActive = false;
  int32_t MarqueeLeft = 0, MarqueeTop = 0, MarqueeRight = 0, MarqueeBottom = 0;
  std::string Hint;

  // ---- grid building, binding, selection storage, tools
  void CreateGrid();
  void ConnectToParameter(TControlledParameterGrid* Parameter);
  void ParameterChange(void* Sender);
  void SaveSelection();
  // False (and a message) when the saved selection has another size.
  bool LoadSelection();
  void SelectAllMovedDots();
  void SelectAllPinnedDots();
  void ExpandSelection();
  void SaveDotsSnapshot();
  void RestoreDotsSnapshot();
  void SelectDotNear(int32_t X, int32_t Y, bool AddToSelection);
  // Tool drags, whose later positions come in the coordinates of the
  // pointer (CursorX, CursorY) now. StartDragDotNear answers the dot's
  // client position.
  TPoint StartDragDotNear(int32_t X, int32_t Y, int32_t CursorX, int32_t CursorY);
  void BeginDotDrag(int32_t X, int32_t Y, int32_t CursorX, int32_t CursorY);
  void CellAt(int32_t X, int32_t Y, int32_t& Col, int32_t& Row) const;
  void ShiftCellDots(int32_t SourceLum, int32_t SourceX, int32_t SourceY, int32_t TargetLum,
                     int32_t TargetX, int32_t TargetY, bool Move, bool Scale, bool Brightness);

  // ---- drawing: the whole control into a canvas of its size
  void Paint(TCanvas& Canvas);

  // ---- events
  TNotifyEvent OnChangeStart, OnChange, OnChangeStep, OnChangeEnd, OnSelectDots, OnPaint,
      OnManualFocusChange;
  std::function<void(TEditButton, uint32_t, int32_t, int32_t)> OnMouseDown, OnMouseUp;
  std::function<void(uint32_t, int32_t, int32_t)> OnMouseMove;
  std::function<void()> OnInvalidate;
  std::function<void(const std::string&)> OnShowHint;
  std::function<void()> OnHideHint;

private:
  void Repaint();
  void Fire(const TNotifyEvent& Event);
  bool HasCurrent() const;
  TDotPoint& Current();
  bool IsCentre(int32_t Row) const { return Grid->Circular && Row == 0; }
  // Dot (FromCol, 0) into every column's centre dot: X, Y and Z.
  void CopyCentre(int32_t FromCol);
  // Dot into the grid's ranges, Z into -128..128.
  void ClampDot(TDotPoint& D) const;
  void Pick(uint32_t Shift, bool FromMove);

  int32_t FWidth = 0, FHeight = 0;
  int32_t FMargin = 0;
  bool FManualFocus = false;
};

}  // namespace kromel
