#include "fileio/photoshop_action.h"

#include <charconv>
#include <cmath>
#include <exception>

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "foundation/utf16.h"

namespace kromel {

namespace {

constexpr const char* ActionName = "KromelAction";
constexpr const char* ActionLutPath = "KromelAction.3dl";
constexpr const char* ProfileDescription = "Kromel LUT";
constexpr const char* ProfileCopyright = "No copyright, use freely";

// Profile layout: header, tag table, the three text tags, then "A2B0".
constexpr size_t ProfileSize = 94600;
constexpr size_t A2B0Offset = 484;
constexpr size_t A2B0Size = ProfileSize - A2B0Offset;
constexpr size_t ClutGridOffset = 152;      // within "A2B0"
constexpr size_t ClutDataOffset = 172;      // within "A2B0": profile offset 656
constexpr size_t ACurvesOffset = 93924;     // within "A2B0"
constexpr size_t ClutDataSize = 25 * 25 * 25 * 6;

// Big-endian appender.
class TBEWriter {
 public:
  std::vector<uint8_t> Bytes;

  void U8(uint32_t V) { Bytes.push_back(static_cast<uint8_t>(V)); }
  void U16(uint32_t V) {
    U8(V >> 8);
    U8(V);
  }
  void U32(uint32_t V) {
    U16(V >> 16);
    U16(V & 0xFFFF);
  }
  void Raw(const void* Data, size_t Count) {
    const auto* P = static_cast<const uint8_t*>(Data);
    Bytes.insert(Bytes.end(), P, P + Count);
  }
  void Sig(const char (&S)[5]) { Raw(S, 4); }
  void Zeros(size_t Count) { Bytes.insert(Bytes.end(), Count, 0); }
  void PadTo4() { Zeros((4 - Bytes.size() % 4) % 4); }
  // Unicode string: count of UTF-16 units with the final 0, then the units.
  void UString(const std::string& Utf8) {
    const std::u16string W = Utf8ToUtf16(Utf8);
    U32(static_cast<uint32_t>(W.size() + 1));
    for (char16_t C : W) U16(C);
    U16(0);
  }
  // A key or class ID: length 0 and four characters, or length and text.
  void Id(const std::string& S) {
    U32(S.size() == 4 ? 0 : static_cast<uint32_t>(S.size()));
    Raw(S.data(), S.size());
  }
  void Type(const char (&S)[5]) { Raw(S, 4); }
  void Put32At(size_t Pos, uint32_t V) {
    for (int I = 0; I < 4; ++I) Bytes[Pos + static_cast<size_t>(I)] = static_cast<uint8_t>(V >> (24 - 8 * I));
  }
};

bool IsActionLut(const T3DLut& Lut) {
  return Lut.HasPlanes() && !Lut.NonCubic && Lut.Size == ActionLutSize &&
         Lut.Count >= ActionLutSize * ActionLutSize * ActionLutSize;
}

// v * Scale in single precision, halves to even, limited to 0..Scale.
uint32_t ToWord(float V, float Scale) {
  const float P = V * Scale;
  if (!(P > 0)) return 0;  // NaN too
  if (P >= Scale) return static_cast<uint32_t>(Scale);
  return static_cast<uint32_t>(std::nearbyint(P));
}

// Shaper and A-curve positions: i * 1023 / 24, halves to even.
uint32_t ShaperValue(int32_t I) {
  return static_cast<uint32_t>(std::nearbyint(static_cast<double>(I) * 1023.0 / 24.0));
}

// A "mluc" tag of one en/US record.
void AppendMluc(TBEWriter& W, const std::string& Text) {
  const std::u16string U = Utf8ToUtf16(Text);
  W.Sig("mluc");
  W.U32(0);
  W.U32(1);
  W.U32(12);
  W.Raw("enUS", 4);
  W.U32(static_cast<uint32_t>(U.size() * 2));
  W.U32(28);
  for (char16_t C : U) W.U16(C);
}

void AppendCurve(TBEWriter& W, const std::vector<uint32_t>& Entries) {
  W.Sig("curv");
  W.U32(0);
  W.U32(static_cast<uint32_t>(Entries.size()));
  for (uint32_t E : Entries) W.U16(E);
  W.PadTo4();
}

void AppendInt(std::string& Text, uint32_t V) {
  char Buf[12];
  const auto Res = std::to_chars(Buf, Buf + sizeof Buf, V);
  Text.append(Buf, Res.ptr);
}

}  // namespace

std::vector<uint8_t> BuildActionICCProfile(const T3DLut& Lut) {
  if (!IsActionLut(Lut)) return {};
  TBEWriter W;
  W.Bytes.reserve(ProfileSize);
  // Header.
  W.U32(static_cast<uint32_t>(ProfileSize));
  W.Sig("ADBE");
  W.U32(0x04000000);
  W.Sig("link");
  W.Sig("RGB ");
  W.Sig("RGB ");
  // The creation date of the device link the action embeds: 2014-03-30 17:21:20.
  for (uint32_t Field : {2014u, 3u, 30u, 17u, 21u, 20u}) W.U16(Field);
  W.Sig("acsp");
  W.Zeros(4);   // platform
  W.U32(0);     // flags
  W.Zeros(8);   // manufacturer, model
  W.Zeros(8);   // attributes
  W.U32(0);     // rendering intent
  W.U32(0x0000F6D6);  // D50
  W.U32(0x00010000);
  W.U32(0x0000D32D);
  W.Sig("ADBE");
  W.Zeros(16);  // profile ID: none
  W.Zeros(28);
  // Tag table, offsets filled in below.
  W.U32(4);
  const size_t Table = W.Bytes.size();
  const char* Sigs[4] = {"desc", "cprt", "pseq", "A2B0"};
  for (const char* S : Sigs) {
    W.Raw(S, 4);
    W.Zeros(8);
  }
  auto SetEntry = [&](int Index, size_t Start) {
    W.Put32At(Table + 12 * static_cast<size_t>(Index) + 4, static_cast<uint32_t>(Start));
    W.Put32At(Table + 12 * static_cast<size_t>(Index) + 8,
              static_cast<uint32_t>(W.Bytes.size() - Start));
  };
  size_t Start = W.Bytes.size();
  AppendMluc(W, ProfileDescription);
  SetEntry(0, Start);
  W.PadTo4();
  Start = W.Bytes.size();
  AppendMluc(W, ProfileCopyright);
  SetEntry(1, Start);
  W.PadTo4();
  // One profile in the sequence: this LUT.
  Start = W.Bytes.size();
  W.Sig("pseq");
  W.U32(0);
  W.U32(1);
  W.Zeros(4 + 4 + 8);  // manufacturer, model, attributes
  W.Zeros(4);          // technology
  AppendMluc(W, "Kromel");
  AppendMluc(W, ProfileDescription);
  SetEntry(2, Start);
  W.PadTo4();
  W.Zeros(A2B0Offset - W.Bytes.size());

  // "A2B0": lutAToBType, B curves, matrix, M curves, CLUT, A curves.
  Start = W.Bytes.size();
  W.Sig("mAB ");
  W.U32(0);
  W.U8(3);
  W.U8(3);
  W.U16(0);
  W.U32(32);
  W.U32(68);
  W.U32(116);
  W.U32(static_cast<uint32_t>(ClutGridOffset));
  W.U32(static_cast<uint32_t>(ACurvesOffset));
  const std::vector<uint32_t> Identity;
  for (int C = 0; C < 3; ++C) AppendCurve(W, Identity);
  for (int R = 0; R < 3; ++R)
    for (int C = 0; C < 3; ++C) W.U32(R == C ? 0x00010000 : 0);
  W.Zeros(12);  // offsets
  for (int C = 0; C < 3; ++C) AppendCurve(W, Identity);
  W.U8(25);
  W.U8(25);
  W.U8(25);
  W.Zeros(13);
  W.U8(2);
  W.Zeros(3);
  const size_t N = ActionLutSize;
  for (size_t r = 0; r < N; ++r)
    for (size_t g = 0; g < N; ++g)
      for (size_t b = 0; b < N; ++b) {
        const size_t K = r + N * (g + N * b);
        W.U16(ToWord(Lut.R[K], 65535.0f));
        W.U16(ToWord(Lut.G[K], 65535.0f));
        W.U16(ToWord(Lut.B[K], 65535.0f));
      }
  W.PadTo4();
  std::vector<uint32_t> ACurve;
  for (int32_t I = 0; I < ActionLutSize; ++I)
    ACurve.push_back(static_cast<uint32_t>(
        std::nearbyint(static_cast<double>(ShaperValue(I)) * 65535.0 / 1023.0)));
  for (int C = 0; C < 3; ++C) AppendCurve(W, ACurve);
  SetEntry(3, Start);
  return W.Bytes;
}

std::string BuildAction3DLText(const T3DLut& Lut) {
  if (!IsActionLut(Lut)) return {};
  const size_t N = ActionLutSize;
  std::string Text;
  Text.reserve(N * N * N * 16 + 256);
  Text += "#25pt 3DLUT created by Kromel\r\n";
  for (int32_t I = 0; I < ActionLutSize; ++I) {
    if (I > 0) Text += ' ';
    AppendInt(Text, ShaperValue(I));
  }
  Text += "\r\n";
  for (size_t r = 0; r < N; ++r)
    for (size_t g = 0; g < N; ++g)
      for (size_t b = 0; b < N; ++b) {
        const size_t K = r + N * (g + N * b);
        AppendInt(Text, ToWord(Lut.R[K], 4095.0f));
        Text += ' ';
        AppendInt(Text, ToWord(Lut.G[K], 4095.0f));
        Text += ' ';
        AppendInt(Text, ToWord(Lut.B[K], 4095.0f));
        Text += "\r\n";
      }
  return Text;
}

std::vector<uint8_t> BuildPhotoshopAction(const T3DLut& Lut) {
  if (!IsActionLut(Lut)) return {};
  const std::vector<uint8_t> Profile = BuildActionICCProfile(Lut);
  const std::string Text3DL = BuildAction3DLText(Lut);
  TBEWriter W;
  W.Bytes.reserve(Profile.size() + Text3DL.size() + 1024);
  // Action set.
  W.U32(16);
  W.UString(ActionName);
  W.U8(1);
  W.U32(1);
  // Action.
  W.U16(0);
  W.U8(0);
  W.U8(0);
  W.U16(0);
  W.UString(ActionName);
  W.U8(1);
  W.U32(1);
  // Item: Set the targeted adjustment layer.
  W.U8(0);
  W.U8(1);
  W.U8(0);
  W.U8(0);
  W.Type("TEXT");
  W.U32(3);
  W.Raw("set", 3);
  W.U32(3);
  W.Raw("Set", 3);
  W.U32(0xFFFFFFFFu);
  W.UString("Set");
  W.Id("setd");
  W.U32(2);
  W.Id("null");
  W.Type("obj ");
  W.U32(1);
  W.Type("Enmr");
  W.UString("");
  W.Id("AdjL");
  W.Id("Ordn");
  W.Id("Trgt");
  W.Id("T   ");
  W.Type("Objc");
  W.UString("Color Lookup");
  W.Id("colorLookup");
  W.U32(6);
  W.Id("lookupType");
  W.Type("enum");
  W.Id("colorLookupType");
  W.Id("3DLUT");
  W.Id("Nm  ");
  W.Type("TEXT");
  W.UString(ActionLutPath);
  W.Id("profile");
  W.Type("tdta");
  W.U32(static_cast<uint32_t>(Profile.size()));
  W.Raw(Profile.data(), Profile.size());
  W.Id("LUTFormat");
  W.Type("enum");
  W.Id("LUTFormatType");
  W.Id("LUTFormat3DL");
  W.Id("LUT3DFileData");
  W.Type("tdta");
  W.U32(static_cast<uint32_t>(Text3DL.size()));
  W.Raw(Text3DL.data(), Text3DL.size());
  W.Id("LUT3DFileName");
  W.Type("TEXT");
  W.UString(ActionLutPath);
  return W.Bytes;
}

bool SaveToAction(const T3DLut& Lut, const std::string& FileName) {
  if (!IsActionLut(Lut)) {
    ErrorMessageProc("T3DLut.SaveToAction: Not supported LUT size");
    return false;
  }
  try {
    const std::vector<uint8_t> Action = BuildPhotoshopAction(Lut);
    if (SaveBufferToFile(FileName, Action.data(), static_cast<int64_t>(Action.size())))
      return true;
    ErrorMessageProc("Failed to save file " + FileName);
  } catch (const std::exception&) {
    ErrorMessageProc("Exception in T3DLut.SaveToAction " + FileName);
  }
  return false;
}

}  // namespace kromel
