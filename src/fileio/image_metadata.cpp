#include "fileio/image_metadata.h"

#include <cmath>
#include <cstring>
#include <optional>

#include "foundation/error_sink.h"
#include "foundation/number_format.h"

namespace kromel {

namespace {

// The first value of a numeric tag, read within the tag's byte length;
// none for other types or short values.
std::optional<double> TagNumber(FITAG* Tag) {
  const uint8_t* Value = static_cast<const uint8_t*>(FreeImage_GetTagValue(Tag));
  const DWORD Length = FreeImage_GetTagLength(Tag);
  if (Value == nullptr || FreeImage_GetTagCount(Tag) < 1) return std::nullopt;
  auto Fits = [&](DWORD Bytes) { return Length >= Bytes; };
  switch (FreeImage_GetTagType(Tag)) {
    case FIDT_SHORT: {
      if (!Fits(2)) return std::nullopt;
      uint16_t V;
      std::memcpy(&V, Value, 2);
      return double(V);
    }
    case FIDT_LONG: {
      if (!Fits(4)) return std::nullopt;
      uint32_t V;
      std::memcpy(&V, Value, 4);
      return double(V);
    }
    case FIDT_RATIONAL: {
      if (!Fits(8)) return std::nullopt;
      uint32_t V[2];
      std::memcpy(V, Value, 8);
      return double(V[0]) / double(V[1] == 0 ? 1 : V[1]);
    }
    case FIDT_SRATIONAL: {
      if (!Fits(8)) return std::nullopt;
      int32_t V[2];
      std::memcpy(V, Value, 8);
      return double(V[0]) / double(V[1] == 0 ? 1 : V[1]);
    }
    case FIDT_FLOAT: {
      if (!Fits(4)) return std::nullopt;
      float V;
      std::memcpy(&V, Value, 4);
      return double(V);
    }
    case FIDT_DOUBLE: {
      if (!Fits(8)) return std::nullopt;
      double V;
      std::memcpy(&V, Value, 8);
      return V;
    }
    default:
      return std::nullopt;
  }
}

// Calls Visit for every tag of the model. A model whose tags were all
// dropped (a decoder that met only unknown tags, or a deleted tag) is
// still listed, and FreeImage's search hands out a stale tag for it: only
// models holding tags are searched.
template <class TVisit>
void ForEachTag(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model, TVisit Visit) {
  if (Bitmap == nullptr || FreeImage_GetMetadataCount(Model, Bitmap) == 0) return;
  FITAG* Tag = nullptr;
  FIMETADATA* Search = FreeImage_FindFirstMetadata(Model, Bitmap, &Tag);
  if (Search == nullptr) return;
  do {
    if (Tag != nullptr) Visit(Tag);
  } while (FreeImage_FindNextMetadata(Search, &Tag));
  FreeImage_FindCloseMetadata(Search);
}

std::string TagKey(FITAG* Tag) {
  const char* Key = FreeImage_GetTagKey(Tag);
  return Key != nullptr ? Key : "";
}

// Builds one tag of a single value; each failing step is reported as
// Routine + " - " + the step's name.
void AddSingleValueTag(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model, const std::string& Key,
                       FREE_IMAGE_MDTYPE Type, const void* Value, DWORD Length,
                       const std::string& Routine) {
  if (Bitmap == nullptr) return;
  FITAG* Tag = FreeImage_CreateTag();
  if (Tag == nullptr) {
    ErrorMessageProc(Routine + " - CreateTag");
    return;
  }
  if (!FreeImage_SetTagType(Tag, Type)) ErrorMessageProc(Routine + " - SetTagType");
  if (!FreeImage_SetTagLength(Tag, Length)) ErrorMessageProc(Routine + " - SetTagLength");
  if (!FreeImage_SetTagKey(Tag, Key.c_str())) ErrorMessageProc(Routine + " - SetTagKey");
  if (!FreeImage_SetTagCount(Tag, 1)) ErrorMessageProc(Routine + " - SetTagCount");
  if (!FreeImage_SetTagValue(Tag, Value)) ErrorMessageProc(Routine + " - SetTagValue");
  if (!FreeImage_SetMetadata(Model, Bitmap, Key.c_str(), Tag))
    ErrorMessageProc(Routine + " - SetMetadata");
  FreeImage_DeleteTag(Tag);
}

}  // namespace

bool FreeImage_AddStringTag(FREE_IMAGE_MDMODEL Model, FIBITMAP* Bitmap, const std::string& Key,
                            const std::string& Value) {
  if (Bitmap == nullptr || Key.empty() || Value.empty()) return false;
  FITAG* Tag = FreeImage_CreateTag();
  if (Tag == nullptr) return false;
  const DWORD Length = DWORD(Value.size() + 1);
  if (FreeImage_SetTagKey(Tag, Key.c_str()) && FreeImage_SetTagLength(Tag, Length) &&
      FreeImage_SetTagCount(Tag, Length) && FreeImage_SetTagType(Tag, FIDT_ASCII) &&
      FreeImage_SetTagValue(Tag, Value.c_str()))
    FreeImage_SetMetadata(Model, Bitmap, Key.c_str(), Tag);
  FreeImage_DeleteTag(Tag);
  return true;
}

void RationalTagParts(double Value, uint32_t& Numerator, uint32_t& Denominator) {
  constexpr double MaxWord = 4294967295.0;
  Denominator = 1000;
  Numerator = 0;
  if (!(Value > 0.0)) return;
  // Below 1 the denominator grows until four digits are kept.
  while (Value * Denominator < 1000.0 && Denominator < 1000000000u) Denominator *= 10;
  while (Value * Denominator > MaxWord && Denominator > 1) Denominator /= 10;
  const double N = std::nearbyint(Value * Denominator);
  Numerator = N >= MaxWord ? 0xFFFFFFFFu : uint32_t(N);
}

void FreeImage_AddRationalTag(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model, const std::string& Key,
                              double Value) {
  uint32_t Parts[2];
  RationalTagParts(Value, Parts[0], Parts[1]);
  AddSingleValueTag(Bitmap, Model, Key, FIDT_RATIONAL, Parts, 8,
                    "Error in FreeImage_AddRationalTag");
}

void FreeImage_AddShortTag(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model, const std::string& Key,
                           int32_t Value) {
  const uint16_t Word = uint16_t(uint32_t(Value) & 0xFFFF);
  AddSingleValueTag(Bitmap, Model, Key, FIDT_SHORT, &Word, 2, "Error in FreeImage_AddShortTag");
}

float GetExifExposureInfo(FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model) {
  std::optional<double> ISO, ExposureTime, Shutter, FNumber, ApertureValue;
  ForEachTag(Bitmap, Model, [&](FITAG* Tag) {
    const std::optional<double> V = TagNumber(Tag);
    if (!V || !std::isfinite(*V)) return;
    const std::string Key = TagKey(Tag);
    if (Key == "ISOSpeedRatings")
      ISO = V;
    else if (Key == "ExposureTime")
      ExposureTime = V;
    else if (Key == "Shutter")
      Shutter = V;
    else if (Key == "FNumber")
      FNumber = V;
    else if (Key == "ApertureValue")
      ApertureValue = V;
  });
  double Figure = 1.0;
  if (ISO) Figure *= *ISO;
  if (ExposureTime)
    Figure *= *ExposureTime;
  else if (Shutter)
    Figure *= *Shutter;
  // An f-number of 0 (a lens that does not report one) is no f-number.
  double N = 0.0;
  if (FNumber && *FNumber > 0.0)
    N = *FNumber;
  else if (ApertureValue)
    N = std::pow(2.0, *ApertureValue / 2.0);
  if (N > 0.0 && std::isfinite(N)) Figure /= N * N;
  return float(Figure);
}

void GetImageMetadataText(std::string& Text, FIBITMAP* Bitmap, FREE_IMAGE_MDMODEL Model) {
  Text.clear();
  ForEachTag(Bitmap, Model, [&](FITAG* Tag) {
    const int32_t Type = int32_t(FreeImage_GetTagType(Tag));
    const std::string Key = TagKey(Tag);
    Text += "[" + std::to_string(Type) + "] " + Key;
    const void* Value = FreeImage_GetTagValue(Tag);
    const DWORD Length = FreeImage_GetTagLength(Tag);
    switch (Type) {
      case FIDT_ASCII: {
        const char* S = static_cast<const char*>(Value);
        Text += ": " + (S != nullptr ? std::string(S, strnlen(S, Length)) : std::string());
        break;
      }
      case FIDT_SHORT:
      case FIDT_LONG: {
        const std::optional<double> V = TagNumber(Tag);
        Text += ": " + (V ? std::to_string(int64_t(*V)) : std::string());
        break;
      }
      case FIDT_UNDEFINED:
        Text += ": " + (Value != nullptr && Length >= 1
                            ? std::to_string(*static_cast<const uint8_t*>(Value))
                            : std::string());
        break;
      case FIDT_RATIONAL:
      case FIDT_SRATIONAL:
      case FIDT_FLOAT:
      case FIDT_DOUBLE: {
        const std::optional<double> V = TagNumber(Tag);
        Text += ": " + (V ? FloatToStrD2(float(*V)) : std::string());
        break;
      }
      default:
        Text += ": Unhandled type " + std::to_string(Type);
        break;
    }
    Text += "\n";
  });
}

}  // namespace kromel
