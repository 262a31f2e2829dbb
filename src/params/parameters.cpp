#include "params/parameters.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "foundation/error_sink.h"
#include "foundation/number_format.h"
#include "foundation/text_scan.h"

namespace kromel {

namespace {

// Restores the depth counter even when a handler throws.
struct TDepthGuard {
  int32_t& Depth;
  explicit TDepthGuard(int32_t& D) : Depth(D) { ++Depth; }
  ~TDepthGuard() { --Depth; }
};

// The value text of a scalar element: after the first ">" up to the first
// double quote, line feed, "&", apostrophe or "<".
std::string ScalarValueText(const std::string& Text) { return GetQuotedValueAfter(Text, ">"); }

}  // namespace

bool IsStartTagAt(const std::string& Text, size_t At, const std::string& Tag) {
  if (Tag.empty() || At >= Text.size() || Text[At] != '<') return false;
  if (Text.compare(At + 1, Tag.size(), Tag) != 0) return false;
  const size_t After = At + 1 + Tag.size();
  return After < Text.size() && (Text[After] == '>' || Text[After] == ' ' || Text[After] == '/');
}

std::string ElementAt(const std::string& Text, size_t At, const std::string& Tag) {
  const std::string Close = "</" + Tag.substr(0, Tag.find(' ')) + ">";
  const size_t End = Text.find(Close, At + 1 + Tag.size());
  if (End == std::string::npos) return {};
  return Text.substr(At, End + Close.size() - At);
}

std::string GetParameterElement(const std::string& Text, const std::string& Tag) {
  if (Tag.empty()) return {};
  const std::string Open = "<" + Tag;
  for (size_t At = Text.find(Open); At != std::string::npos; At = Text.find(Open, At + 1))
    if (IsStartTagAt(Text, At, Tag)) return ElementAt(Text, At, Tag);
  return {};
}

std::string ParameterSingleToText(float X) {
  // Formatted from a 64-bit scaled integer: the same text as a 32-bit one
  // within +-2147.483647, and the true value (or the general form for
  // NaN and infinities) outside it.
  return FloatToStrD6(static_cast<double>(X));
}

// ---------------------------------------------------------------------------
// TParameterList

TParameterList::~TParameterList() {
  for (TControlledParameter* P : FItems)
    if (P != nullptr && P->Owner == this) P->Owner = nullptr;
}

void TParameterList::RegisterParameter(TControlledParameter* P) { FItems.push_back(P); }

void TParameterList::InsertParameter(int32_t Index, TControlledParameter* P) {
  const int32_t At = std::clamp(Index, int32_t{0}, Count());
  FItems.insert(FItems.begin() + At, P);
}

void TParameterList::UnregisterParameter(TControlledParameter* P) {
  const auto It = std::find(FItems.begin(), FItems.end(), P);
  if (It == FItems.end()) {
    ErrorMessageProc("TParameterList.UnregisterParameter failed to find " +
                     (P != nullptr ? P->Name : std::string()));
    return;
  }
  FItems.erase(It);
}

TControlledParameter* TParameterList::Get(int32_t Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(Index)];
}

bool TParameterList::Contains(const TControlledParameter* P) const {
  return std::find(FItems.begin(), FItems.end(), P) != FItems.end();
}

// ---------------------------------------------------------------------------
// TControlledParameter

TControlledParameter::TControlledParameter(TParameterList* List, const std::string& Name)
    : Name(Name) {
  ChangeDepth = 0;
  if (List != nullptr) {
    List->RegisterParameter(this);
    Owner = List;
  }
  TControlledParameter::SetIsolate(false);
}

TControlledParameter::~TControlledParameter() {
  if (Owner != nullptr) Owner->UnregisterParameter(this);
}

void TControlledParameter::SetIsolate(bool Value) { Isolate = Value; }

std::string TControlledParameter::GetXMLTag() const { return Name; }

void TControlledParameter::NotifyChanged() {
  if (ChangeDepth != 0) return;
  TDepthGuard Guard(ChangeDepth);
  if (OnChange) OnChange(this);
}

