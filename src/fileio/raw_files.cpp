// LibRaw before FreeImage (see raw_metadata.h).
#include "fileio/raw_metadata.h"
#include "fileio/raw_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "fileio/file_extension.h"
#include "images/owned_image.h"
#include "foundation/ascii_case.h"
#include "foundation/error_sink.h"
#include "foundation/numeric.h"
#include "platform/folders.h"

namespace kromel {

int64_t RawMemoryImagePixelLimit = 64000000;

const std::array<double, 9> RawAdobeRGBMatrix = {0.715146, 0.284856, 0.0,      0.0, 1.0,
                                                 0.0,      0.0,      0.041166, 0.958839};
const std::array<double, 9> RawProPhotoMatrix = {0.529317, 0.330092, 0.140588,
                                                 0.098368, 0.873465, 0.028169,
                                                 0.016879, 0.117663, 0.865457};

namespace {

struct TLibRawCloser {
  void operator()(libraw_data_t* Raw) const {
    if (Raw != nullptr) libraw_close(Raw);
  }
};
using TLibRawPtr = std::unique_ptr<libraw_data_t, TLibRawCloser>;

struct TMemImageFree {
  void operator()(libraw_processed_image_t* Mem) const {
    if (Mem != nullptr) libraw_dcraw_clear_mem(Mem);
  }
};
using TMemImagePtr = std::unique_ptr<libraw_processed_image_t, TMemImageFree>;

// A = B x A (B applied after A), row-major.
void MultiplyMatrixOnLeft(std::array<double, 9>& A, const std::array<double, 9>& B) {
  std::array<double, 9> P{};
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J)
      P[I * 3 + J] = B[I * 3] * A[J] + B[I * 3 + 1] * A[3 + J] + B[I * 3 + 2] * A[6 + J];
  A = P;
}

bool FitsImage(int64_t W, int64_t H) {
  return W > 0 && H > 0 && W <= INT32_MAX && H <= INT32_MAX && W * H <= INT32_MAX;
}

void SetAlpha64(TImage64& Image, uint16_t Alpha) {
  for (int32_t I = 0; I < Image.Size; ++I) Image.Pixels[I].A = Alpha;
}

// Expands Count pixels of Samples words each, in place, to TPixel64.
void ExpandSamples(void* Buffer, int64_t Count, int32_t Samples) {
  if (Samples == 1)
    ExpandGray16ToPixel64(Buffer, Count);
  else if (Samples == 3)
    ExpandRGB48ToPixel64(Buffer, Count);
}

std::string SwapWriteFailureText() {
  std::string Text =
      "Error writing swap file to %s. Please check that the folder exists, permissions are "
      "granted and there is enough free disk space.";
  Text.replace(Text.find("%s"), 2, TempFolder());
  return Text;
}

// Turns a picture read from LibRaw's own buffer the way its memory image
// is turned: flip bit 4 transposes, bit 2 turns upside down, bit 1 mirrors.
bool OrientLikeMemoryImage(TOwnedImage<TImage64>& Loaded, int Flip) {
  if ((Flip & 7) == 0) return true;
  const TImage64& Src = Loaded.Image;
  const int32_t W = Src.Width, H = Src.Height;
  const bool Transposed = (Flip & 4) != 0;
  TOwnedImage<TImage64> Turned;
  if (!Turned.Image.Alloc(Transposed ? H : W, Transposed ? W : H)) return false;
  const int32_t OW = Turned.Image.Width;
  for (int32_t Row = 0; Row < Turned.Image.Height; ++Row)
    for (int32_t Col = 0; Col < OW; ++Col) {
      int32_t R = Transposed ? Col : Row, C = Transposed ? Row : Col;
      if (Flip & 2) R = H - 1 - R;
      if (Flip & 1) C = W - 1 - C;
      Turned.Image.Pixels[int64_t(Row) * OW + Col] = Src.Pixels[int64_t(R) * W + C];
    }
  Turned.MoveTo(Loaded.Image);
  return true;
}

}  // namespace

bool RawNeedsSwapFile(int64_t Width, int64_t Height) {
  return Width * Height > RawMemoryImagePixelLimit;
}

// ---- swap file --------------------------------------------------------------

TRawSwapFile::~TRawSwapFile() { Close(); }

