#include "lut/lut_icc.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "colour/cms_handles.h"
#include "colour/icc_profiles.h"
#include "colour/image64_transfer.h"
#include "foundation/error_sink.h"
#include "foundation/files.h"
#include "images/image64.h"
#include "images/owned_image.h"
#include "lut/lut_edit.h"
#include "lut/lut_lookup.h"
#include "platform/folders.h"
#include "platform/translate.h"

namespace kromel {

namespace {

// The sampling transforms run once per LUT: unoptimised, so that Little
// CMS's 16-bit precalculated grid does not bend nodes near the gamut edge.
constexpr cmsUInt32Number SamplingFlags = cmsFLAGS_NOOPTIMIZE;

// Text with its "%s" replaced by Name.
std::string FormatWithName(const std::string& Text, const std::string& Name) {
  const std::size_t P = Text.find("%s");
  if (P == std::string::npos) return Text;
  return Text.substr(0, P) + Name + Text.substr(P + 2);
}

void ShowIf(bool Show, const char* Text, const std::string& Name) {
  if (Show) ErrorMessageProc(FormatWithName(_(Text), Name));
}

// Lut from a Hald image whose pixel index is the node index; false (Lut
// untouched) when the pixel count is no cube of a valid level count.
bool LoadLutFromHaldImage(T3DLut& Lut, const TImage64& Image, bool ShowErrors) {
  const int64_t Pixels = Image.Pixels != nullptr ? int64_t(Image.Width) * Image.Height : 0;
  const int64_t N = static_cast<int64_t>(std::nearbyint(std::cbrt(static_cast<long double>(Pixels))));
  if (Pixels <= 0 || N * N * N != Pixels || !ValidLutLevels(N)) {
    if (ShowErrors) ErrorMessageProc("T3DLut.LoadFromHaldImage: Incorrect image size");
    return false;
  }
  if (!Lut.EnsureSize(static_cast<int32_t>(N))) return false;
  for (int64_t i = 0; i < Pixels; ++i) {
    const TPixel64& P = Image.Pixels[i];
    Lut.R[i] = static_cast<float>(P.R / 65535.0);
    Lut.G[i] = static_cast<float>(P.G / 65535.0);
    Lut.B[i] = static_cast<float>(P.B / 65535.0);
  }
  return true;
}

// The input-class preparation of the Hald image: decode, optionally
// re-encode with gamma 1.8, then the input tone curve.
void PrepareInputHald(TImage64& Hald, TImageProfile ImageProfile, bool CaptureOneGamma) {
  Image64GammaToLinearByProfile(Hald, ImageProfile);
  if (CaptureOneGamma) Image64LinearToGammaByProfile(Hald, ipGamma18);
  auto Curve = [](uint16_t& W) {
    const float X = static_cast<float>(W / 65535.0);
    const float V = 65535.0f * InputProfileToneCurve(X);
    float R = std::nearbyint(V);
    if (!(R > 0)) R = 0;
    if (R > 65535) R = 65535;
    W = static_cast<uint16_t>(R);
  };
  for (int64_t i = 0; i < Hald.Size; ++i) {
    Curve(Hald.Pixels[i].R);
    Curve(Hald.Pixels[i].G);
    Curve(Hald.Pixels[i].B);
  }
}

}  // namespace

void ConvertLUTProfile(T3DLut& Lut, cmsHPROFILE From, cmsHPROFILE To) {
  try {
    TTransformPtr T1, T2;
    if (From != nullptr && To != nullptr) {
      T1.reset(cmsCreateTransform(From, TYPE_RGBA_FLT, To, TYPE_RGBA_FLT,
                                  INTENT_RELATIVE_COLORIMETRIC, 0));
      T2.reset(cmsCreateTransform(To, TYPE_RGBA_FLT, From, TYPE_RGBA_FLT,
                                  INTENT_RELATIVE_COLORIMETRIC, 0));
    }
    if (T1 && T2 && Lut.HasPlanes()) {
      T3DLut Work;
      if (Work.CopyFrom(Lut)) {
        Lut.SetDefault();
        const int64_t Nodes = int64_t(Lut.NLRH) * Lut.NLGS * Lut.NLBL;
        if (Lut.HasPlanes() && Lut.Count >= Nodes && Nodes > 0) {
          std::vector<float> C(static_cast<std::size_t>(4 * Nodes), 0.0f);
          std::vector<float> D(static_cast<std::size_t>(4 * Nodes), 0.0f);
          for (int64_t i = 0; i < Nodes; ++i) {
            C[4 * i] = Lut.R[i];
            C[4 * i + 1] = Lut.G[i];
            C[4 * i + 2] = Lut.B[i];
          }
          cmsDoTransform(T2.get(), C.data(), D.data(), static_cast<cmsUInt32Number>(Nodes));
          for (int64_t i = 0; i < Nodes; ++i) {
            float* P = &D[4 * i];
            ProcessColorTetrahedralSingle(Work, P[0], P[1], P[2]);
            for (int k = 0; k < 3; ++k)
              if (P[k] < 0) P[k] = 0;
          }
          cmsDoTransform(T1.get(), D.data(), C.data(), static_cast<cmsUInt32Number>(Nodes));
          for (int64_t i = 0; i < Nodes; ++i) {
            Lut.R[i] = C[4 * i];
            Lut.G[i] = C[4 * i + 1];
            Lut.B[i] = C[4 * i + 2];
          }
        }
      }
    }
    Clamp(Lut);
  } catch (...) {
    ErrorMessageProc("Exception in ConvertLUTProfile");
  }
}

bool ICCTo3DLUT(const std::string& FileName, T3DLut& Lut, cmsHPROFILE Working, bool ShowMessages,
                TImageProfile ImageProfile, bool CaptureOneGamma) {
  if (FileName.empty()) return false;
  try {
    if (!FileExists(FileName)) {
      ShowIf(ShowMessages, "Can't load profile from %s: File not found", FileName);
      return false;
    }
    std::string Bytes;
    if (!LoadFileToString(FileName, Bytes)) {
      ShowIf(ShowMessages, "Can't load profile from %s: File can not be opened", FileName);
      return false;
    }
    TMemoryStream Stream(Bytes);
    Bytes.clear();
    return ICCTo3DLUTFromStream(Stream, FileName, Lut, Working, ShowMessages, ImageProfile,
                                CaptureOneGamma);
  } catch (...) {
    if (ShowMessages) ErrorMessageProc("Exception in ICCTo3DLUT, FN=" + FileName);
    return false;
  }
}

bool ICCTo3DLUTFromStream(TByteStream& Stream, const std::string& FileName, T3DLut& Lut,
                          cmsHPROFILE Working, bool ShowMessages, TImageProfile ImageProfile,
                          bool CaptureOneGamma) {
  try {
    TProfilePtr Lab(cmsCreateLab2Profile(cmsD50_xyY()));
    // The profile's bytes are untrusted: their count is checked before the read.
    TProfilePtr Profile;
    const int64_t Count = Stream.Remaining();
    if (Count > 0 && Count <= int64_t(std::numeric_limits<cmsUInt32Number>::max())) {
      std::vector<uint8_t> Bytes(static_cast<std::size_t>(Count));
      if (Stream.Read(Bytes.data(), Count) == Count)
        Profile.reset(OpenProfileFromBytes(Bytes.data(), Bytes.size()));
    }
    if (!Profile) {
      ShowIf(ShowMessages, "Can't load profile from %s: File corrupt?", FileName);
      return false;
    }
    const cmsProfileClassSignature Class = cmsGetDeviceClass(Profile.get());
    const bool Abstract = Class == cmsSigAbstractClass;
    if (!Abstract && Class != cmsSigInputClass) {
      ShowIf(ShowMessages, "Can't load profile from %s: not Abstract or Input class!", FileName);
      return false;
    }
    if (!Lab || Working == nullptr) {
      ShowIf(ShowMessages, "Can't create transform from profile %s: Wrong profile type?", FileName);
      return false;
    }
    TTransformPtr T1, T2;
    if (Abstract) {
      T1.reset(cmsCreateTransform(Working, TYPE_RGBA_16, Lab.get(), TYPE_Lab_16,
                                  INTENT_ABSOLUTE_COLORIMETRIC, SamplingFlags));
      if (!T1) {
        ShowIf(ShowMessages, "Can't create transform from profile %s: Wrong profile type?",
               FileName);
        return false;
      }
      T2.reset(cmsCreateTransform(Lab.get(), TYPE_Lab_16, Profile.get(), TYPE_Lab_16,
                                  INTENT_ABSOLUTE_COLORIMETRIC, SamplingFlags));
      if (!T2) {
        ShowIf(ShowMessages, "Can't create transform 2 from profile %s: Wrong profile type?",
               FileName);
        return false;
      }
    } else {
      T1.reset(cmsCreateTransform(Profile.get(), TYPE_RGBA_16, Working, TYPE_RGBA_16,
                                  INTENT_PERCEPTUAL, SamplingFlags));
      if (!T1) {
        ShowIf(ShowMessages, "Can't create transform from profile %s: Wrong profile type?",
               FileName);
        return false;
      }
    }
    TOwnedImage<TImage64> Hald, Second;
    if (!Hald.Image.MakeHaldIdentity(9)) return false;
    if (!Abstract) PrepareInputHald(Hald.Image, ImageProfile, CaptureOneGamma);
    if (!Second.Image.Alloc(Hald.Image.Width, Hald.Image.Height)) return false;
    Second.Image.Clear();
    const cmsUInt32Number Pixels = static_cast<cmsUInt32Number>(Hald.Image.Size);
    cmsDoTransform(T1.get(), Hald.Image.Pixels, Second.Image.Pixels, Pixels);
    if (Abstract) {
      cmsDoTransform(T2.get(), Second.Image.Pixels, Second.Image.Pixels, Pixels);
      TTransformPtr T3(cmsCreateTransform(Lab.get(), TYPE_Lab_16, Working, TYPE_RGBA_16,
                                          INTENT_ABSOLUTE_COLORIMETRIC, SamplingFlags));
      if (!T3) {
        ShowIf(ShowMessages, "Can't create transform 3 from profile %s: Wrong profile type?",
               FileName);
        return false;
      }
      cmsDoTransform(T3.get(), Second.Image.Pixels, Hald.Image.Pixels, Pixels);
    } else {
      std::memcpy(Hald.Image.Pixels, Second.Image.Pixels,
                  static_cast<std::size_t>(Hald.Image.Size) * sizeof(TPixel64));
    }
    Profile.reset();
    if (!LoadLutFromHaldImage(Lut, Hald.Image, true)) return false;
    Lut.Name = FileName;
    return true;
  } catch (...) {
    if (ShowMessages) ErrorMessageProc("Exception in ICCTo3DLUTFromStream, FN=" + FileName);
    return false;
  }
}

}  // namespace kromel
