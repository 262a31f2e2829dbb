#include "lut/lut.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "foundation/error_sink.h"

namespace kromel {

namespace {

void ReleasePlane(float*& Plane) {
  delete[] Plane;
  Plane = nullptr;
}

float* NewZeroPlane(int64_t Count) {
  if (Count <= 0 || Count > INT32_MAX) return nullptr;
  return new (std::nothrow) float[static_cast<std::size_t>(Count)]();
}

void CopyPlane(float* Dst, const float* Src, int32_t Count) {
  if (Dst != nullptr && Src != nullptr && Count > 0)
    std::memcpy(Dst, Src, static_cast<std::size_t>(Count) * sizeof(float));
}

}  // namespace

// --- TLut ---

TLut::~TLut() { FreeData(); }

void TLut::FreeData() {
  ReleasePlane(R);
  ReleasePlane(G);
  ReleasePlane(B);
  ReleasePlane(A);
  Size = 0;
  Count = 0;
}

void TLut::SetNil() {
  R = G = B = A = nullptr;
  Size = 0;
  Count = 0;
}

void TLut::SetNil(TLut* Lut) {
  if (Lut == nullptr) {
    ErrorMessageProc("TLUT.SetNil Error! T3DLut not created!");
    return;
  }
  Lut->SetNil();
}

void TLut::ZeroData() {
  if (R == nullptr) return;
  const std::size_t N = static_cast<std::size_t>(std::max(Count, 0));
  if (G != nullptr && B != nullptr) {
    std::fill_n(R, N, 0.0f);
    std::fill_n(G, N, 0.0f);
    std::fill_n(B, N, 0.0f);
  }
  if (OnChange) OnChange(this);
}

bool TLut::AllocPlanes(int64_t NewCount) {
  FreeData();
  R = NewZeroPlane(NewCount);
  G = NewZeroPlane(NewCount);
  B = NewZeroPlane(NewCount);
  A = NewZeroPlane(NewCount);
  if (R == nullptr || G == nullptr || B == nullptr || A == nullptr) {
    FreeData();
    return false;
  }
  Count = static_cast<int32_t>(NewCount);
  return true;
}

// --- T3DLut: life cycle ---

T3DLut::T3DLut() { ColorModelPreferences.SetDefault(); }

T3DLut::~T3DLut() { Preset.reset(); }

void T3DLut::MakeEmpty() {
  FreeData();
  NLRH = NLGS = NLBL = 0;
  NonCubic = false;
}

bool T3DLut::AllocShape(int32_t NR, int32_t NG, int32_t NB, bool Cubic) {
  FreeData();
  if (!ValidLutLevels(NR) || !ValidLutLevels(NG) || !ValidLutLevels(NB) ||
      (Cubic && (NR != NG || NR != NB))) {
    MakeEmpty();
    return false;
  }
  const int64_t Nodes = int64_t(NR) * NG * NB;
  if (!AllocPlanes(Nodes)) {
    MakeEmpty();
    return false;
  }
  NLRH = NR;
  NLGS = NG;
  NLBL = NB;
  Size = Cubic ? NR : 0;
  NonCubic = !Cubic;
  Valid = false;
  return true;
}

void T3DLut::AdoptShape(T3DLut& Other) {
  FreeData();
  R = Other.R;
  G = Other.G;
  B = Other.B;
  A = Other.A;
  Size = Other.Size;
  Count = Other.Count;
  NLRH = Other.NLRH;
  NLGS = Other.NLGS;
  NLBL = Other.NLBL;
  NonCubic = Other.NonCubic;
  Valid = false;
  Other.SetNil();
  Other.NLRH = Other.NLGS = Other.NLBL = 0;
}

bool T3DLut::SetSize(int32_t N) {
  if (!ValidLutLevels(N)) {
    MakeEmpty();
    ErrorMessageProc("Error in T3DLut.SetSize - N=" + std::to_string(N));
    return false;
  }
  return AllocShape(N, N, N, true);
}

bool T3DLut::SetLevels(int32_t NR, int32_t NG, int32_t NB) {
  if (!ValidLutLevels(NR) || !ValidLutLevels(NG) || !ValidLutLevels(NB)) {
    MakeEmpty();
    ErrorMessageProc("Error in T3DLut.SetLevels - NLRH=" + std::to_string(NR) +
                     " NLGS=" + std::to_string(NG) + " NLBL=" + std::to_string(NB));
    return false;
  }
  return AllocShape(NR, NG, NB, false);
}

bool T3DLut::EnsureSize(int32_t N) {
  if (N == Size && !NonCubic && HasPlanes()) return true;
  Valid = false;
  FreeData();
  return SetSize(N);
}

void T3DLut::SetDefault() {
  bool Usable = true;
  const struct {
    int32_t Levels;
    const char* Label;
  } Axes[3] = {{NLBL, "NLBL"}, {NLGS, "NLGS"}, {NLRH, "NLRH"}};
  for (const auto& Axis : Axes) {
    if (!ValidLutLevels(Axis.Levels)) {
      ErrorMessageProc(std::string("Error in T3DLut.SetDefault - ") + Axis.Label + "=" +
                       std::to_string(Axis.Levels));
      Usable = false;
    }
  }
  const int64_t Nodes = int64_t(NLRH) * NLGS * NLBL;
  if (Usable && (!HasPlanes() || Count != Nodes)) {
    // Planes are missing (a failed read or a freed LUT): make them first.
    const bool Cubic = !NonCubic && NLRH == NLGS && NLRH == NLBL;
    Usable = AllocShape(NLRH, NLGS, NLBL, Cubic);
  }
  if (Usable) {
    int64_t I = 0;
    for (int32_t b = 0; b < NLBL; ++b) {
      const float VB = static_cast<float>(double(b) / double(NLBL - 1));
      for (int32_t g = 0; g < NLGS; ++g) {
        const float VG = static_cast<float>(double(g) / double(NLGS - 1));
        for (int32_t r = 0; r < NLRH; ++r, ++I) {
          R[I] = static_cast<float>(double(r) / double(NLRH - 1));
          G[I] = VG;
          B[I] = VB;
        }
      }
    }
  }
  DisplayReferred = true;
  Valid = false;
  ColorSpace = lcsProfileRGB;
  Name.clear();
}

bool T3DLut::CopyFrom(const T3DLut& Source) {
  if (&Source == this) return true;
  const int64_t Nodes = int64_t(Source.NLRH) * Source.NLGS * Source.NLBL;
  if (!Source.HasPlanes() || !ValidLutLevels(Source.NLRH) || !ValidLutLevels(Source.NLGS) ||
      !ValidLutLevels(Source.NLBL) || Source.Count != Nodes) {
    FreeData();
    return true;
  }
  const bool SameShape = HasPlanes() && NLRH == Source.NLRH && NLGS == Source.NLGS &&
                         NLBL == Source.NLBL && NonCubic == Source.NonCubic &&
                         Size == Source.Size && Count == Source.Count;
  if (!SameShape) {
    FreeData();
    if (!AllocShape(Source.NLRH, Source.NLGS, Source.NLBL, !Source.NonCubic)) return false;
  }
  CopyPlane(R, Source.R, Count);
  CopyPlane(G, Source.G, Count);
  CopyPlane(B, Source.B, Count);
  MaxR = Source.MaxR;
  MaxG = Source.MaxG;
  MaxB = Source.MaxB;
  DisplayReferred = Source.DisplayReferred;
  ColorSpace = Source.ColorSpace;
  ColorModelPreferences = Source.ColorModelPreferences;
  if (A != nullptr && Source.A != nullptr) CopyPlane(A, Source.A, Count);
  Preset.reset();
  if (Source.Preset) {
    const TMemoryStream& P = *Source.Preset;
    Preset = std::make_unique<TMemoryStream>(
        std::string_view(reinterpret_cast<const char*>(P.Memory()),
                         static_cast<std::size_t>(P.Size())));
    Preset->SetPosition(Preset->Size());
  }
  return true;
}

void T3DLut::CopyRGBFrom(const T3DLut& Source) {
  if (&Source == this) return;
  if (!HasPlanes() || !Source.HasPlanes() || Size != Source.Size || NLRH != Source.NLRH ||
      NLGS != Source.NLGS || NLBL != Source.NLBL || Count != Source.Count) {
    ErrorMessageProc("Error in T3DLut.CopyRGBFrom - Sizes mismatch");
    return;
  }
  CopyPlane(R, Source.R, Count);
  CopyPlane(G, Source.G, Count);
  CopyPlane(B, Source.B, Count);
}

void T3DLut::CopyMaskedFrom(const T3DLut& Source) {
  if (&Source == this) return;
  if (!Source.HasPlanes()) {
    FreeData();
    return;
  }
  if (!HasPlanes() || Size != Source.Size || NLRH != Source.NLRH || NLGS != Source.NLGS ||
      NLBL != Source.NLBL || Count != Source.Count) {
    ErrorMessageProc("Error in T3DLut.CopyMaskedFrom: LUT Sizes differ");
    return;
  }
  for (int32_t j = 0; j < Count; ++j) {
    const float W = A[j];
    const float Keep = 1.0f - W;
    R[j] = Keep * Source.R[j] + R[j] * W;
    G[j] = Keep * Source.G[j] + G[j] * W;
    B[j] = Keep * Source.B[j] + B[j] * W;
  }
}

bool T3DLut::IsEmpty() const {
  return !((Size > 1 || NLRH > 1) && R != nullptr && G != nullptr && B != nullptr);
}

bool T3DLut::IsEmpty(const T3DLut* Lut) { return Lut == nullptr || Lut->IsEmpty(); }

std::string LutDiagnosticFolder() {
  const char* Home = std::getenv("HOME");
  std::string Folder = Home != nullptr ? Home : "";
  while (!Folder.empty() && Folder.back() == '/') Folder.pop_back();
  return Folder + "/DropBox/";
}

}  // namespace kromel