bool TRawSwapFile::Create() {
  Close();
  std::string Template = TempFolder() + "/krmllibraw_XXXXXX.tmp";
  std::vector<char> Name(Template.begin(), Template.end());
  Name.push_back('\0');
  FFd = ::mkstemps(Name.data(), 4);
  if (FFd < 0) {
    FPath = Template;
    return false;
  }
  FPath.assign(Name.data());
  // Nameless from here on: nothing is left behind whatever happens.
  ::unlink(FPath.c_str());
  return true;
}

bool TRawSwapFile::Write(const void* Data, int64_t Count) {
  if (FFd < 0 || Count < 0 || (Count > 0 && Data == nullptr)) return false;
  const uint8_t* P = static_cast<const uint8_t*>(Data);
  while (Count > 0) {
    const ssize_t Done = ::write(FFd, P, size_t(std::min<int64_t>(Count, 1 << 30)));
    if (Done < 0 && errno == EINTR) continue;
    if (Done <= 0) return false;
    P += Done;
    Count -= Done;
  }
  return true;
}

bool TRawSwapFile::ReadInto(TImage64& Image, int32_t Width, int32_t Height, int32_t Samples) {
  Image.Dispose();
  bool Ok = false;
  const char* Failure = "LoadImage64FromRawFile error reading swap file";
  struct stat St;
  if (FFd >= 0 && FitsImage(Width, Height) && (Samples == 1 || Samples == 3 || Samples == 4) &&
      ::fstat(FFd, &St) == 0) {
    const int64_t Pixels = int64_t(Width) * Height;
    // Samples words of every pixel, no more and no less.
    if (int64_t(St.st_size) != Pixels * 2 * Samples) {
      Failure = "LoadImage64FromRawFile error reading swap file: wrong size";
    } else if (Image.Alloc(Width, Height)) {
      uint8_t* P = reinterpret_cast<uint8_t*>(Image.Pixels);
      int64_t Left = St.st_size, Offset = 0;
      while (Left > 0) {
        const ssize_t Got = ::pread(FFd, P + Offset, size_t(std::min<int64_t>(Left, 1 << 30)),
                                    off_t(Offset));
        if (Got < 0 && errno == EINTR) continue;
        if (Got <= 0) break;
        Offset += Got;
        Left -= Got;
      }
      Ok = Left == 0;
      if (Ok) ExpandSamples(Image.Pixels, Pixels, Samples);
    }
  }
  Close();
  if (!Ok) {
    ErrorMessageProc(Failure);
    Image.Dispose();
  }
  return Ok;
}

void TRawSwapFile::Close() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
}

// ---- decoding ---------------------------------------------------------------

void RawWhiteBalanceMultipliers(const float (&Pre)[4], const float (&Cam)[4], float& R, float& G,
                                float& B) {
  const float P0 = Pre[0] == 0.0f ? 1.0f : Pre[0];
  const float P2 = Pre[2] == 0.0f ? 1.0f : Pre[2];
  R = Cam[0] / P0;
  B = Cam[2] / P2;
  if (Cam[3] != 0.0f && Pre[3] != 0.0f)
    G = Pre[1] != 0.0f ? (Cam[1] / Pre[1] + Cam[3] / Pre[3]) * 0.5f : Cam[3] / Pre[3];
  else
    G = Pre[1] != 0.0f ? Cam[1] / Pre[1] : Cam[1];
  if (R == 0.0f || G == 0.0f || B == 0.0f) R = G = B = 1.0f;
}

