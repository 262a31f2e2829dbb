#include "params/composite_parameters.h"

#include <algorithm>

#include "foundation/error_sink.h"
#include "foundation/number_format.h"
#include "foundation/text_scan.h"

namespace kromel {

namespace {

std::string Quoted(const std::string& S) { return "\"" + S + "\""; }
std::string Quoted(int64_t N) { return Quoted(std::to_string(N)); }

// The leading integer after Pos up to the next "<" (no number gives 0).
int32_t IntUpToTag(const std::string& Text, size_t Pos) {
  const size_t End = Text.find('<', Pos);
  return StrToIntLeading(Text.substr(Pos, std::min<size_t>(End, Text.size()) - Pos));
}

// The values of the first Max elements "<" + Tag ...>, each the number after
// its first ">", in text order; fewer when the text holds fewer.
std::vector<int32_t> ElementValues(const std::string& Text, const std::string& Tag, size_t Max) {
  std::vector<int32_t> Values;
  const std::string Open = "<" + Tag;
  for (size_t At = Text.find(Open); At != std::string::npos && Values.size() < Max;
       At = Text.find(Open, At + Open.size())) {
    if (!IsStartTagAt(Text, At, Tag)) continue;
    const size_t Gt = Text.find('>', At + Open.size());
    if (Gt == std::string::npos) break;
    Values.push_back(IntUpToTag(Text, Gt + 1));
  }
  return Values;
}

// The value of the first "<Name>" element of Text into Value; false (Value
// kept) when there is none.
bool ReadIntElement(const std::string& Text, const std::string& Name, int32_t& Value) {
  const std::string Open = "<" + Name + ">";
  const size_t At = Text.find(Open);
  if (At == std::string::npos) return false;
  Value = IntUpToTag(Text, At + Open.size());
  return true;
}

// The count in the attribute Key (e.g. points=") of the start tag.
int32_t AttributeCount(const std::string& Element, const std::string& Key) {
  return StrToIntLeading(GetNumberAfter(Element, Key + "\""));
}

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

bool TControlledParameterCurve::LoadFromXML(const std::string& Text) {
  // An absent curve keeps its dots; later elements of the section still load.
  const std::string Element = GetParameterElement(Text, "curve");
  if (Element.empty()) return true;
  const int32_t Count = AttributeCount(Element, "points=");
  // More dots than the curve holds are refused like a missing count.
  if (Count <= 0 || Count > EnvelopeMaxDots) {
    ErrorMessageProc("Error parsing curve from XML: " + Text);
    return false;
  }
  const std::vector<int32_t> X = ElementValues(Element, "pointx", size_t(Count));
  const std::vector<int32_t> Y = ElementValues(Element, "pointy", size_t(Count));
  Curve.NumDots = Count;
  for (int32_t I = 0; I < Count; ++I) {
    Curve.Dot(I).X = size_t(I) < X.size() ? X[size_t(I)] : 0;
    Curve.Dot(I).Y = size_t(I) < Y.size() ? Y[size_t(I)] : 0;
  }
  Curve.SplineValid = false;
  if (Curve.OnChange) Curve.OnChange(&Curve);
  return true;
}

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

bool TControlledParameterGrid::LoadFromXML(const std::string& Text) {
  const std::string Element = GetParameterElement(Text, "grid");
  if (Element.empty()) return true;
  // Both counts are checked before the grid changes; more columns or rows
  // than a grid may hold are refused like missing ones.
  const int32_t Cols = AttributeCount(Element, "colcount=");
  if (Cols <= 0 || Cols > DotGridMaxCount) {
    ErrorMessageProc("Error parsing Grid from XML: " + Text);
    return false;
  }
  const int32_t Rows = AttributeCount(Element, "rowcount=");
  if (Rows <= 0 || Rows > DotGridMaxCount) {
    ErrorMessageProc("Error parsing Grid rows from XML: " + Text);
    return false;
  }
  const size_t Count = size_t(Cols) * size_t(Rows);
  const std::vector<int32_t> Pinned = ElementValues(Element, "pointpinned", Count);
  const std::vector<int32_t> X = ElementValues(Element, "pointx", Count);
  const std::vector<int32_t> Y = ElementValues(Element, "pointy", Count);
  const std::vector<int32_t> Z = ElementValues(Element, "pointz", Count);
  const auto At = [](const std::vector<int32_t>& V, size_t K) { return K < V.size() ? V[K] : 0; };
  Grid.SetColCount(Cols);
  Grid.SetRowCount(Rows);
  for (int32_t C = 0; C < Grid.Cols(); ++C)
    for (int32_t R = 0; R < Grid.Rows(); ++R) {
      const size_t K = size_t(Rows) * size_t(C) + size_t(R);
      TDotPoint& D = Grid.Dots[size_t(C)][size_t(R)];
      D.X = At(X, K);
      D.Y = At(Y, K);
      D.Z = At(Z, K);
      D.Pinned = At(Pinned, K) == 1;
    }
  Grid.InterpolateUntouchedDots();
  Grid.DoChange();
  return true;
}

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

bool TControlledParameterIntegerArray::LoadFromXML(const std::string& Text) {
  // Only the items the array has are read; an absent item keeps its value.
  const std::string Element = GetParameterElement(Text, "integers");
  if (Element.empty()) return true;
  for (size_t I = 0; I < Values.size(); ++I)
    ReadIntElement(Element, "value" + std::to_string(I), Values[I]);
  NotifyLoaded();
  return true;
}

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

bool TControlledParameterColorWheel::LoadFromXML(const std::string& Text) {
  // An absent value keeps the one the point holds.
  const std::string Element = GetParameterElement(Text, "colorwheel");
  if (Element.empty()) return true;
  ReadIntElement(Element, "x", Point.X);
  ReadIntElement(Element, "y", Point.Y);
  ReadIntElement(Element, "brightness", Point.Brightness);
  NotifyLoaded();
  return true;
}

}  // namespace kromel
