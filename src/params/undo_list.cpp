#include "params/undo_list.h"

#include <algorithm>
#include <cstring>

#include "foundation/utf16.h"

namespace kromel {

namespace {

// Text cut to Max characters (code points), never inside one.
std::string CutCaption(const std::string& Text, int32_t Max) {
  int32_t Characters = 0;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (IsContinuationByte(Text[I])) continue;
    if (Characters == Max) return Text.substr(0, I);
    ++Characters;
  }
  return Text;
}

}  // namespace

void TUndoRedoList::AddState(const void* Data, int32_t Size, const std::string& Caption) {
  while (Current < Count() - 1) DeleteState(Current + 1);

  auto Record = std::make_unique<TUndoRecord>();
  Record->Size = std::max(Size, 0);
  if (Record->Size > 0 && Data != nullptr) {
    const auto* Bytes = static_cast<const uint8_t*>(Data);
    Record->Data.assign(Bytes, Bytes + Record->Size);
  } else {
    Record->Size = 0;
  }
  Record->Caption = CutCaption(Caption, UndoCaptionMaxLength);
  FTotalSize += Record->Size;
  FStates.push_back(std::move(Record));

  // Removes at most n + 1 states; nothing while fewer than KeepCount.
  const int32_t N = Count() - KeepCount;
  for (int32_t I = 0; N >= 0 && I <= N; ++I)
    if ((MaxCount > 2 && Count() > MaxCount) || GetTotalSize() > MaxMemory) DeleteState(1);
  Current = Count() - 1;
}

void TUndoRedoList::DeleteState(int32_t Index) {
  if (Index < 0 || Index >= Count()) return;
  FTotalSize -= FStates[size_t(Index)]->Size;
  FStates.erase(FStates.begin() + Index);
  Current = std::clamp(Current, 0, std::max(Count() - 1, 0));
}

std::string TUndoRedoList::GetUndoCaption() const {
  if (Count() > 0 && Current > 0 && Current <= Count() - 1) return State(Current).Caption;
  return {};
}

std::string TUndoRedoList::GetRedoCaption() const {
  if (Count() > 0 && Current >= 0 && Current < Count() - 1) return State(Current + 1).Caption;
  return {};
}

bool TUndoRedoList::Undo(TMemoryStream& Stream, std::string& Caption) {
  if (Current <= 0 || Current >= Count()) return false;
  Caption = State(Current).Caption;
  --Current;
  CopyStateTo(Current, Stream);
  return true;
}

bool TUndoRedoList::Redo(TMemoryStream& Stream, std::string& Caption) {
  if (Current < 0 || Current >= Count() - 1) return false;
  ++Current;
  Caption = State(Current).Caption;
  CopyStateTo(Current, Stream);
  return true;
}

bool TUndoRedoList::GoToState(int32_t Index, TMemoryStream& Stream) {
  if (Count() == 0) return false;
  Index = std::clamp(Index, 0, Count() - 1);
  CopyStateTo(Index, Stream);
  Current = Index;
  return true;
}

void TUndoRedoList::FillListBox(TUndoListBox& Box) const {
  const size_t N = FStates.size();
  if (Box.Items.size() > N) Box.Items.resize(N);
  for (size_t I = 0; I < N; ++I) {
    if (I < Box.Items.size())
      Box.Items[I] = FStates[I]->Caption;
    else
      Box.Items.push_back(FStates[I]->Caption);
  }
  if (!Box.Items.empty() && Box.ItemIndex != Current) Box.ItemIndex = Current;
}

void TUndoRedoList::CopyStateTo(int32_t Index, TMemoryStream& Stream) const {
  const TUndoRecord& R = State(Index);
  const int64_t Keep = Stream.Position();
  Stream.SetSize(R.Size);
  Stream.SetPosition(0);
  if (R.Size > 0) Stream.WriteBuffer(R.Data.data(), R.Size);
  Stream.SetPosition(std::min<int64_t>(Keep, R.Size));
}

}  // namespace kromel
