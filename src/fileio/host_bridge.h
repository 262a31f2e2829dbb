// The bridge to the image editor and compositor hosts: AppleScript files run
// with "osascript" that have the host run JavaScript, a flag file for the
// image export, and the LUT as an ICC v4 device-link profile placed in a
// colour-lookup adjustment layer. Every script and exchange file lives in a
// private folder of this process (created with mkdtemp, removed at exit);
// every value put into a script is escaped. Where "osascript" cannot run,
// running a script reports that the host application is not available and
// returns false.
#pragma once
#include <cstdint>
#include <string>

#include "lut/lut.h"

namespace kromel {

// The application named in every Photoshop "tell application" line.
extern std::string PhotoshopAppName;

inline constexpr char BridgeAppleScriptName[] = "Kromel.AppleScript";
inline constexpr char BridgeJavascriptName[] = "Kromel.jsx";
inline constexpr char BridgeTiffImageName[] = "KromelImage.tif";
inline constexpr char BridgePngImageName[] = "KromelImage.png";
inline constexpr char BridgeFlagFileName[] = "KromelFlag.txt";

// The private folder (no trailing slash); empty when it cannot be made.
std::string BridgeFolder();
// BridgeFolder() + "/" + Name.
std::string BridgeFilePath(const std::string& Name);

// Text for a double-quoted AppleScript or JavaScript literal: every "\"
// and """ preceded by "\".
std::string EscapeQuotedText(const std::string& Text);

// The script texts, one line per item each ended by LF.
std::string PhotoshopDeleteActionSetJavascript(const std::string& ActionSetName);
std::string PhotoshopTellJavascriptText(const std::string& App, const std::string& Script);
std::string PhotoshopRunJavascriptText(const std::string& App, const std::string& Script);
std::string PhotoshopSaveDocumentAsTIFFText(const std::string& App, const std::string& FileName);
std::string PhotoshopRunJavascriptFileText(const std::string& App, const std::string& JsxPath);
std::string AfterEffectsRunJavascriptText(const std::string& App, const std::string& JsxPath);
// The frame-export JavaScript for PngFileName.
std::string AfterEffectsSaveFrameJavascript(const std::string& PngFileName);
// The Photoshop image-export JavaScript (WithAlpha: the selection or layer
// mask as an alpha channel) for the image and flag files.
std::string PhotoshopImageExportJavascript(bool WithAlpha, const std::string& ImageFileName,
                                           const std::string& FlagFileName);
extern const char PhotoshopMakeAdjustmentLayerScript[];

// Operations: each writes its files and runs the AppleScript; false when a
// file cannot be written or the host is not available.
bool PhotoshopDeleteActionSet(const std::string& ActionSetName);
bool PhotoshopRunJavascript(const std::string& Script);
bool PhotoshopMakeAdjustmentLayer();
bool PhotoshopSaveDocumentAsTIFF(const std::string& FileName);
bool PhotoshopRunJavascriptFile(const std::string& App, const std::string& Script);
bool AfterEffectsRunJavascript(const std::string& App, const std::string& Script);
bool AfterEffectsSaveFrameToPng(const std::string& App, const std::string& PngFileName);
bool PhotoshopAddLUTLayer(const std::string& App, const std::string& LutName, int32_t N,
                          const std::string& LutData, const std::string& ImageFileName,
                          bool CleanUp);

// The LUT-layer script for an N-level LUT (N 2..255); empty when N <= 1.
std::string BuildPhotoshopLUTScript(int32_t N, const std::string& LutName,
                                    const std::string& LutData, bool CleanUp);
// The ICC device-link profile of the LUT-layer script as its byte list text.
std::string PhotoshopDeviceLinkByteList(int32_t N, const std::string& LutData);
// The LUT's nodes as the device link's table: 16-bit big-endian R, G, B
// per node, the first input channel slowest, each byte followed by ", ".
// Empty for a LUT that is not cubic or has more than 255 levels.
std::string PhotoshopLutDataText(const T3DLut& Lut);

// Four (two) bytes as decimals, most significant first, joined by ", ".
std::string Int32ToByteListText(int32_t Value);
std::string Int16ToByteListText(uint16_t Value);

// Creates (or empties) the file, never through a link; true when it exists.
bool CanCreateFile(const std::string& FileName);
// Sleeps 100 ms steps, at most Seconds * 10; true when the file went (came)
// in time.
bool WaitWhileFileExists(const std::string& FileName, int32_t Seconds);
bool WaitForFileToAppear(const std::string& FileName, int32_t Seconds);

}  // namespace kromel
