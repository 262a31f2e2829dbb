#include "params/composite_parameters.h"

#include <algorithm>

namespace kromel {

namespace {

std::string Quoted(const std::string& S) { return "\"" + S + "\""; }
std::string Quoted(int64_t N) { return Quoted(std::to_string(N)); }

}  // namespace

// --- curve

TControlledParameterCurve::TControlledParameterCurve(TParameterList* List, const std::string& Name,
                                                     TCurveDefaultType DefaultType)
    : TControlledParameter(List, Name) {
  Curve.SetDefault(DefaultType);
  Curve.Name = Name.substr(0, 63);
}

void TControlledParameterCurve::SetIsolate(bool Value) {
  TControlledParameter::SetIsolate(Value);
  Curve.Isolate = Value;
}

std::string TControlledParameterCurve::GetXMLTag() const { return "curve name=" + Quoted(Name); }

void TControlledParameterCurve::SaveToXML(std::string& Text) {
  Text = "<" + GetXMLTag() + " points=" + Quoted(Curve.NumDots) + ">\n";
  for (int32_t I = 0; I < Curve.NumDots; ++I)
    Text += "<pointx>" + std::to_string(Curve.Dot(I).X) + "</pointx>\n<pointy>" +
            std::to_string(Curve.Dot(I).Y) + "</pointy>\n";
  Text += "</curve>\n";
}

bool TControlledParameterCurve::LoadFromXML(const std::string&) { return false; }

// --- grid

TControlledParameterGrid::TControlledParameterGrid(TParameterList* List, const std::string& Name,
                                                   int32_t ColCount, int32_t RowCount, int32_t MinX,
                                                   int32_t MaxX, int32_t MinY, int32_t MaxY)
    : TControlledParameter(List, Name) {
  Grid.Name = Name;
  Grid.SetColCount(ColCount);
  Grid.SetRowCount(RowCount);
  Grid.SetRanges(MinX, MinY, MaxX, MaxY);
  Grid.InitializeRectangular(true);
}

std::string TControlledParameterGrid::GetXMLTag() const { return "grid name=" + Quoted(Name); }

void TControlledParameterGrid::SaveToXML(std::string& Text) {
  Text = "<" + GetXMLTag() + " colcount=" + Quoted(Grid.Cols()) +
         " rowcount=" + Quoted(Grid.Rows()) + " circular=" + Quoted(Grid.Circular ? 1 : 0) + ">\n";
  for (const auto& Column : Grid.Dots)
    for (const TDotPoint& D : Column)
      Text += "<pointpinned>" + std::to_string(D.Pinned ? 1 : 0) + "</pointpinned>\n<pointx>" +
              std::to_string(D.X) + "</pointx>\n<pointy>" + std::to_string(D.Y) +
              "</pointy>\n<pointz>" + std::to_string(D.Z) + "</pointz>\n";
  Text += "</grid>\n";
}

bool TControlledParameterGrid::LoadFromXML(const std::string&) { return false; }

// --- switches array

TControlledParameterSwitchesArray::TControlledParameterSwitchesArray(TParameterList* List,
                                                                     const std::string& Name,
                                                                     int32_t Count,
                                                                     uint8_t Default)
    : TControlledParameter(List, Name) {
  Count = std::max(Count, 0);
  Switches.assign(static_cast<size_t>(Count), Default);
  ItemFlags.assign(static_cast<size_t>(Count), 0);
}

uint8_t TControlledParameterSwitchesArray::GetSwitch(int32_t Index) const {
  return Index >= 0 && Index < static_cast<int32_t>(Switches.size()) ? Switches[size_t(Index)]
                                                                     : 0;
}

void TControlledParameterSwitchesArray::SetSwitch(int32_t Index, uint8_t Value) {
  if (Index >= 0 && Index < static_cast<int32_t>(Switches.size())) Switches[size_t(Index)] = Value;
}

void TControlledParameterSwitchesArray::SaveToXML(std::string& Text) { Text.clear(); }

bool TControlledParameterSwitchesArray::LoadFromXML(const std::string&) { return false; }

// --- integer array

TControlledParameterIntegerArray::TControlledParameterIntegerArray(TParameterList* List,
                                                                   const std::string& Name,
                                                                   int32_t Count)
    : TControlledParameter(List, Name) {
  Count = std::max(Count, 2);
  Values.resize(static_cast<size_t>(Count));
  ItemFlags.assign(static_cast<size_t>(Count), 0);
  for (int32_t I = 0; I < Count; ++I) SetValue(I, I * 1000 / (Count - 1));
}

int32_t TControlledParameterIntegerArray::GetValue(int32_t Index) const {
  return Index >= 0 && Index < static_cast<int32_t>(Values.size()) ? Values[size_t(Index)] : 0;
}

void TControlledParameterIntegerArray::SetValue(int32_t Index, int32_t Value) {
  if (Index < 0 || Index >= static_cast<int32_t>(Values.size())) return;
  Values[size_t(Index)] = Value;
  if (OnChange) OnChange(this);
}

std::string TControlledParameterIntegerArray::GetXMLTag() const {
  return "integers name=" + Quoted(Name);
}

void TControlledParameterIntegerArray::SaveToXML(std::string& Text) {
  Text = "<" + GetXMLTag() + " points=" + Quoted(int64_t(Values.size())) + ">\n";
  for (size_t I = 0; I < Values.size(); ++I)
    Text += "<value" + std::to_string(I) + ">" + std::to_string(Values[I]) + "</value" +
            std::to_string(I) + ">\n";
  Text += "</integers>\n";
}

bool TControlledParameterIntegerArray::LoadFromXML(const std::string&) { return false; }

// --- colour wheel

TControlledParameterColorWheel::TControlledParameterColorWheel(TParameterList* List,
                                                               const std::string& Name)
    : TControlledParameter(List, Name) {}

std::string TControlledParameterColorWheel::GetXMLTag() const {
  return "colorwheel name=" + Quoted(Name);
}

void TControlledParameterColorWheel::SaveToXML(std::string& Text) {
  Text = "<" + GetXMLTag() + ">\n<x>" + std::to_string(Point.X) + "</x>\n<y>" +
         std::to_string(Point.Y) + "</y>\n<brightness>" + std::to_string(Point.Brightness) +
         "</brightness>\n</colorwheel>\n";
}

bool TControlledParameterColorWheel::LoadFromXML(const std::string&) { return false; }

}  // namespace kromel
