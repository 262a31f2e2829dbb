// Parameters whose value is a whole object: a curve, a dot grid, an array
// of integers or one colour-wheel point. The processing units read them;
// the editing controls work on the owned object directly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "colour/colour_wheels.h"
#include "params/dot_grid.h"
#include "params/envelope_dots.h"
#include "params/parameters.h"

namespace kromel {

class TControlledParameterCurve : public TControlledParameter {
 public:
  // The curve reset to DefaultType and named Name (cut to 63 characters).
  TControlledParameterCurve(TParameterList* List, const std::string& Name,
                            TCurveDefaultType DefaultType);

  TEnvelopeDots Curve;

  void SetIsolate(bool Value) override;
  std::string GetXMLTag() const override;
  // "<curve name=.. points=..>", a pointx and a pointy line per dot, "</curve>".
  void SaveToXML(std::string& Text) override;
  // The text forms are read by the preset loader; nothing is read here.
  bool LoadFromXML(const std::string& Text) override;
};

class TControlledParameterGrid : public TControlledParameter {
 public:
  // A ColCount x RowCount rectangular grid over the given ranges.
  TControlledParameterGrid(TParameterList* List, const std::string& Name, int32_t ColCount,
                           int32_t RowCount, int32_t MinX, int32_t MaxX, int32_t MinY,
                           int32_t MaxY);

  T2DEnvelopeDots Grid;

  std::string GetXMLTag() const override;
  // The grid element: pin flag, X, Y and Z of every dot, column-major.
  void SaveToXML(std::string& Text) override;
  bool LoadFromXML(const std::string& Text) override;
};

// Switches with no text form: nothing is written, and reading reports
// failure, so a text preset never changes them.
class TControlledParameterSwitchesArray : public TControlledParameter {
 public:
  TControlledParameterSwitchesArray(TParameterList* List, const std::string& Name, int32_t Count,
                                    uint8_t Default);

  std::vector<uint8_t> Switches;
  std::vector<uint8_t> ItemFlags;

  // 0 outside the array.
  uint8_t GetSwitch(int32_t Index) const;
  // Stores one switch without notification (an index outside is ignored).
  void SetSwitch(int32_t Index, uint8_t Value);
  void SaveToXML(std::string& Text) override;
  bool LoadFromXML(const std::string& Text) override;
};

class TControlledParameterIntegerArray : public TControlledParameter {
 public:
  // Count (at least 2) values i * 1000 / (Count - 1): 3 give 0, 500, 1000.
  TControlledParameterIntegerArray(TParameterList* List, const std::string& Name, int32_t Count);

  std::vector<int32_t> Values;
  std::vector<uint8_t> ItemFlags;

  // 0 outside the array.
  int32_t GetValue(int32_t Index) const;
  // Stores the value (an index outside is ignored) and calls OnChange when
  // set, every time.
  void SetValue(int32_t Index, int32_t Value);
  std::string GetXMLTag() const override;
  void SaveToXML(std::string& Text) override;
  bool LoadFromXML(const std::string& Text) override;
};

// The colour-wheel point: offset from the centre, paint colour, brightness.
struct TCWDotPoint {
  int32_t X = 0;
  int32_t Y = 0;
  int32_t Color = 0;
  int32_t Brightness = 0;
};

class TControlledParameterColorWheel : public TControlledParameter {
 public:
  TControlledParameterColorWheel(TParameterList* List, const std::string& Name);

  TCWDotPoint Point;

  // The point as the wheel maths reads it.
  TColorWheelValue WheelValue() const { return {Point.X, Point.Y, Point.Brightness}; }
  std::string GetXMLTag() const override;
  void SaveToXML(std::string& Text) override;
  bool LoadFromXML(const std::string& Text) override;
};

}  // namespace kromel