bool LoadImage64FromRawFile(TImage64& Image, const std::string& FileName, int32_t OutputColor,
                            bool UniWB, std::array<uint16_t, 3>& HighlightClip,
                            int32_t HighlightMode, int32_t Demosaic, int32_t NoiseReduction,
                            float& R, float& G, float& B, std::array<double, 9>& CameraMatrix,
                            FIBITMAP* MetadataHolder) {
  if (Demosaic < 0) Demosaic = 0;
  TLibRawPtr Raw;
  try {
    Raw.reset(libraw_init(0));
  } catch (...) {
    Raw.reset();
  }
  if (!Raw) {
    ErrorMessageProc("Failed to initialize LibRaw");
    return false;
  }
  int Ret = LIBRAW_SUCCESS;
  try {
    Ret = libraw_open_file(Raw.get(), FileName.c_str());
  } catch (...) {
    ErrorMessageProc("Exception in LibRaw.dll in libraw_open_file, file name: " + FileName);
    Ret = LIBRAW_UNSPECIFIED_ERROR;
  }
  if (Ret != LIBRAW_SUCCESS) return false;

  const uint16_t Clip = HighlightMode == 0 ? 65535 : 42000;
  try {
    if (libraw_unpack(Raw.get()) != LIBRAW_SUCCESS) return false;
    libraw_set_output_bps(Raw.get(), 16);
    libraw_set_highlight(Raw.get(), HighlightMode);
    libraw_set_output_color(Raw.get(), OutputColor);
    libraw_set_demosaic(Raw.get(), Demosaic);
    libraw_set_fbdd_noiserd(Raw.get(), NoiseReduction);
    libraw_set_gamma(Raw.get(), 0, 1.0f);
    libraw_set_gamma(Raw.get(), 1, 1.0f);
    libraw_set_no_auto_bright(Raw.get(), 1);
    libraw_set_bright(Raw.get(), 1.0f);
    libraw_adjust_sizes_info_only(Raw.get());
    if (UniWB)
      for (int C = 0; C < 4; ++C) libraw_set_user_mul(Raw.get(), C, 1.0f);
    try {
      Ret = libraw_dcraw_process(Raw.get());
    } catch (...) {
      ErrorMessageProc("Exception in LibRaw.dll:libraw_dcraw_process, file name: " + FileName);
      return false;
    }
    if (Ret != LIBRAW_SUCCESS) {
      if (Ret == LIBRAW_UNSUFFICIENT_MEMORY)
        ErrorMessageProc("Not enough memory in libraw_dcraw_process " + std::to_string(Ret) +
                         "\n" + libraw_strerror(Ret) + "\nMemory usage: " +
                         std::to_string(GetMemoryUsed() / 1048576) + " Mb ");
      else
        ErrorMessageProc("Error in libraw_dcraw_process " + std::to_string(Ret) + "\n" +
                         libraw_strerror(Ret));
      return false;
    }
  } catch (...) {
    ErrorMessageProc("Exception in LoadImage64FromRawFile 0");
    return false;
  }

  float MulR = 1.0f, MulG = 1.0f, MulB = 1.0f;
  float Pre[4], Cam[4];
  for (int C = 0; C < 4; ++C) {
    Pre[C] = libraw_get_pre_mul(Raw.get(), C);
    Cam[C] = libraw_get_cam_mul(Raw.get(), C);
  }
  RawWhiteBalanceMultipliers(Pre, Cam, MulR, MulG, MulB);

  std::array<double, 9> Matrix{};
  const float InvR = 1.0f / MulR, InvG = 1.0f / MulG, InvB = 1.0f / MulB;
  for (int I = 0; I < 3; ++I)
    for (int J = 0; J < 3; ++J) Matrix[I * 3 + J] = double(libraw_get_rgb_cam(Raw.get(), I, J));
  if (OutputColor == 2)
    MultiplyMatrixOnLeft(Matrix, RawAdobeRGBMatrix);
  else if (OutputColor == 4)
    MultiplyMatrixOnLeft(Matrix, RawProPhotoMatrix);
  if (OutputColor != 0) {
    const double In[3] = {InvR, InvG, InvB};
    float Out[3];
    for (int I = 0; I < 3; ++I)
      Out[I] = float(Matrix[I * 3] * In[0] + Matrix[I * 3 + 1] * In[1] + Matrix[I * 3 + 2] * In[2]);
    MulR = 1.0f / std::max(Out[0], 0.00001f);
    MulG = 1.0f / std::max(Out[1], 0.00001f);
    MulB = 1.0f / std::max(Out[2], 0.00001f);
  }

  // Pixels: LibRaw's memory image, else LibRaw's own buffer through the swap
  // file; a picture that cannot be allocated also goes through the swap file
  // so that LibRaw's memory is released before the picture is filled.
  TOwnedImage<TImage64> Loaded;
  TRawSwapFile Swap;
  int32_t SwapSamples = 0, W = 0, H = 0;
  // LibRaw's own buffer is not yet turned to the picture's orientation.
  int OwnBufferFlip = 0;
  try {
    const int64_t IW = libraw_get_iwidth(Raw.get()), IH = libraw_get_iheight(Raw.get());
    bool FromOwnBuffer = RawNeedsSwapFile(IW, IH);
    if (!FromOwnBuffer) {
      int Err = 0;
      TMemImagePtr Mem(libraw_dcraw_make_mem_image(Raw.get(), &Err));
      if (!Mem) {
        ErrorMessageProc("Not enough memory to make memory image in LibRaw. Will try to continue");
        FromOwnBuffer = true;
      } else {
        const int64_t MW = Mem->width, MH = Mem->height, Colors = Mem->colors;
        if (Mem->type != LIBRAW_IMAGE_BITMAP || Mem->bits != 16 ||
            (Colors != 1 && Colors != 3 && Colors != 4) || !FitsImage(MW, MH) ||
            int64_t(Mem->data_size) != MW * MH * Colors * 2) {
          ErrorMessageProc("Exception in LoadImage64FromRawFile 4");
          return false;
        }
        W = int32_t(MW);
        H = int32_t(MH);
        if (Loaded.Image.Alloc(W, H)) {
          std::memcpy(Loaded.Image.Pixels, Mem->data, Mem->data_size);
          ExpandSamples(Loaded.Image.Pixels, MW * MH, int32_t(Colors));
        } else {
          try {
            if (!Swap.Create() || !Swap.Write(Mem->data, int64_t(Mem->data_size))) {
              ErrorMessageProc("Failed to save RAW temp file to " + Swap.Path());
              return false;
            }
          } catch (...) {
            ErrorMessageProc("Exception in LoadImage64FromRawFile 4.1");
            return false;
          }
          SwapSamples = int32_t(Colors);
        }
      }
    }
    if (FromOwnBuffer) {
      if (!FitsImage(IW, IH) || Raw->image == nullptr) {
        ErrorMessageProc("Exception in LoadImage64FromRawFile 4");
        return false;
      }
      W = int32_t(IW);
      H = int32_t(IH);
      if (!Swap.Create() || !Swap.Write(Raw->image, IW * IH * 8)) {
        ErrorMessageProc(SwapWriteFailureText());
        return false;
      }
      SwapSamples = 4;
      OwnBufferFlip = Raw->sizes.flip;
    }
  } catch (...) {
    ErrorMessageProc("Exception in LoadImage64FromRawFile 4");
    return false;
  }

  try {
    if (MetadataHolder != nullptr) AddRawMetadataTags(Raw.get(), MetadataHolder);
    Raw.reset();
    if (SwapSamples != 0 && !Swap.ReadInto(Loaded.Image, W, H, SwapSamples)) return false;
    if (!OrientLikeMemoryImage(Loaded, OwnBufferFlip)) {
      ErrorMessageProc("Exception in LoadImage64FromRawFile 5");
      return false;
    }
  } catch (...) {
    ErrorMessageProc("Exception in LoadImage64FromRawFile 5");
    return false;
  }
  SetAlpha64(Loaded.Image, 65535);
  Loaded.MoveTo(Image);
  HighlightClip = {Clip, Clip, Clip};
  R = MulR;
  G = MulG;
  B = MulB;
  CameraMatrix = Matrix;
  return true;
}

