// The session's side of the host plug-in link: the link opened by "/PLUGIN",
// the frames it hands over becoming the work image, every finished LUT going
// back to the plug-in and Apply writing the preset file the plug-in picks up.
// Main thread only; the calculator reaches it through LUTCalculationFinished,
// which runs on the main thread.
#pragma once
#include <string>

#include "fileio/plugin_link.h"

namespace kromel {

class TKromelSession;

// The send switch's caption and hint in plug-in mode.
std::string PluginSendCaption();
inline constexpr char PluginSendHint[] = "Send preset to Kromel Plug-In";

class TSessionPlugin : public TPluginHost {
public:
  // Folder empty: the per-user temporary folder.
  explicit TSessionPlugin(TKromelSession& Session, std::string Folder = {});
  // Unmaps both files.
  ~TSessionPlugin() override;
  TSessionPlugin(const TSessionPlugin&) = delete;
  TSessionPlugin& operator=(const TSessionPlugin&) = delete;

  // Opens the LUT file (messages on), the image file and loads the waiting
  // frame, stopping at the first failure; true (plug-in mode) when all three
  // succeeded. What an earlier step mapped stays mapped.
  bool Connect();
  // The window's 200 ms timer: loads a frame the plug-in has put waiting.
  void TimerTick();
  // A calculation finished: the main LUT goes to the LUT file, unless the
  // preferences ask for modal plug-in mode.
  void LutCalculated();
  // The Apply command: writes the preset file for the plug-in; on failure
  // shows "Failed to send LUT Preset to Plug-in". True: the window closes.
  bool Apply();
  // The caption's plug-in part ("*" while the preset is not sent).
  std::string CaptionText() const { return Link.CaptionText(PresetSent); }

  bool PluginMode = false;
  bool PresetSent = false;
  TKromelPluginLink Link;

  // TPluginHost
  bool RendererBlock() override;
  void RendererCreate() override;
  void SourceImageReplaced(TImage64& Image) override;
  void UpdateImage() override;
  bool SavePresetToFile(const std::string& FileName) override;
  void SetPresetSent() override;

private:
  TKromelSession& FSession;
};

}  // namespace kromel
