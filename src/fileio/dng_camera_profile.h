// A DNG camera profile (".dcp"): a little TIFF ("II" or "MM", magic 0x4352,
// one IFD) holding the camera model, colour and forward matrices, hue/sat
// maps, a look table, a tone curve and the profile's names.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fileio/dng_tag_stream.h"

namespace kromel {

// Limits of the tables a profile file may announce.
constexpr int32_t MaxDNGTableDivisions = 4096;
constexpr int64_t MaxDNGTableEntries = 4 * 1024 * 1024;

struct TDNGTableDims {
  int32_t Hues = 0;
  int32_t Sats = 0;
  int32_t Vals = 0;
};

class TDNGCameraProfile {
 public:
  bool BigEndianFile = false;
  int32_t ColorPlanes = 0;
  int32_t CalibrationIlluminant1 = 0;
  int32_t CalibrationIlluminant2 = 0;
  int32_t EmbedPolicy = 0;
  int32_t DefaultBlackRender = 0;
  int32_t HueSatMapEncoding = 0;
  TDNGTableDims HueSatMapDims;
  TDNGTableDims LookTableDims;
  int32_t LookTableEncoding = 0;
  int32_t BaselineExposureOffsetDen = 0;
  int32_t BaselineExposureOffsetNum = 0;
  TDNGMatrix ColorMatrix1, ColorMatrix2;
  TDNGMatrix ForwardMatrix1, ForwardMatrix2;
  TDNGMatrix ReductionMatrix1, ReductionMatrix2;
  std::unique_ptr<TDNGHVTable> ToneCurve;
  std::string ProfileCopyright;
  std::string UniqueCameraModel;
  std::string CalibrationSignature;
  std::string ProfileName;
  std::vector<std::string> Errors;  // header problems of every file read
  std::vector<std::string> Log;     // one line per tag read
  std::unique_ptr<TDNGHSVTable> HueSatMap1, HueSatMap2;
  std::unique_ptr<TDNGHSVTable> LookTable;

  // True when the header was valid and the IFD walked (single tags may
  // have failed: see Log, but not every one). Offsets, counts and table
  // sizes are checked against the file; a file that breaks them gives false.
  bool LoadFromFile(const std::string& FileName);
  // The profile as a little-endian file, through the safe file writer.
  bool SaveToFile(const std::string& FileName) const;
  // The file's bytes; empty on failure (reported).
  std::string SaveToBytes() const;

  int32_t GetCalibrationIlluminant(int32_t Index) const;
  void SetCalibrationIlluminant(int32_t Index, int32_t Value);
  void GetColorMatrix(int32_t Index, TDNGMatrix& M) const;
  void SetColorMatrix(int32_t Index, const TDNGMatrix& M);
  void GetForwardMatrix(int32_t Index, TDNGMatrix& M) const;
  void SetForwardMatrix(int32_t Index, const TDNGMatrix& M);
  void GetReductionMatrix(int32_t Index, TDNGMatrix& M) const;
  void SetReductionMatrix(int32_t Index, const TDNGMatrix& M);
  TDNGHSVTable* GetHueSatMap(int32_t Index) const;
  // Takes ownership of Table (the old one is freed).
  void SetHueSatMap(int32_t Index, std::unique_ptr<TDNGHSVTable> Table);
  void SetLookTableEncoding(int32_t Value) { LookTableEncoding = Value; }

 private:
  bool ParseTag(TDNGFileStream& S, int64_t EntryPos);
  void ParseMatrixTag(TDNGFileStream& S, uint32_t Tag, uint32_t Type, uint32_t Count);
  bool CheckColorPlanes(uint32_t Count);
  bool ParseHueSatTable(uint32_t Type, uint32_t Count, int64_t Pos, const TDNGTableDims& Dims,
                        const std::string& Prefix, const std::string& EmptySatsText,
                        std::unique_ptr<TDNGHSVTable>& Table);
  bool ParseDims(TDNGFileStream& S, uint32_t Type, uint32_t Count, const std::string& Prefix,
                 TDNGTableDims& Dims);
  bool AddError(const std::string& Text);
};

}  // namespace kromel