void TControlledParameter::NotifyLoaded() {
  if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------
// Scalars

TControlledParameterSingle::TControlledParameterSingle(TParameterList* List,
                                                       const std::string& Name, float Default)
    : TControlledParameter(List, Name) {
  DefaultValue = Default;
  SetValue(Default);
}

void TControlledParameterSingle::SetValue(float X) {
  if (X == Value) return;  // a NaN on either side never compares equal
  Value = X;
  NotifyChanged();
}

void TControlledParameterSingle::SetValueSilent(float X) {
  if (X != Value) Value = X;
}

void TControlledParameterSingle::SaveToXML(std::string& Text) {
  Text = "<" + Name + ">" + ParameterSingleToText(Value) + "</" + Name + ">\n";
}

float TControlledParameterSingle::Limit(float X) const {
  if (std::isnan(X)) X = std::isnan(DefaultValue) ? 0.0f : DefaultValue;
  return X < MinValue ? MinValue : X > MaxValue ? MaxValue : X;
}

bool TControlledParameterSingle::LoadFromXML(const std::string& Text) {
  // Kept within the range: a number beyond it (an infinity above all) would
  // spread through the adjustments.
  SetValue(Limit(StrToFloatLeading(ScalarValueText(Text))));
  NotifyLoaded();
  return true;
}

TControlledParameterInteger::TControlledParameterInteger(TParameterList* List,
                                                         const std::string& Name, int32_t V)
    : TControlledParameter(List, Name) {
  SetValue(V);
}

void TControlledParameterInteger::SetValue(int32_t X) {
  if (X == Value) return;
  Value = X;
  NotifyChanged();
}

void TControlledParameterInteger::SaveToXML(std::string& Text) {
  Text = "<" + Name + ">" + std::to_string(Value) + "</" + Name + ">\n";
}

bool TControlledParameterInteger::LoadFromXML(const std::string& Text) {
  SetValue(Limit(StrToIntLeading(ScalarValueText(Text))));
  NotifyLoaded();
  return true;
}

// ---------------------------------------------------------------------------
// TSectionPreset

TSectionPreset::TSectionPreset(TParameterList* List, const std::string& SectionName)
    : TControlledParameter(List, SectionName), SectionName(SectionName) {}

TOwningParameterList::~TOwningParameterList() {
  // Last first; each parameter is taken out of the list (every occurrence of
  // it) before it is destroyed, so it is destroyed once and reports nothing.
  while (!FItems.empty()) {
    TControlledParameter* Child = FItems.back();
    FItems.erase(std::remove(FItems.begin(), FItems.end(), Child), FItems.end());
    if (Child == nullptr) continue;
    if (Child->Owner == this) Child->Owner = nullptr;
    delete Child;
  }
}

std::string TSectionPreset::GetXMLTag() const { return "tab section=\"" + SectionName + "\""; }

void TSectionPreset::SaveToXML(std::string& Text) {
  Text = "<" + GetXMLTag() + ">\n";
  for (int32_t I = 0; I < Children.Count(); ++I) {
    TControlledParameter* Child = Children.Get(I);
    if (Child == nullptr) continue;
    std::string ChildText;
    Child->SaveToXML(ChildText);
    Text += ChildText;
  }
  Text += "</tab>\n";
}

void TSectionPreset::SaveChildToXML(std::string& Text, TControlledParameter* Child) {
  Text = "<" + GetXMLTag() + ">\n";
  if (Child != nullptr) {
    std::string ChildText;
    Child->SaveToXML(ChildText);
    Text += ChildText;
  }
  Text += "</tab>\n";
}

bool TSectionPreset::LoadFromXML(const std::string& Text) {
  bool Result = true;
  if (Text.empty()) return Result;
  for (int32_t I = 0; I < Children.Count() && Result; ++I) {
    TControlledParameter* Child = Children.Get(I);
    if (Child == nullptr) continue;
    Result = Child->LoadFromXML(GetParameterElement(Text, Child->GetXMLTag()));
  }
  return Result;
}

void LimitParameterValues(TSectionPreset& Section) {
  for (int32_t I = 0; I < Section.GetCount(); ++I) {
    TControlledParameter* Child = Section.GetChild(I);
    if (Child == nullptr || Child->Isolate) continue;
    if (auto* Sub = dynamic_cast<TSectionPreset*>(Child)) {
      LimitParameterValues(*Sub);
    } else if (auto* S = dynamic_cast<TControlledParameterSingle*>(Child)) {
      const float V = S->Limited();
      if (!(V == S->Value)) S->SetValue(V);
    } else if (auto* N = dynamic_cast<TControlledParameterInteger*>(Child)) {
      if (N->Limited() != N->Value) N->SetValue(N->Limited());
    }
  }
}

}  // namespace kromel
