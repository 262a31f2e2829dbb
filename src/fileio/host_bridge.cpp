#include "fileio/host_bridge.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/platform_helpers.h"
#include "platform/folders.h"
#include "platform/message_sink.h"

namespace kromel {

std::string PhotoshopAppName;

namespace {

const std::string Q = "\"";

std::string ReplaceAll(std::string S, const std::string& From, const std::string& To) {
  for (size_t P = 0; (P = S.find(From, P)) != std::string::npos; P += To.size())
    S.replace(P, From.size(), To);
  return S;
}

std::string ReplaceFirst(std::string S, const std::string& From, const std::string& To) {
  const size_t P = S.find(From);
  if (P != std::string::npos) S.replace(P, From.size(), To);
  return S;
}

// Every occurrence, the placeholder matched in any case.
std::string ReplaceAllIgnoringCase(const std::string& S, const std::string& From,
                                   const std::string& To) {
  auto Lower = [](std::string T) {
    for (char& C : T)
      if (C >= 'A' && C <= 'Z') C = char(C + 32);
    return T;
  };
  const std::string L = Lower(S), F = Lower(From);
  std::string Out;
  size_t Start = 0;
  for (size_t P; (P = L.find(F, Start)) != std::string::npos; Start = P + F.size())
    Out += S.substr(Start, P - Start) + To;
  return Out + S.substr(Start);
}

std::string Lines(std::initializer_list<std::string> Items) {
  std::string Text;
  for (const std::string& L : Items) Text += L + "\n";
  return Text;
}

// Writes Text to a fresh file of the private folder: the old one is
// removed and the new one created exclusively, never through a link.
bool WriteBridgeFile(const std::string& Path, const std::string& Text) {
  if (BridgeFolder().empty()) return false;
  ::unlink(Path.c_str());
  const int Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (Fd < 0) return false;
  const bool Ok = WriteBlockWithRetry(Fd, Text.data(), int32_t(Text.size()));
  return (::close(Fd) == 0) && Ok;
}

// Writes the AppleScript and runs it with osascript.
bool RunAppleScript(const std::string& App, const std::string& Script) {
  const std::string Path = BridgeFilePath(BridgeAppleScriptName);
  if (!WriteBridgeFile(Path, Script)) {
    PlatformShowMessage("Failed to create " + Path);
    return false;
  }
  if (RunProcessAndWait("osascript", {Path}) < 0) {
    PlatformShowMessage("The host application " + App +
                        " is not available: osascript can not be run on this system");
    return false;
  }
  return true;
}

void DeleteFile(const std::string& FileName) { ::unlink(FileName.c_str()); }

bool WaitForFileState(const std::string& FileName, int32_t Seconds, bool Present) {
  int32_t Counter = Seconds * 10;
  do {
    --Counter;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (Counter > 0 && (::access(FileName.c_str(), F_OK) == 0) != Present);
  return Counter > 0;
}

// Byte-list pieces of the device link.
std::string Bytes(std::initializer_list<int> Values) {
  std::string T;
  for (int V : Values) T += std::to_string(V) + ", ";
  return T;
}
std::string Sig(const char* S) { return Bytes({S[0], S[1], S[2], S[3]}); }
std::string Zeros(int Count) {
  std::string T;
  for (int I = 0; I < Count; ++I) T += "0, ";
  return T;
}
std::string U32(uint32_t V) { return Int32ToByteListText(int32_t(V)) + ", "; }
// A multi-localised text of one en-US record.
std::string Mluc(const std::string& Text) {
  std::string T = Sig("mluc") + Zeros(4) + U32(1) + U32(12) + Sig("enUS") +
                  U32(uint32_t(Text.size() * 2)) + U32(28);
  for (char C : Text) T += Bytes({0, C});
  return T;
}
std::string EmptyCurve() { return Sig("curv") + Zeros(8); }

// The profile up to the table data: header, tag table, "desc", "cprt",
// "pseq" and the "mAB " tag up to its grid points.
std::string ProfileHead() {
  std::string T = "#chunkSize, " + Sig("ADBE") + Bytes({4, 0, 0, 0}) + Sig("link") + Sig("RGB ") +
                  Sig("RGB ") + Bytes({7, 222, 0, 3, 0, 30, 0, 17, 0, 21, 0, 20}) + Sig("acsp") +
                  Sig("APPL") + Zeros(24) + U32(0xF6D6) + U32(0x10000) + U32(0xD32D) +
                  Sig("ADBE") +
                  Bytes({75, 82, 77, 76, 85, 84, 50, 53, 116, 46, 51, 100, 108, 0, 0, 1}) +
                  Zeros(28);
  T += U32(4) + Sig("desc") + U32(180) + U32(44) + Sig("cprt") + U32(224) + U32(110) +
       Sig("pseq") + U32(336) + U32(116) + Sig("A2B0") + U32(452) + "#chunkSize2, ";
  T += Mluc(std::string("25t.3dl") + '\0');
  T += Mluc("Copyright (c) Kromel. All rights reserved") + Zeros(2);
  const std::string EmptyText = Sig("mluc") + Zeros(4) + U32(0) + U32(12);
  const std::string Description = Zeros(20) + EmptyText + EmptyText;
  T += Sig("pseq") + Zeros(4) + U32(2) + Description + Description;
  T += Sig("mAB ") + Zeros(4) + Bytes({3, 3, 0, 0}) + U32(32) + U32(68) + U32(116) + U32(152) +
       "#chunkSize3, ";
  T += EmptyCurve() + EmptyCurve() + EmptyCurve();
  for (int R = 0; R < 3; ++R)
    for (int C = 0; C < 3; ++C) T += U32(R == C ? 0x10000 : 0);
  T += Zeros(12);
  T += EmptyCurve() + EmptyCurve() + EmptyCurve();
  T += "#lutsize, #lutsize, #lutsize, " + Zeros(13) + Bytes({2, 0, 0, 0});
  return T;
}

// After the table data: the padding and the three input ramps.
std::string ProfileTail() {
  const std::string Ramp = Sig("curv") + Zeros(7) + "#lutsize, #curv";
  return "#zerozeroifodd" + Ramp + Ramp + Ramp;
}

const char LutLayerSet[] =
    "  var d = new ActionDescriptor();\n"
    "  var r = new ActionReference();\n"
    "  r.putEnumerated(stringIDToTypeID(\"adjustmentLayer\"), charIDToTypeID(\"Ordn\"), "
    "charIDToTypeID(\"Trgt\"));\n"
    "  d.putReference(charIDToTypeID(\"null\"), r);\n"
    "  var l = new ActionDescriptor();\n"
    "  l.putEnumerated(stringIDToTypeID(\"lookupType\"), stringIDToTypeID(\"colorLookupType\"), "
    "stringIDToTypeID(\"3DLUT\"));\n"
    "  l.putString(charIDToTypeID(\"Nm  \"), \"Kromel.3dl\");\n"
    "  l.putData(stringIDToTypeID(\"profile\"), profile);\n"
    "  l.putEnumerated(stringIDToTypeID(\"LUTFormat\"), stringIDToTypeID(\"LUTFormatType\"), "
    "stringIDToTypeID(\"LUTFormat3DL\"));\n"
    "  l.putData(stringIDToTypeID(\"LUT3DFileData\"), profile);\n"
    "  l.putString(stringIDToTypeID(\"LUT3DFileName\"), \"Kromel.3dl\");\n"
    "  d.putObject(charIDToTypeID(\"T   \"), stringIDToTypeID(\"colorLookup\"), l);\n"
    "  executeAction(charIDToTypeID(\"setd\"), d, DialogModes.NO);\n";

std::string MakeLookupLayer(const std::string& Name) {
  return "  var m = new ActionDescriptor();\n"
         "  var mr = new ActionReference();\n"
         "  mr.putClass(charIDToTypeID(\"AdjL\"));\n"
         "  m.putReference(charIDToTypeID(\"null\"), mr);\n"
         "  var u = new ActionDescriptor();\n"
         "  u.putString(charIDToTypeID(\"Nm  \"), \"" + Name + "\");\n"
         "  u.putEnumerated(charIDToTypeID(\"Clr \"), charIDToTypeID(\"Clr \"), "
         "charIDToTypeID(\"Grn \"));\n"
         "  var t = new ActionDescriptor();\n"
         "  t.putClass(charIDToTypeID(\"Type\"), stringIDToTypeID(\"colorLookup\"));\n"
         "  u.putObject(charIDToTypeID(\"Type\"), stringIDToTypeID(\"colorLookup\"), t);\n"
         "  m.putObject(charIDToTypeID(\"Usng\"), charIDToTypeID(\"AdjL\"), u);\n"
         "  executeAction(charIDToTypeID(\"Mk  \"), m, DialogModes.NO);\n";
}

const std::string ScriptStart =
    "if (app.documents.length == 0) app.open(new File(\"#imagefilename\"));\n"
    "function addLutLayer() {\n"
    "  var bytes = [";
const std::string ProfileToString =
    "];\n"
    "  var profile = \"\";\n"
    "  for (var i = 0; i < bytes.length; i++) profile += String.fromCharCode(bytes[i]);\n"
    "  var target = new ActionReference();\n"
    "  target.putEnumerated(charIDToTypeID(\"Chnl\"), charIDToTypeID(\"Ordn\"), "
    "charIDToTypeID(\"Trgt\"));\n";

const std::string& LutLayerScriptHead() {
  static const std::string T = ScriptStart + ProfileHead();
  return T;
}
const std::string& LutLayerScriptTail() {
  static const std::string T =
      ProfileTail() + ProfileToString +
      "  var layer = app.activeDocument.activeLayer;\n"
      "  if (layer.name != \"#lutname\" || layer.kind == LayerKind.NORMAL) {\n" +
      MakeLookupLayer("#lutname") + "  }\n" + LutLayerSet + "}\naddLutLayer();\n";
  return T;
}
const std::string& LutLayerCleanScriptHead() { return LutLayerScriptHead(); }
const std::string& LutLayerCleanScriptTail() {
  static const std::string T =
      ProfileTail() + ProfileToString + MakeLookupLayer("Kromel") + LutLayerSet +
      "  var s = new ActionDescriptor();\n"
      "  var sr = new ActionReference();\n"
      "  sr.putProperty(charIDToTypeID(\"Chnl\"), charIDToTypeID(\"fsel\"));\n"
      "  s.putReference(charIDToTypeID(\"null\"), sr);\n"
      "  var rgb = new ActionReference();\n"
      "  rgb.putEnumerated(charIDToTypeID(\"Chnl\"), charIDToTypeID(\"Chnl\"), "
      "charIDToTypeID(\"RGB \"));\n"
      "  s.putReference(charIDToTypeID(\"T   \"), rgb);\n"
      "  executeAction(charIDToTypeID(\"setd\"), s, DialogModes.NO);\n"
      "  var dc = new ActionDescriptor();\n"
      "  dc.putReference(charIDToTypeID(\"null\"), target);\n"
      "  executeAction(charIDToTypeID(\"Dlt \"), dc, DialogModes.NO);\n"
      "  var ld = new ActionDescriptor();\n"
      "  var lr = new ActionReference();\n"
      "  lr.putEnumerated(charIDToTypeID(\"Lyr \"), charIDToTypeID(\"Ordn\"), "
      "charIDToTypeID(\"Trgt\"));\n"
      "  ld.putReference(charIDToTypeID(\"null\"), lr);\n"
      "  executeAction(charIDToTypeID(\"Dlt \"), ld, DialogModes.NO);\n"
      "}\naddLutLayer();\n";
  return T;
}

const char SaveImageScript[] =
    "if (app.documents.length == 0) {\n"
    "  alert(\"There's no document in Photoshop to load to Kromel. Please load an image to "
    "photoshop before clicking \\'Image from PS\\'.\");\n"
    "} else {\n"
    "  var o = new TiffSaveOptions();\n"
    "  o.byteOrder = ByteOrder.MACOS;\n"
    "  o.layers = false;\n"
    "  o.alphaChannels = false;\n"
    "  o.transparency = false;\n"
    "  o.embedColorProfile = true;\n"
    "  o.imageCompression = TIFFEncoding.TIFFLZW;\n"
    "  o.saveImagePyramid = false;\n"
    "  app.activeDocument.saveAs(new File(\"#filename\"), o, true, Extension.LOWERCASE);\n"
    "}\n"
    "new File(\"#flagfile\").remove();\n";

const char ExportImageScript[] =
    "(function exportImage() {\n"
    "  try {\n"
    "    if (app.documents.length == 0) throw new Error('There\\'s no document in Photoshop to "
    "load to Kromel. Please load an image to photoshop before clicking \\'Image from PS\\'.');\n"
    "    var doc = app.activeDocument;\n"
    "    function save(d) {\n"
    "      var o = new TiffSaveOptions();\n"
    "      o.byteOrder = ByteOrder.MACOS;\n"
    "      d.saveAs(new File(\"#filename\"), o, true, Extension.LOWERCASE);\n"
    "      new File(\"#flagfile\").remove();\n"
    "    }\n"
    "    function saveWithAlpha() {\n"
    "      var t = doc.duplicate(\"krml_temp\");\n"
    "      t.selection.selectAll();\n"
    "      t.selection.copy();\n"
    "      t.flatten();\n"
    "      t.channels.removeAll();\n"
    "      var c = t.channels.add();\n"
    "      c.kind = ChannelType.MASKEDAREA;\n"
    "      c.opacity = 50;\n"
    "      t.paste();\n"
    "      save(t);\n"
    "      t.close(SaveOptions.DONOTSAVECHANGES);\n"
    "    }\n"
    "    var hasSelection = false;\n"
    "    try { hasSelection = doc.selection.bounds != null; } catch (e) {}\n"
    "    if (hasSelection) {\n"
    "      var l = doc.artLayers.add();\n"
    "      l.name = \"tempLayer\";\n"
    "      saveWithAlpha();\n"
    "      l.remove();\n"
    "    } else {\n"
    "      var t = doc.duplicate(\"krml_temp\");\n"
    "      t.flatten();\n"
    "      save(t);\n"
    "      t.close(SaveOptions.DONOTSAVECHANGES);\n"
    "    }\n"
    "  } catch (e) {\n"
    "    alert(e);\n"
    "  }\n"
    "})();\n";

}  // namespace

const char PhotoshopMakeAdjustmentLayerScript[] =
    "var idMk = charIDToTypeID( \"Mk  \" );var desc528 = new ActionDescriptor();"
    "var idnull = charIDToTypeID( \"null\" );var ref1 = new ActionReference();"
    "var idAdjL = charIDToTypeID( \"AdjL\" );ref1.putClass( idAdjL );"
    "desc528.putReference( idnull, ref1 );var idUsng = charIDToTypeID( \"Usng\" );"
    "var desc2 = new ActionDescriptor();var idType = charIDToTypeID( \"Type\" );"
    "var idcolorLookup = stringIDToTypeID( \"colorLookup\" );desc2.putClass( idType, "
    "idcolorLookup );desc528.putObject( idUsng, idAdjL, desc2 );"
    "executeAction( idMk, desc528, DialogModes.NO );";

std::string BridgeFolder() {
  // Kept to the very end of the process: the exit handler removes it.
  static const std::string* const Folder = [] {
    std::string Pattern = TempFolder() + "/kromel-bridge-XXXXXX";
    std::vector<char> Buffer(Pattern.begin(), Pattern.end());
    Buffer.push_back('\0');
    if (::mkdtemp(Buffer.data()) == nullptr) {
      ErrorMessageProc("Exception in BridgeFolder: can not create " + Pattern);
      return new std::string();
    }
    std::atexit([] {
      std::error_code Ignored;
      std::filesystem::remove_all(BridgeFolder(), Ignored);
    });
    return new std::string(Buffer.data());
  }();
  return *Folder;
}

std::string BridgeFilePath(const std::string& Name) { return BridgeFolder() + "/" + Name; }

std::string EscapeQuotedText(const std::string& Text) {
  std::string Out;
  for (char C : Text) {
    if (C == '\\' || C == '"') Out += '\\';
    Out += C;
  }
  return Out;
}

std::string PhotoshopDeleteActionSetJavascript(const std::string& ActionSetName) {
  return "var desc = new ActionDescriptor(); \nvar ref = new ActionReference(); \n"
         "ref.putName(charIDToTypeID(" + Q + "ASet" + Q + ")," + Q +
         EscapeQuotedText(ActionSetName) + Q + "); \n"
         "desc.putReference(charIDToTypeID(" + Q + "null" + Q + "),ref); \n"
         "var idDlt = charIDToTypeID( " + Q + "Dlt " + Q + " ); \n"
         "executeAction(idDlt, desc, DialogModes.NO);";
}

std::string PhotoshopTellJavascriptText(const std::string& App, const std::string& Script) {
  return Lines({"tell application " + Q + EscapeQuotedText(App) + Q,
                " do javascript " + Q + EscapeQuotedText(Script) + Q, "end tell"});
}

std::string PhotoshopRunJavascriptText(const std::string& App, const std::string& Script) {
  return Lines({"tell application " + Q + EscapeQuotedText(App) + Q, " tell current document",
                " set scripttoRun to " + Q + EscapeQuotedText(Script) + Q,
                " if (name of current layer) is not equal to " + Q + "Kromel" + Q + " then try",
                "   do javascript scripttoRun",
                "   tell current layer to set name to " + Q + "Kromel" + Q, " end try",
                " end tell", "end tell"});
}

std::string PhotoshopSaveDocumentAsTIFFText(const std::string& App, const std::string& FileName) {
  return Lines({"tell application " + Q + EscapeQuotedText(App) + Q,
                "set newFileName to " + Q + EscapeQuotedText(FileName) + Q,
                "set theDocument to current document",
                "set myOptions to {class:TIFF save options, embed color profile:true, save "
                "layers:false, save alpha channels:false}",
                "save theDocument in file (newFileName) as TIFF with options myOptions with "
                "copying",
                "end tell"});
}

std::string PhotoshopRunJavascriptFileText(const std::string& App, const std::string& JsxPath) {
  return Lines({"tell application " + Q + EscapeQuotedText(App) + Q,
                "    (activate) & (do javascript file " + Q + EscapeQuotedText(JsxPath) + Q + ")",
                "end tell"});
}

std::string AfterEffectsRunJavascriptText(const std::string& App, const std::string& JsxPath) {
  return Lines({"tell application " + Q + EscapeQuotedText(App) + Q,
                "    DoScriptFile " + Q + EscapeQuotedText(JsxPath) + Q, "end tell"});
}

std::string AfterEffectsSaveFrameJavascript(const std::string& PngFileName) {
  return ReplaceAll("app.project.activeItem.saveFrameToPng(app.project.activeItem.time, new File(" +
                        Q + "#filename" + Q + "));\r\n",
                    "#filename", EscapeQuotedText(PngFileName));
}

std::string PhotoshopImageExportJavascript(bool WithAlpha, const std::string& ImageFileName,
                                           const std::string& FlagFileName) {
  auto Clean = [](std::string S) { return EscapeQuotedText(ReplaceAll(S, "\\", "/")); };
  const std::string Script = WithAlpha ? ExportImageScript : SaveImageScript;
  return ReplaceAllIgnoringCase(
      ReplaceAllIgnoringCase(Script, "#filename", Clean(ImageFileName)), "#flagfile",
      Clean(FlagFileName));
}

bool PhotoshopDeleteActionSet(const std::string& ActionSetName) {
  return RunAppleScript(PhotoshopAppName,
                        PhotoshopTellJavascriptText(PhotoshopAppName,
                                                    PhotoshopDeleteActionSetJavascript(ActionSetName)));
}

bool PhotoshopRunJavascript(const std::string& Script) {
  return RunAppleScript(PhotoshopAppName, PhotoshopRunJavascriptText(PhotoshopAppName, Script));
}

bool PhotoshopMakeAdjustmentLayer() {
  return PhotoshopRunJavascript(PhotoshopMakeAdjustmentLayerScript);
}

bool PhotoshopSaveDocumentAsTIFF(const std::string& FileName) {
  DeleteFile(FileName);
  return RunAppleScript(PhotoshopAppName, PhotoshopSaveDocumentAsTIFFText(PhotoshopAppName, FileName));
}

bool PhotoshopRunJavascriptFile(const std::string& App, const std::string& Script) {
  const std::string Jsx = BridgeFilePath(BridgeJavascriptName);
  if (!WriteBridgeFile(Jsx, Script + "\n")) {
    PlatformShowMessage("Failed to create " + Jsx +
                        "\nPlease check that path exists and you have permissions to write there");
    return false;
  }
  return RunAppleScript(App, PhotoshopRunJavascriptFileText(App, Jsx));
}

bool AfterEffectsRunJavascript(const std::string& App, const std::string& Script) {
  const std::string Jsx = BridgeFilePath(BridgeJavascriptName);
  if (!WriteBridgeFile(Jsx, Script)) {
    PlatformShowMessage("Error in AfterEffectsRunJavascript: can not create " + Jsx);
    return false;
  }
  return RunAppleScript(App, AfterEffectsRunJavascriptText(App, Jsx));
}

bool AfterEffectsSaveFrameToPng(const std::string& App, const std::string& PngFileName) {
  DeleteFile(BridgeFilePath(BridgeFlagFileName));
  return AfterEffectsRunJavascript(App, AfterEffectsSaveFrameJavascript(PngFileName));
}

bool PhotoshopAddLUTLayer(const std::string& App, const std::string& LutName, int32_t N,
                          const std::string& LutData, const std::string& ImageFileName,
                          bool CleanUp) {
  std::string Script = BuildPhotoshopLUTScript(N, LutName, LutData, CleanUp);
  if (Script.empty()) return false;
  const size_t P = ReplaceAllIgnoringCase(Script, "#imagefilename", "\x01").find('\x01');
  if (P != std::string::npos)
    Script.replace(P, std::string("#imagefilename").size(), EscapeQuotedText(ImageFileName));
  return PhotoshopRunJavascriptFile(App, Script);
}

std::string BuildPhotoshopLUTScript(int32_t N, const std::string& LutName,
                                    const std::string& LutData, bool CleanUp) {
  if (N <= 1 || N > 255) return {};
  const bool Odd = (N & 1) != 0;
  const std::string Pad = Odd ? "0, 0, " : "";
  std::string Curv;
  for (int32_t I = 0; I < N; ++I)
    Curv += Int16ToByteListText(uint16_t(int64_t(I) * 65535 / (N - 1))) + ", ";
  Curv += Pad;
  std::string Script = (CleanUp ? LutLayerCleanScriptHead() : LutLayerScriptHead()) + LutData +
                       (CleanUp ? LutLayerCleanScriptTail() : LutLayerScriptTail());
  std::string Name;
  for (char C : LutName)
    if (C != '"' && C != '\'') Name += C;
  Script = ReplaceAll(Script, "#lutname", EscapeQuotedText(Name));
  const int64_t N3 = int64_t(N) * N * N;
  Script = ReplaceFirst(Script, "#chunkSize", Int32ToByteListText(int32_t(6 * N3 + 6 * N + 660 + (Odd ? 8 : 0))));
  Script = ReplaceFirst(Script, "#chunkSize2", Int32ToByteListText(int32_t(6 * N3 + 6 * N + 208 + (Odd ? 8 : 0))));
  Script = ReplaceFirst(Script, "#chunkSize3", Int32ToByteListText(int32_t(6 * N3 + 174 - (Odd ? 0 : 2))));
  Script = ReplaceAll(Script, "#lutsize", std::to_string(N));
  Script = ReplaceAll(Script, "#curv", Curv);
  return ReplaceAll(Script, "#zerozeroifodd", Pad);
}

std::string PhotoshopDeviceLinkByteList(int32_t N, const std::string& LutData) {
  const std::string Script = BuildPhotoshopLUTScript(N, "", LutData, false);
  const size_t Start = Script.find("var bytes = [");
  if (Start == std::string::npos) return {};
  const size_t From = Start + std::string("var bytes = [").size();
  return Script.substr(From, Script.find("];", From) - From);
}

std::string PhotoshopLutDataText(const T3DLut& Lut) {
  const int32_t N = Lut.Size;
  if (Lut.NonCubic || N < MinLutLevels || N > 255 || Lut.R == nullptr || Lut.G == nullptr ||
      Lut.B == nullptr)
    return {};
  std::string T;
  T.reserve(size_t(Lut.Count) * 3 * 10);
  auto Word = [&](float V) {
    const uint16_t W = !(V > 0) ? 0 : V >= 1 ? 65535 : uint16_t(std::nearbyint(V * 65535.0f));
    T += Int16ToByteListText(W) + ", ";
  };
  for (int32_t R = 0; R < N; ++R)
    for (int32_t G = 0; G < N; ++G)
      for (int32_t B = 0; B < N; ++B) {
        const int64_t I = R + int64_t(N) * (G + int64_t(N) * B);
        Word(Lut.R[I]);
        Word(Lut.G[I]);
        Word(Lut.B[I]);
      }
  return T;
}

std::string Int32ToByteListText(int32_t Value) {
  const uint32_t V = uint32_t(Value);
  return std::to_string(V >> 24) + ", " + std::to_string((V >> 16) & 255) + ", " +
         std::to_string((V >> 8) & 255) + ", " + std::to_string(V & 255);
}

std::string Int16ToByteListText(uint16_t Value) {
  return std::to_string(Value >> 8) + ", " + std::to_string(Value & 255);
}

bool CanCreateFile(const std::string& FileName) {
  const int Fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (Fd >= 0) ::close(Fd);
  return ::access(FileName.c_str(), F_OK) == 0;
}

bool WaitWhileFileExists(const std::string& FileName, int32_t Seconds) {
  return WaitForFileState(FileName, Seconds, false);
}

bool WaitForFileToAppear(const std::string& FileName, int32_t Seconds) {
  return WaitForFileState(FileName, Seconds, true);
}

}  // namespace kromel
