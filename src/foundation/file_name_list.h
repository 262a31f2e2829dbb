// A list of file names (8-bit texts, UTF-8 here), each with an object pointer
// the list does not own, without change notifications; and the Yes/No
// message dialog with a "Don't show me again." check box.
#pragma once
#include <cstdint>
#include <string>

#include "foundation/wide_string_list.h"
#include "platform/prompt.h"

namespace kromel {

class TFileNameList : private TWideStringList {
public:
  TFileNameList() = default;

  using TWideStringList::Add;
  using TWideStringList::AddObject;
  using TWideStringList::AddStrings;
  using TWideStringList::AssignToStrings;
  using TWideStringList::Clear;
  using TWideStringList::Delete;
  using TWideStringList::Get;
  using TWideStringList::GetCapacity;
  using TWideStringList::GetCount;
  using TWideStringList::GetObject;
  using TWideStringList::GetTextStr;
  using TWideStringList::Grow;
  using TWideStringList::IndexOf;
  using TWideStringList::Insert;
  using TWideStringList::InsertItem;
  using TWideStringList::InsertObject;
  using TWideStringList::Put;
  using TWideStringList::PutObject;
  using TWideStringList::SetCapacity;
  using TWideStringList::SetStrings;
  using TWideStringList::SetTextUntilBlank;
  using TWideStringList::ToStringList;

  // Adds each name of Other (which may be this list).
  void AddFileNames(const TFileNameList& Other);
  // Writes the bytes of GetTextStr (each name and an LF) through a temporary
  // file; throws std::system_error when the file cannot be written.
  void SaveToFile(const std::string& FileName) const;
  // Reads that form back (opened read-only), up to the first empty line;
  // throws std::system_error with the list unchanged when it cannot be read.
  void LoadFromFile(const std::string& FileName);
};

// Modal results of the component library's dialogs.
constexpr int32_t mrNone = 0;
constexpr int32_t mrOk = 1;
constexpr int32_t mrCancel = 2;
constexpr int32_t mrYes = 6;
constexpr int32_t mrNo = 7;

// Asks Msg (shown as given; the caller translates it) with Yes and No and an
// unticked "Don't show me again." box. ModalResult gets mrYes, mrNo, or
// mrCancel for a dialog closed otherwise; the result is the box's state.
bool MessageDlgDontShowAgain(const std::string& Msg, TMsgDlgType DlgType, int32_t& ModalResult);

}  // namespace kromel