// ---- names, capabilities, tags -----------------------------------------------

bool IsRawFileExtension(const std::string& FileName) {
  const std::string Ext = UpperFileExtension(FileName);
  if (Ext.empty()) return false;
  const std::string Pattern = "*" + Ext;
  const std::string List = UpperAscii(RawFileExtensions);
  size_t Start = 0;
  while (Start <= List.size()) {
    size_t End = List.find(';', Start);
    if (End == std::string::npos) End = List.size();
    if (List.compare(Start, End - Start, Pattern) == 0) return true;
    Start = End + 1;
  }
  return false;
}

void GetLibRawCapabilitiesText(std::string& Text) {
  const unsigned Caps = libraw_capabilities();
  Text.clear();
  auto Add = [&](unsigned Bit, const char* Name) {
    if ((Caps & Bit) == 0) return;
    if (!Text.empty()) Text += ", ";
    Text += Name;
  };
  Add(LIBRAW_CAPS_RAWSPEED, "RawSpeed");
  Add(LIBRAW_CAPS_DNGSDK, "DNG SDK");
#if LIBRAW_VERSION < LIBRAW_MAKE_VERSION(0, 20, 0)
  Add(LIBRAW_CAPS_DEMOSAICSGPL2, "Demosaics GPL2");
  Add(LIBRAW_CAPS_DEMOSAICSGPL3, "Demosaics GPL3");
#endif
  if (Text.empty()) Text = "Default";
}

}  // namespace kromel
