#include "session/window_shell.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "platform/translate.h"

namespace kromel {

std::string BuildCaption(const TCaptionState& S) {
  std::string C = ProductName;
  if (!S.ImageFileName.empty()) C += " - " + S.ImageFileName;
  if (!S.ImageProfileDescription.empty()) {
    C += " (" + S.ImageProfileDescription;
    if (S.ProfileDiscarded) C += _(" Discarded");
    C += ")";
  }
  if (S.PresetModified) C += "*";
  if (S.CMSDisabled)
    C += " !CMS DISABLED!";
  else if (S.WrongImageProfile)
    C += " !WRONG IMAGE PROFILE!";
  if (S.ExtendedHighlights) C += "(ExpH)";
  if (S.ClipWarnings) C += " (Clip warnings)";
  if (S.PluginConnected) {
    if (S.PluginImageOpen)
      C += " [Plug-in Connected: " + S.PluginDocumentName.substr(0, 255) + "/" +
           std::to_string(S.PluginDocumentNumber) + "]";
    else
      C += " [Plug-in Connected]";
  }
  if (S.Saving) C += " Saving...";
  return C;
}

int32_t NextPageIndex(const std::vector<std::string>& Captions, int32_t Index, bool Forward) {
  const int32_t Count = int32_t(Captions.size());
  if (Count == 0) return Index;
  int32_t I = std::clamp(Index, 0, Count - 1);
  for (int32_t Step = 0; Step < Count; ++Step) {
    I = Forward ? (I + 1) % Count : (I + Count - 1) % Count;
    if (!Captions[size_t(I)].empty()) return I;
  }
  return Index;
}

uint16_t ConvertShortcutToCmd(uint16_t ShortCut) {
  if ((ShortCut & 0x4000) == 0) return ShortCut;
  return uint16_t((ShortCut & 0xBFFF) | 0x1000);
}

std::string ControlValueName(const std::string& ControlName) {
  static const char* const Words[] = {"Edit",     "ComboBox",          "TrackBar",    "RadioGroup",
                                      "CheckBox", "DirectorySelector", "FileSelector"};
  auto Lower = [](std::string T) {
    for (char& Ch : T) Ch = char(std::tolower(static_cast<unsigned char>(Ch)));
    return T;
  };
  std::string Name = ControlName;
  for (const char* W : Words) {
    const std::string Word = Lower(W);
    for (;;) {
      const size_t P = Lower(Name).find(Word);
      if (P == std::string::npos) break;
      Name.erase(P, Word.size());
    }
  }
  return Name;
}

TWindowPlacement RestorePlacement(const TStoredPlacement& Stored, const TWindowPlacement& Current,
                                  int32_t ScreenWidth, int32_t ScreenHeight) {
  const int32_t W = ScreenWidth > 0 ? ScreenWidth : 1920;
  const int32_t H = ScreenHeight > 0 ? ScreenHeight : 800;
  TWindowPlacement P = Current;
  if (!Stored.Width) {
    // Never stored: centred on the screen.
    P.Left = (W - P.Width) / 2;
    P.Top = (H - P.Height) / 2;
  }
  if (Stored.Left) P.Left = std::min(*Stored.Left, W - 100);
  P.Top = std::max(15, Stored.Top ? *Stored.Top : P.Top);
  P.Width = std::min(Stored.Width ? *Stored.Width : P.Width, W);
  P.Height = std::min(Stored.Height ? *Stored.Height : P.Height, H - 40);
  return P;
}

TUpdateReply ParseUpdateReply(const std::string& Text) {
  TUpdateReply R;
  std::string T = Text;
  if (const size_t P = T.find('\xF8'); P != std::string::npos) T.erase(0, P + 1);
  // The reply must be a version number and nothing else: an error page
  // that starts with a status number is no version.
  const auto IsSpace = [](char Ch) { return std::isspace(static_cast<unsigned char>(Ch)) != 0; };
  while (!T.empty() && IsSpace(T.front())) T.erase(T.begin());
  while (!T.empty() && IsSpace(T.back())) T.pop_back();
  float V = 0;
  const auto [End, Error] = std::from_chars(T.data(), T.data() + T.size(), V);
  if (T.empty() || Error != std::errc() || End != T.data() + T.size() || !std::isfinite(V) ||
      T.find_first_not_of("0123456789.") != std::string::npos || V > 100.0f)
    return R;
  R.Version = V;
  R.NewVersion = V > 1.52001f;
  R.StoreCheckTime = V > 0.9f;
  return R;
}

}  // namespace kromel
