// TUndoRedoList: a linear history of whole states (each a block of bytes
// with a caption), bounded by a number of states and a total size, that
// always keeps its first (base) state. States after Current are redo states.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/byte_stream.h"

namespace kromel {

struct TUndoRecord {
  std::vector<uint8_t> Data;  // the state's own copy of its bytes
  int32_t Size = 0;
  std::string Caption;        // at most UndoCaptionMaxLength characters
};

constexpr int32_t UndoCaptionMaxLength = 255;

// The lines and selection of the history window's list box.
struct TUndoListBox {
  std::vector<std::string> Items;
  int32_t ItemIndex = -1;
};

class TUndoRedoList {
public:
  TUndoRedoList() = default;
  TUndoRedoList(const TUndoRedoList&) = delete;
  TUndoRedoList& operator=(const TUndoRedoList&) = delete;

  int32_t Current = 0;
  int32_t MaxCount = 100;          // applied when above 2
  int32_t KeepCount = 10;          // bounds how many states one trimming removes
  int32_t MaxMemory = 536870912;   // bytes of all states together (512 MiB)

  int32_t Count() const { return static_cast<int32_t>(FStates.size()); }
  // State Index (0 .. Count() - 1).
  const TUndoRecord& State(int32_t Index) const { return *FStates.at(size_t(Index)); }

  // Drops the redo states, appends a copy of the Size bytes at Data as the
  // new current state and trims the oldest states after the base state.
  // A negative Size records an empty state.
  void AddState(const void* Data, int32_t Size, const std::string& Caption);
  // Removes the state at Index (nothing for an index outside the list);
  // Current stays inside the list.
  void DeleteState(int32_t Index);

  bool CanUndo() const { return Current > 0; }
  bool CanRedo() const { return Current < Count() - 1; }
  std::string GetUndoCaption() const;
  std::string GetRedoCaption() const;
  // Caption = the step undone; the state before it into Stream.
  bool Undo(TMemoryStream& Stream, std::string& Caption);
  // Caption = the step redone; that state into Stream.
  bool Redo(TMemoryStream& Stream, std::string& Caption);
  // Index limited to the list; False only for an empty list.
  bool GoToState(int32_t Index, TMemoryStream& Stream);
  bool GetCurrentState(TMemoryStream& Stream) { return GoToState(Current, Stream); }
  bool GetLastState(TMemoryStream& Stream) { return GoToState(Count() - 1, Stream); }
  // The sum of all states' sizes (64-bit: no wrap at 2 GiB).
  int64_t GetTotalSize() const { return FTotalSize; }
  // One line per state with its caption; Current selected.
  void FillListBox(TUndoListBox& Box) const;

private:
  std::vector<std::unique_ptr<TUndoRecord>> FStates;
  int64_t FTotalSize = 0;
  // The state's bytes into Stream: its size set, the position kept (within
  // the new size).
  void CopyStateTo(int32_t Index, TMemoryStream& Stream) const;
};

}  // namespace kromel
