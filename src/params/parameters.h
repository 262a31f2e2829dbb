// Named preset parameters, the list they register in, and sections: a
// section is a parameter that owns child parameters and writes them between
// "<tab section=...>" and "</tab>".
#pragma once
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "params/notify_event.h"

namespace kromel {

class TControlledParameter;

// Registration order list of parameters; it owns none of them. Parameters
// still registered when the list goes away are told to forget it.
class TParameterList {
public:
  TParameterList() = default;
  ~TParameterList();
  TParameterList(const TParameterList&) = delete;
  TParameterList& operator=(const TParameterList&) = delete;

  // Appends P (duplicates are not checked).
  void RegisterParameter(TControlledParameter* P);
  // Inserts P before Index (0..Count, clamped; duplicates are not checked).
  void InsertParameter(int32_t Index, TControlledParameter* P);
  // Removes the first occurrence of P; reports when P is not in the list.
  void UnregisterParameter(TControlledParameter* P);
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  // The parameter at Index (0-based), nullptr outside the list.
  TControlledParameter* Get(int32_t Index) const;
  bool Contains(const TControlledParameter* P) const;

protected:
  std::vector<TControlledParameter*> FItems;
};

// A list that owns what registers in it (created with new): it destroys its
// parameters, last first, when it goes; one deleted earlier has already left.
class TOwningParameterList : public TParameterList {
public:
  TOwningParameterList() = default;
  ~TOwningParameterList();
};

class TControlledParameter {
public:
  // Registers in List when one is given.
  TControlledParameter(TParameterList* List, const std::string& Name);
  virtual ~TControlledParameter();
  TControlledParameter(const TControlledParameter&) = delete;
  TControlledParameter& operator=(const TControlledParameter&) = delete;

  const std::string Name;
  TParameterList* Owner = nullptr;
  bool Isolate = false;
  int32_t ChangeDepth = 0;
  TNotifyEvent OnChange;

  virtual void SetIsolate(bool Value);
  // The element's start tag without the angle brackets.
  virtual std::string GetXMLTag() const;
  // Text = the whole element, ending with a line feed.
  virtual void SaveToXML(std::string& Text) = 0;
  // Reads the parameter from its element's text; True on success.
  virtual bool LoadFromXML(const std::string& Text) = 0;

protected:
  // Steps 3 and 4 of the change rule, after a new value was stored.
  void NotifyChanged();
  // The unguarded notification of a load.
  void NotifyLoaded();
};

class TControlledParameterSingle : public TControlledParameter {
public:
  TControlledParameterSingle(TParameterList* List, const std::string& Name, float Default);

  float Value = 0;
  float DefaultValue = 0;
  // The range of the control bound to it; the loaders keep the value in it
  // and the units read it limited to it.
  float MinValue = -std::numeric_limits<float>::max();
  float MaxValue = std::numeric_limits<float>::max();

  void SetRange(float Min, float Max) {
    MinValue = Min;
    MaxValue = Max;
  }
  // X within MinValue..MaxValue; a NaN gives DefaultValue (itself limited).
  float Limit(float X) const;
  // Value limited to the range.
  float Limited() const { return Limit(Value); }

  // Stores X and notifies when X differs from Value (a NaN always differs).
  void SetValue(float X);
  // Stores X when it differs; never notifies.
  void SetValueSilent(float X);
  void SaveToXML(std::string& Text) override;
  bool LoadFromXML(const std::string& Text) override;
};

class TControlledParameterInteger : public TControlledParameter {
public:
  TControlledParameterInteger(TParameterList* List, const std::string& Name, int32_t Value);

  int32_t Value = 0;
  // The range of the control bound to it (a switch 0..1, a selector 0..its
  // positions - 1); the loaders keep the value in it and the units read it
  // limited to it.
  int32_t MinValue = std::numeric_limits<int32_t>::min();
  int32_t MaxValue = std::numeric_limits<int32_t>::max();

  void SetRange(int32_t Min, int32_t Max) {
    MinValue = Min;
    MaxValue = Max;
  }
  int32_t Limit(int32_t X) const { return X < MinValue ? MinValue : X > MaxValue ? MaxValue : X; }
  int32_t Limited() const { return Limit(Value); }

  void SetValue(int32_t X);
  bool GetAsBoolean() const { return Value > 0; }
  void SetAsBoolean(bool B) { SetValue(B ? 1 : 0); }
  void SaveToXML(std::string& Text) override;
  bool LoadFromXML(const std::string& Text) override;
};

// A section: a parameter whose Children list owns the child parameters.
class TSectionPreset : public TControlledParameter {
public:
  TSectionPreset(TParameterList* List, const std::string& SectionName);
  const std::string SectionName;
  TOwningParameterList Children;

  int32_t GetCount() const { return Children.Count(); }
  TControlledParameter* GetChild(int32_t Index) const { return Children.Get(Index); }

  std::string GetXMLTag() const override;
  void SaveToXML(std::string& Text) override;
  // The section's element with only Child inside.
  void SaveChildToXML(std::string& Text, TControlledParameter* Child);
  bool LoadFromXML(const std::string& Text) override;
};

// Every single and integer below Section (sections included) that is not
// isolated and lies outside its range set to its limited value, through the
// change rule.
void LimitParameterValues(TSectionPreset& Section);

// True when Text holds the start tag "<" + Tag at At, ended there by ">", a
// blank or "/": "<Blend" is not the start of "<BlendingMode>".
bool IsStartTagAt(const std::string& Text, size_t At, const std::string& Tag);
// The element whose start tag "<" + Tag is at At, through the first following
// end tag "</" + the tag's first word + ">"; empty when there is none.
std::string ElementAt(const std::string& Text, size_t At, const std::string& Tag);
// The first element of Text whose start tag is exactly Tag (attributes may
// follow it); empty when there is none.
std::string GetParameterElement(const std::string& Text, const std::string& Tag);

// The six-decimal text of a Single as the text form writes it ("0.500000",
// "-0.250000"), "." whatever the locale.
std::string ParameterSingleToText(float X);

}  // namespace kromel
