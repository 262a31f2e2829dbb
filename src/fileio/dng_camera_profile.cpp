#include "fileio/dng_camera_profile.h"

#include <cstdio>
#include <filesystem>

#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "platform/folders.h"

namespace kromel {

namespace {

constexpr uint16_t DCPMagic = 0x4352;
// Larger files are no camera profiles.
constexpr int64_t MaxDCPFileSize = 256 * 1024 * 1024;

enum : uint16_t {
  tagUniqueCameraModel = 50708, tagColorMatrix1 = 50721, tagColorMatrix2 = 50722,
  tagReductionMatrix1 = 50725, tagReductionMatrix2 = 50726, tagCalibrationIlluminant1 = 50778,
  tagCalibrationIlluminant2 = 50779, tagCalibrationSignature = 50932, tagProfileName = 50936,
  tagHueSatMapDims = 50937, tagHueSatMapData1 = 50938, tagHueSatMapData2 = 50939,
  tagToneCurve = 50940, tagEmbedPolicy = 50941, tagCopyright = 50942, tagForwardMatrix1 = 50964,
  tagForwardMatrix2 = 50965, tagLookTableDims = 50981, tagLookTableData = 50982,
  tagHueSatMapEncoding = 51107, tagLookTableEncoding = 51108, tagBaselineExposureOffset = 51109,
  tagDefaultBlackRender = 51110,
};

std::string Hex8(uint32_t V) {
  char Text[16];
  std::snprintf(Text, sizeof Text, "%08X", V);
  return Text;
}

}  // namespace

bool TDNGCameraProfile::AddError(const std::string& Text) {
  Log.push_back(Text);
  return false;
}

bool TDNGCameraProfile::LoadFromFile(const std::string& FileName) {
  if (!FileExists(FileName)) return false;
  try {
    std::error_code Ec;
    const auto Size = std::filesystem::file_size(FileName, Ec);
    if (Ec || Size > uint64_t(MaxDCPFileSize)) return false;
    TDNGFileStream S;
    if (!S.LoadFromFile(FileName)) return false;
    const uint16_t Order = S.ReadWord();
    BigEndianFile = Order == 0x4D4D;
    if (Order != 0x4D4D && Order != 0x4949) {
      Errors.push_back("BO: " + Hex8(Order));
      return false;
    }
    S.SetByteOrder(BigEndianFile);
    const uint16_t Magic = S.ReadWord();
    if (Magic != DCPMagic) {
      Errors.push_back("MN: " + Hex8(Magic));
      return false;
    }
    const int64_t IFD = S.ReadLong();
    S.Seek(IFD);
    const uint16_t Count = S.ReadWord();
    if (Count == 0) return false;
    if (IFD + 2 + 12 * int64_t(Count) > S.Size()) {
      Errors.push_back("IFD: " + std::to_string(Count) + " entries do not fit the file");
      return false;
    }
    int32_t Read = 0;
    for (uint16_t i = 0; i < Count; ++i)
      if (ParseTag(S, IFD + 2 + 12 * int64_t(i))) ++Read;
    // A file of which no tag could be read is no profile.
    if (Read == 0) {
      Errors.push_back("IFD: no tag could be read");
      return false;
    }
    for (TDNGHSVTable* T : {HueSatMap1.get(), HueSatMap2.get(), LookTable.get()})
      if (T != nullptr && T->TagCount > 0 && T->TagOffset > 0) S.ReadHueSatMapData(*T);
    if (ToneCurve && ToneCurve->TagCount > 0 && ToneCurve->TagOffset > 0) S.ReadToneCurve(*ToneCurve);
    return true;
  } catch (const std::exception& E) {
    Errors.push_back(std::string("Read error: ") + E.what());
    return false;
  }
}

bool TDNGCameraProfile::CheckColorPlanes(uint32_t Count) {
  if (ColorPlanes == 0) {
    const uint32_t P = Count / 3;
    ColorPlanes = P > 4 ? 4 : static_cast<int32_t>(P);
  }
  return ColorPlanes >= 2;
}

void TDNGCameraProfile::ParseMatrixTag(TDNGFileStream& S, uint32_t Tag, uint32_t Type, uint32_t Count) {
  const std::string Prefix = "Matrix (" + std::to_string(Tag) + "): ";
  if (Type != ttSRational) {
    Log.push_back(Prefix + "INVALID TAG TYPE");
    return;
  }
  if (!CheckColorPlanes(Count)) {
    Log.push_back(Prefix + "INVALID COLOR PLANES");
    return;
  }
  TDNGMatrix* M = nullptr;
  switch (Tag) {
    case tagColorMatrix1: M = &ColorMatrix1; break;
    case tagColorMatrix2: M = &ColorMatrix2; break;
    case tagReductionMatrix1: M = &ReductionMatrix1; break;
    case tagReductionMatrix2: M = &ReductionMatrix2; break;
    case tagForwardMatrix1: M = &ForwardMatrix1; break;
    default: M = &ForwardMatrix2; break;
  }
  switch (S.ReadMatrix(Count, ColorPlanes, 3, *M)) {
    case 0: Log.push_back(Prefix + "HANDLED"); break;
    case 1: Log.push_back(Prefix + "OUT OF BOUNDS"); break;
    default: Log.push_back(Prefix + "INVALID COUNT " + std::to_string(ColorPlanes)); break;
  }
}

bool TDNGCameraProfile::ParseDims(TDNGFileStream& S, uint32_t Type, uint32_t Count,
                                  const std::string& Prefix, TDNGTableDims& Dims) {
  if (Type != ttLong) return AddError(Prefix + "INVALID TAG TYPE");
  if (Count != 2 && Count != 3) return AddError(Prefix + "INVALID TAG COUNT");
  Dims.Hues = static_cast<int32_t>(S.ReadLong());
  Dims.Sats = static_cast<int32_t>(S.ReadLong());
  Dims.Vals = Count == 3 ? static_cast<int32_t>(S.ReadLong()) : 1;
  Log.push_back(Prefix + "H = " + std::to_string(Dims.Hues) + " S = " + std::to_string(Dims.Sats) +
                " V = " + std::to_string(Dims.Vals));
  return true;
}

bool TDNGCameraProfile::ParseHueSatTable(uint32_t Type, uint32_t Count, int64_t Pos,
                                         const TDNGTableDims& Dims, const std::string& Prefix,
                                         const std::string& EmptySatsText,
                                         std::unique_ptr<TDNGHSVTable>& Table) {
  if (Type != ttFloat) return AddError(Prefix + "INVALID TAG TYPE");
  if (Dims.Sats == 0) return AddError(EmptySatsText);
  const int64_t H = Dims.Hues, S = Dims.Sats, V = Dims.Vals;
  const bool DimsOk = H > 0 && S > 0 && V > 0 && H <= MaxDNGTableDivisions &&
                      S <= MaxDNGTableDivisions && V <= MaxDNGTableDivisions &&
                      H * S * V <= MaxDNGTableEntries;
  const bool Full = DimsOk && int64_t(Count) == H * S * V * 3;
  const bool Short = DimsOk && S > 1 && int64_t(Count) == H * (S - 1) * V * 3;
  if (!Full && !Short) return AddError(Prefix + "INVALID COUNT");
  // Offset 0 is the file header: no table data there, and none is read.
  if (Pos <= 0) return AddError(Prefix + "INVALID OFFSET");
  Table = std::make_unique<TDNGHSVTable>(Dims.Hues, Dims.Sats, Dims.Vals);
  Table->SkipSat0 = Short;
  Table->TagCount = static_cast<int32_t>(Count);
  Table->TagOffset = Pos;
  return true;
}

bool TDNGCameraProfile::ParseTag(TDNGFileStream& S, int64_t EntryPos) {
  S.Seek(EntryPos);
  const uint32_t Tag = S.ReadWord();
  const uint32_t Type = S.ReadWord();
  const uint32_t Count = S.ReadLong();
  int64_t Pos = EntryPos + 8;
  const int64_t Bytes = int64_t(TagTypeSize(Type)) * Count;
  if (Bytes > 4) Pos = S.ReadLong();
  if (Pos < 0 || Pos + Bytes > S.Size())
    return AddError("Tag " + std::to_string(Tag) + ": DATA OUTSIDE FILE");
  S.Seek(Pos);
  const bool Text = Type == ttAscii || Type == ttByte;
  const std::string CountText = std::to_string(Count);
  std::string Value;
  switch (Tag) {
    case tagUniqueCameraModel:
      if (Type != ttAscii) return AddError("Camera model: INVALID TAG TYPE");
      S.ReadString(Count, false, UniqueCameraModel);
      Log.push_back("Camera model: " + UniqueCameraModel);
      return true;
    case tagColorMatrix1: case tagColorMatrix2: case tagReductionMatrix1:
    case tagReductionMatrix2: case tagForwardMatrix1: case tagForwardMatrix2:
      ParseMatrixTag(S, Tag, Type, Count);
      return true;
    case tagCalibrationIlluminant1:
    case tagCalibrationIlluminant2: {
      const std::string Prefix = "Calibration " + std::to_string(Tag - tagCalibrationIlluminant1 + 1) + ": ";
      if (Type != ttShort) return AddError(Prefix + "INVALID TAG TYPE");
      if (Count != 1) return AddError(Prefix + "INVALID TAG COUNT");
      const int32_t V = S.ReadWord();
      (Tag == tagCalibrationIlluminant1 ? CalibrationIlluminant1 : CalibrationIlluminant2) = V;
      Log.push_back(Prefix + "set to " + std::to_string(V));
      return true;
    }
    case tagCalibrationSignature:
      if (!Text) return AddError("Calibration signature: INVALID TAG TYPE");
      S.ReadString(Count, false, CalibrationSignature);
      Log.push_back("Calibration signature: " + CalibrationSignature);
      return true;
    case tagProfileName:
      if (!Text) return AddError("Profile name: INVALID TAG TYPE");
      S.ReadString(Count, false, ProfileName);
      Log.push_back("Profile name: " + ProfileName);
      return true;
    case tagCopyright:
      if (!Text) return AddError("Copyright: INVALID TAG TYPE");
      S.ReadString(Count, false, ProfileCopyright);
      Log.push_back("Copyright: " + ProfileCopyright);
      return true;
    case tagHueSatMapDims: return ParseDims(S, Type, Count, "HSV dims: ", HueSatMapDims);
    case tagLookTableDims: return ParseDims(S, Type, Count, "Look table dims: ", LookTableDims);
    case tagHueSatMapData1:
    case tagHueSatMapData2: {
      const std::string Prefix = "HSVTable (" + std::to_string(Tag) + "): ";
      std::unique_ptr<TDNGHSVTable>& T = Tag == tagHueSatMapData1 ? HueSatMap1 : HueSatMap2;
      if (!ParseHueSatTable(Type, Count, Pos, HueSatMapDims, Prefix, Prefix + "INVALID TAG TYPE", T))
        return false;
      Log.push_back(Prefix + "Tags = " + CountText + ", Offset = " + std::to_string(Pos));
      return true;
    }
    case tagLookTableData:
      if (!ParseHueSatTable(Type, Count, Pos, LookTableDims, "Look table: ", "Look table: EMPTY SATS", LookTable))
        return false;
      Log.push_back("Look table: Tags = " + CountText + ",  Offset = " + std::to_string(Pos));
      return true;
    case tagToneCurve:
      if (Type != ttFloat) return AddError("Tone curve: INVALID TAG TYPE");
      if (Count < 4 || Count % 2 != 0) return AddError("Tone curve: INVALID COUNT");
      ToneCurve = std::make_unique<TDNGHVTable>(static_cast<int32_t>(Count / 2));
      ToneCurve->TagCount = static_cast<int32_t>(Count);
      ToneCurve->TagOffset = Pos;
      Log.push_back("Tone curve: Tags = " + CountText + ",  Offset = " + std::to_string(Pos));
      return true;
    case tagEmbedPolicy:
    case tagHueSatMapEncoding:
    case tagLookTableEncoding:
    case tagDefaultBlackRender: {
      const char* Prefix = Tag == tagEmbedPolicy         ? "Embed policy: "
                           : Tag == tagHueSatMapEncoding ? "HSV Encoding: "
                           : Tag == tagLookTableEncoding ? "Look table encoding: "
                                                         : "Black render: ";
      if (Type != ttLong) return AddError(std::string(Prefix) + "INVALID TAG TYPE");
      if (Count != 1) return AddError(std::string(Prefix) + "INVALID TAG COUNT");
      const int32_t V = static_cast<int32_t>(S.ReadLong());
      (Tag == tagEmbedPolicy         ? EmbedPolicy
       : Tag == tagHueSatMapEncoding ? HueSatMapEncoding
       : Tag == tagLookTableEncoding ? LookTableEncoding
                                     : DefaultBlackRender) = V;
      Log.push_back(std::string(Prefix) + "set to " + std::to_string(V));
      return true;
    }
    case tagBaselineExposureOffset:
      if (Type != ttSRational) return AddError("Baseline exposure: INVALID TAG TYPE");
      if (Count != 1) return AddError("Baseline exposure: INVALID TAG COUNT");
      BaselineExposureOffsetNum = static_cast<int32_t>(S.ReadLong());
      BaselineExposureOffsetDen = static_cast<int32_t>(S.ReadLong());
      Log.push_back("Baseline exposure: D = " + std::to_string(BaselineExposureOffsetDen) + "," +
                    " N = " + std::to_string(BaselineExposureOffsetNum));
      return true;
    default:
      return AddError("Unknown tag: " + std::to_string(Tag));
  }
}

std::string TDNGCameraProfile::SaveToBytes() const {
  try {
    TDNGFileStream S;
    S.SetBigEndian(false);
    S.WriteWord(0x4949);
    S.WriteWord(DCPMagic);
    S.WriteLong(8);
    S.EntriesWritten = 0;
    // The dims tag describes whichever hue/sat map is written.
    const TDNGHSVTable* MapDims = HueSatMap1 ? HueSatMap1.get() : HueSatMap2.get();
    const int32_t N = 10 + (ColorMatrix2.IsSet ? 1 : 0) + (ForwardMatrix2.IsSet ? 1 : 0) +
                      (ToneCurve ? 1 : 0) + (MapDims ? 1 : 0) + (HueSatMap1 ? 1 : 0) +
                      (HueSatMap2 ? 1 : 0) + (LookTable ? 2 : 0) + (DefaultBlackRender > 0 ? 1 : 0) +
                      (LookTableEncoding > 0 ? 1 : 0);
    S.WriteWord(static_cast<uint16_t>(N));
    const std::string Zeros(12 * N + 4, '\0');
    S.WriteBuffer(Zeros.data(), static_cast<int64_t>(Zeros.size()));
    S.WriteStringTag(0, tagUniqueCameraModel, UniqueCameraModel);
    S.WriteMatrixTag(0, tagColorMatrix1, ColorMatrix1);
    if (ColorMatrix2.IsSet) S.WriteMatrixTag(0, tagColorMatrix2, ColorMatrix2);
    S.WriteShortTag(0, tagCalibrationIlluminant1, static_cast<uint16_t>(CalibrationIlluminant1));
    S.WriteShortTag(0, tagCalibrationIlluminant2, static_cast<uint16_t>(CalibrationIlluminant2));
    S.WriteStringTag(0, tagCalibrationSignature, CalibrationSignature);
    S.WriteStringTag(0, tagProfileName, ProfileName);
    if (MapDims) S.WriteHueSatMapDimsTag(0, tagHueSatMapDims, *MapDims);
    if (HueSatMap1) S.WriteHueSatMapDataTag(0, tagHueSatMapData1, *HueSatMap1);
    if (HueSatMap2) S.WriteHueSatMapDataTag(0, tagHueSatMapData2, *HueSatMap2);
    if (ToneCurve) S.WriteToneCurveTag(0, tagToneCurve, *ToneCurve);
    S.WriteLongTag(0, tagEmbedPolicy, static_cast<uint32_t>(EmbedPolicy));
    S.WriteStringTag(0, tagCopyright, ProfileCopyright);
    S.WriteMatrixTag(0, tagForwardMatrix1, ForwardMatrix1);
    if (ForwardMatrix2.IsSet) S.WriteMatrixTag(0, tagForwardMatrix2, ForwardMatrix2);
    if (LookTable) {
      S.WriteHueSatMapDimsTag(0, tagLookTableDims, *LookTable);
      S.WriteHueSatMapDataTag(0, tagLookTableData, *LookTable);
    }
    if (LookTableEncoding > 0) S.WriteLongTag(0, tagLookTableEncoding, static_cast<uint32_t>(LookTableEncoding));
    const double Den = BaselineExposureOffsetDen <= 0 ? 1.0 : BaselineExposureOffsetDen;
    S.WriteSRationalTag(0, tagBaselineExposureOffset, BaselineExposureOffsetNum / Den);
    if (DefaultBlackRender > 0) S.WriteLongTag(0, tagDefaultBlackRender, static_cast<uint32_t>(DefaultBlackRender));
    if (S.EntriesWritten != N) throw EStreamError("Entry count mismatch");
    return S.Bytes();
  } catch (...) {
    ErrorMessageProc("Exception in TDNGCameraProfile.SaveToFile to F");
    return {};
  }
}

bool TDNGCameraProfile::SaveToFile(const std::string& FileName) const {
  const std::string Bytes = SaveToBytes();
  if (Bytes.empty()) return false;
  return SaveBufferToFile(FileName, Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

int32_t TDNGCameraProfile::GetCalibrationIlluminant(int32_t Index) const {
  return Index == 1 ? CalibrationIlluminant1 : (Index == 2 ? CalibrationIlluminant2 : 0);
}

void TDNGCameraProfile::SetCalibrationIlluminant(int32_t Index, int32_t Value) {
  if (Index == 1) CalibrationIlluminant1 = Value;
  if (Index == 2) CalibrationIlluminant2 = Value;
}

namespace {

template <class T>
T* Pick(int32_t Index, T& A, T& B) {
  return Index == 1 ? &A : (Index == 2 ? &B : nullptr);
}

}  // namespace

#define KROMEL_DNG_MATRIX_ACCESS(Name)                                                  \
  void TDNGCameraProfile::Get##Name(int32_t Index, TDNGMatrix& M) const {               \
    if (const TDNGMatrix* P = Pick(Index, Name##1, Name##2)) M = *P;                    \
  }                                                                                     \
  void TDNGCameraProfile::Set##Name(int32_t Index, const TDNGMatrix& M) {               \
    if (TDNGMatrix* P = Pick(Index, Name##1, Name##2)) *P = M;                          \
  }
KROMEL_DNG_MATRIX_ACCESS(ColorMatrix)
KROMEL_DNG_MATRIX_ACCESS(ForwardMatrix)
KROMEL_DNG_MATRIX_ACCESS(ReductionMatrix)
#undef KROMEL_DNG_MATRIX_ACCESS

TDNGHSVTable* TDNGCameraProfile::GetHueSatMap(int32_t Index) const {
  return Index == 1 ? HueSatMap1.get() : (Index == 2 ? HueSatMap2.get() : nullptr);
}

void TDNGCameraProfile::SetHueSatMap(int32_t Index, std::unique_ptr<TDNGHSVTable> Table) {
  if (auto* P = Pick(Index, HueSatMap1, HueSatMap2)) *P = std::move(Table);
}

}  // namespace kromel
