#include "controls/controller.h"

#include <cmath>
#include <cstring>
#include <exception>

#include "lut/lut_chunks.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

constexpr char CtrVTag[4] = {'C', 't', 'r', 'V'};
constexpr char MCtrTag[4] = {'M', 'C', 't', 'r'};
constexpr uint32_t NoValueBits = 0xFFC00000u;

const char* const CtrVError = "Error loading controller values from stream - Preset is probably corrupt!";
const char* const MCtrError = "Error loading controllers from stream - Preset is probably corrupt!";

struct TLockGuard {
  int32_t& Lock;
  explicit TLockGuard(int32_t& L) : Lock(L) { ++Lock; }
  ~TLockGuard() { --Lock; }
};

// Reads tag, then the 32-bit field after it; on a wrong tag or a short
// stream puts the stream back and shows Message.
bool ReadChunkHead(TByteStream& Stream, const char Tag[4], int32_t& Field, const char* Message) {
  const int64_t Start = Stream.Position();
  char Got[4];
  if (ReadChunkTag(Stream, Got) && std::memcmp(Got, Tag, 4) == 0 && ReadChunkInt32(Stream, Field))
    return true;
  Stream.SetPosition(Start);
  PlatformShowMessage(Message);
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// TControlNode, TController

TControlNode::TControlNode(std::string Name, std::string Caption)
    : Name(std::move(Name)), Caption(std::move(Caption)) {}

TController::TController(std::string Name, std::string Caption)
    : TControlNode(std::move(Name), std::move(Caption)) {}

TController::~TController() {
  DisconnectFromParameter();
  if (ControllersArray == nullptr) return;
  for (TController*& Slot : ControllersArray->Controllers)
    if (Slot == this) Slot = nullptr;
}

void TController::WriteParameterSingle(float Value) {
  auto* P = dynamic_cast<TControlledParameterSingle*>(Parameter);
  if (P == nullptr) return;
  TLockGuard Lock(ParameterLock);
  P->SetValue(Value);
}

void TController::WriteParameterInteger(int32_t Value) {
  auto* P = dynamic_cast<TControlledParameterInteger*>(Parameter);
  if (P == nullptr) return;
  TLockGuard Lock(ParameterLock);
  P->SetValue(Value);
}

float TController::GetControllerValueS() {
  return ControllersCount > 1 ? GetSubControllerValueS(0) : -1.0f;
}

void TController::SetControllerValueS(float Value) {
  WriteParameterSingle(Value);
  if (ControllersCount > 1) SetSubControllerValueS(0, Value);
}

void TController::SetControllerNumber(int32_t Value) {
  if (ControllersArray != nullptr && FControllerNumber > 0 &&
      ControllersArray->At(FControllerNumber) == this)
    ControllersArray->Controllers[static_cast<size_t>(FControllerNumber)] = nullptr;
  FControllerNumber = Value;
  if (ControllersArray != nullptr && TControllersArray::ValidNumber(Value))
    ControllersArray->Controllers[static_cast<size_t>(Value)] = this;
}

void TController::SetControllersArray(TControllersArray* Registry) {
  if (FControllerNumber == 0) return;
  if (Registry != nullptr) {
    // A number without a slot is not registered.
    if (!TControllersArray::ValidNumber(FControllerNumber)) return;
    TController* Other = Registry->At(FControllerNumber);
    if (Other != nullptr && Other != this) {
      PlatformShowMessage("TController: Can't register " + Name + " (" + ClassName() +
                          ") in ControllersArray: Controller " + std::to_string(FControllerNumber) +
                          " already registered for " + Other->Name + " (" + Other->Caption + ")");
      return;
    }
  }
  // A control leaving a registry takes its slots along, so that the
  // registry never keeps a control that is destroyed later.
  if (ControllersArray != nullptr && ControllersArray != Registry)
    for (TController*& Slot : ControllersArray->Controllers)
      if (Slot == this) Slot = nullptr;
  ControllersArray = Registry;
  if (Registry != nullptr) Registry->Controllers[static_cast<size_t>(FControllerNumber)] = this;
}

bool TController::GetIsolate() const {
  return Isolate || (Parameter != nullptr && Parameter->Isolate);
}

int32_t TController::GetControllerOffset() const {
  return ControllersArray != nullptr ? ControllersArray->Offset : 0;
}

void TController::ConnectToParameter(TControlledParameter* P) {
  if (P == nullptr) return;
  Parameter = P;
  P->OnChange = [this](void* Sender) { ParameterChange(Sender); };
  if (auto* S = dynamic_cast<TControlledParameterSingle*>(P))
    S->SetValue(GetControllerValueS());
  else if (auto* I = dynamic_cast<TControlledParameterInteger*>(P))
    I->SetValue(GetControllerValue());
}

void TController::DisconnectFromParameter() {
  if (Parameter != nullptr) Parameter->OnChange = nullptr;
  Parameter = nullptr;
}

void TController::ParameterChange(void* Sender) {
  (void)Sender;
  if (Parameter == nullptr) return;
  if (auto* S = dynamic_cast<TControlledParameterSingle*>(Parameter))
    SetControllerValueS(S->Value);
  else if (auto* I = dynamic_cast<TControlledParameterInteger*>(Parameter))
    SetControllerValue(I->Value);
}

// ---------------------------------------------------------------------------
// TControllersArray

TControllersArray::TControllersArray() = default;

TControllersArray::~TControllersArray() {
  for (TController*& Slot : Controllers) {
    if (Slot == nullptr) continue;
    TController* C = Slot;
    Slot = nullptr;
    if (C->ControllersArray == this) C->ControllersArray = nullptr;
  }
}

TController* TControllersArray::At(int32_t Number) const {
  return ValidNumber(Number) ? Controllers[static_cast<size_t>(Number)] : nullptr;
}

TController* TControllersArray::OwnerOf(int32_t Number, int32_t& Sub) const {
  Sub = 0;
  if (!ValidNumber(Number)) return nullptr;
  if (TController* C = Controllers[static_cast<size_t>(Number)]) return C;
  int32_t J = Number;
  while (J > 1 && Controllers[static_cast<size_t>(J)] == nullptr) --J;
  TController* C = Controllers[static_cast<size_t>(J)];
  if (C == nullptr || Number >= J + C->ControllersCount) return nullptr;
  Sub = Number - J;
  return C;
}

void TControllersArray::RegisterControls(TControlNode& Container) {
  for (TControlNode* Child : Container.Children) {
    if (Child == nullptr) continue;
    if (auto* C = dynamic_cast<TController*>(Child)) C->SetControllersArray(this);
    RegisterControls(*Child);
  }
}

void TControllersArray::SetControllerValueS(int32_t Number, float Value) {
  if (TController* C = At(Number)) C->SetControllerValueS(Value);
}

void TControllersArray::SetControllerValueSSilent(int32_t Number, float Value) {
  try {
    int32_t Sub = 0;
    TController* C = OwnerOf(Number, Sub);
    if (C == nullptr || C->GetIsolate()) return;
    if (Sub == 0 && C->ControllersCount == 1)
      C->SetControllerValueSSilent(Value);
    else
      C->SetSubControllerValueS(Sub, Value);
  } catch (const std::exception&) {
    PlatformShowMessage("SetControllerValueSSilentBug");
  }
}

void TControllersArray::SetControllerValue(int32_t Number, int32_t Value) {
  if (TController* C = At(Number)) C->SetControllerValue(Value);
}

int32_t TControllersArray::GetUsedCount() const {
  for (int32_t I = TController::MaxControllers - 1; I >= 1; --I)
    if (Controllers[static_cast<size_t>(I)] != nullptr) return I + 1;
  return 1;
}

float TControllersArray::SavedValue(int32_t Number) const {
  int32_t Sub = 0;
  TController* C = OwnerOf(Number, Sub);
  if (C != nullptr) {
    if (Sub == 0 && C->ControllersCount == 1) return C->GetControllerValueS();
    return C->GetSubControllerValueS(Sub);
  }
  float NoValue;
  std::memcpy(&NoValue, &NoValueBits, 4);
  return NoValue;
}

void TControllersArray::SaveValuesToStream(TByteStream& Stream) const {
  const int32_t Count = GetUsedCount();
  std::vector<float> Values(static_cast<size_t>(Count));
  for (int32_t I = 0; I < Count; ++I) Values[static_cast<size_t>(I)] = SavedValue(I);
  WriteChunkTag(Stream, CtrVTag);
  WriteChunkInt32(Stream, 4 + 4 * Count);
  WriteChunkInt32(Stream, Count);
  WriteChunkSingles(Stream, Values.data(), Count);
}

bool TControllersArray::LoadValuesFromStream(TByteStream& Stream) {
  ControllerMap.fill(0);
  const int64_t Start = Stream.Position();
  int32_t Size = 0;
  if (!ReadChunkHead(Stream, CtrVTag, Size, CtrVError)) return false;
  int32_t Count = 0;
  // The size covers the count and its values, and lies within the stream.
  const bool Fits = Size >= 4 && int64_t{Size} <= Stream.Size() - Start - 8 &&
                    ReadChunkInt32(Stream, Count) && Count >= 0 &&
                    int64_t{Count} <= (int64_t{Size} - 4) / 4;
  std::vector<float> Values;
  if (Fits) {
    Values.resize(static_cast<size_t>(Count));
    if (ReadChunkSingles(Stream, Values.data(), Count)) {
      for (const auto& [Former, Current] : FormerNumbers) {
        int32_t Sub = 0;
        if (Former < 0 || Former >= Count || Current < 0 || Current >= Count ||
            OwnerOf(Former, Sub) != nullptr)
          continue;
        float& To = Values[static_cast<size_t>(Current)];
        const float From = Values[static_cast<size_t>(Former)];
        if (std::isnan(To) && !std::isnan(From)) To = From;
      }
      for (int32_t I = 0; I < Count && I < TController::MaxControllers; ++I) {
        const float V = Values[static_cast<size_t>(I)];
        if (std::isnan(V)) continue;
        int32_t Sub = 0;
        TController* C = OwnerOf(I, Sub);
        if (C == nullptr || C->GetIsolate()) continue;
        if (Sub == 0) {
          C->LoadedValue = V;
          C->SetControllerValueS(V);
        } else {
          C->SetSubControllerValueS(Sub, V);
        }
      }
      Stream.SetPosition(Start + 8 + Size);
      return true;
    }
  }
  Stream.SetPosition(Start);
  PlatformShowMessage(CtrVError);
  return false;
}

void TControllersArray::SaveControllerMapToStream(TByteStream& Stream) const {
  WriteChunkTag(Stream, MCtrTag);
  WriteChunkInt32(Stream, TController::MaxControllers);
  for (int32_t I = 0; I < TController::MaxControllers; ++I)
    WriteChunkInt32(Stream, ControllerMap[static_cast<size_t>(I)]);
}

bool TControllersArray::LoadControllerMapFromStream(TByteStream& Stream) {
  ControllerMap.fill(0);
  const int64_t Start = Stream.Position();
  int32_t Count = 0;
  if (!ReadChunkHead(Stream, MCtrTag, Count, MCtrError)) return false;
  if (Count < 0 || int64_t{Count} * 4 > Stream.Size() - Start - 8) {
    Stream.SetPosition(Start);
    PlatformShowMessage(MCtrError);
    return false;
  }
  for (int32_t I = 0; I < Count; ++I) {
    int32_t E = 0;
    ReadChunkInt32(Stream, E);
    // Entries without an index slot are left out of the map.
    if (I < TController::MaxControllers && E >= 1 && E < MapIndexSize)
      ControllerMap[static_cast<size_t>(I)] = E;
  }
  Stream.SetPosition(Start + 8 + int64_t{Count} * 4);
  BuildControllerMapIndex();
  return true;
}

void TControllersArray::BuildControllerMapIndex() {
  ControllerMapIndex.fill(0);
  for (int32_t I = 0; I < TController::MaxControllers; ++I) {
    const int32_t E = ControllerMap[static_cast<size_t>(I)];
    if (E >= 1 && E < MapIndexSize) ControllerMapIndex[static_cast<size_t>(E)] = I;
  }
}

void TControllersArray::ApplyMappedControl(int32_t External, int32_t Value) {
  for (int32_t I = 0; I < TController::MaxControllers; ++I) {
    TController* C = Controllers[static_cast<size_t>(I)];
    if (C != nullptr && ControllerMap[static_cast<size_t>(I)] == External)
      C->SetControllerValueS(static_cast<float>(Value) / 127.0f);
  }
}

void TControllersArray::DumpToText(std::string& Text) const {
  Text.clear();
  for (int32_t I = 0; I < TController::MaxControllers; ++I) {
    const TController* C = Controllers[static_cast<size_t>(I)];
    if (C == nullptr) continue;
    Text += std::to_string(I);
    if (C->ControllersCount > 1) Text += ".." + std::to_string(I + C->ControllersCount - 1);
    Text += ":" + C->Name + "(" + C->Caption + ")\t";
    if (I % 5 == 4) Text += "\n\r";
  }
}

// ---------------------------------------------------------------------------
// Isolation walkers

namespace {

void IsolateTree(TControlNode& Container, bool Value, bool DeeperValue) {
  for (TControlNode* Child : Container.Children) {
    if (Child == nullptr) continue;
    Child->ApplyIsolate(Value);
    IsolateTree(*Child, DeeperValue, DeeperValue);
  }
}

}  // namespace

void SetControlsIsolate(TControlNode& Container, bool Value) { IsolateTree(Container, Value, false); }

void ClearControlsIsolate(TControlNode& Container) { IsolateTree(Container, false, false); }

}  // namespace kromel
