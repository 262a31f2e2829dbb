#include "foundation/file_name_list.h"

#include <cerrno>
#include <system_error>

#include "foundation/files.h"

namespace kromel {

void TFileNameList::AddFileNames(const TFileNameList& Other) {
  const TStrings Names = Other.ToStringList();  // Other may be this list
  for (const std::string& S : Names) Add(S);
}

void TFileNameList::SaveToFile(const std::string& FileName) const {
  const std::string Text = GetTextStr();
  TSafeFileWriter W(FileName);
  if (!W.Opened())
    throw std::system_error(W.ErrorCode() ? W.ErrorCode() : EIO, std::generic_category(),
                            "Cannot create file " + FileName);
  if (!W.Write(Text.data(), Text.size()) || !W.Commit())
    throw std::system_error(W.ErrorCode() ? W.ErrorCode() : EIO, std::generic_category(),
                            "Cannot write file " + FileName);
}

void TFileNameList::LoadFromFile(const std::string& FileName) {
  std::string Bytes;
  errno = 0;
  if (!LoadFileToString(FileName, Bytes))
    throw std::system_error(errno ? errno : EIO, std::generic_category(),
                            "Cannot read file " + FileName);
  SetTextUntilBlank(Bytes);
}

bool MessageDlgDontShowAgain(const std::string& Msg, TMsgDlgType DlgType, int32_t& ModalResult) {
  TCheckBoxQuestion Q;
  Q.Title = "Dialog Title";
  Q.Text = Msg;
  Q.DlgType = DlgType;
  Q.CheckBoxCaption = "Don't show me again.";
  Q.Height = 169;
  Q.CheckBoxTop = 121;
  Q.CheckBoxLeft = 8;
  Q.CheckBoxWidth = 200;
  const TCheckBoxAnswer A = PlatformAskYesNoCheckBox(Q);
  switch (A.Button) {
    case TPromptAnswer::Yes: ModalResult = mrYes; break;
    case TPromptAnswer::No: ModalResult = mrNo; break;
    case TPromptAnswer::OK: ModalResult = mrOk; break;
    case TPromptAnswer::Cancel:
    case TPromptAnswer::Closed: ModalResult = mrCancel; break;
  }
  return A.Checked;
}

}  // namespace kromel
