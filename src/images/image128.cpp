#include "images/image128.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "foundation/error_sink.h"
#include "foundation/messages.h"
#include "images/blur_kernel.h"
#include "images/draw_clip.h"
#include "images/image_chunk.h"
#include "images/sample.h"
#include "images/text_raster.h"

namespace kromel {

// The chunk stores the Singles little-endian, as they lie in memory here.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr int32_t PixelBytes = int32_t(sizeof(TBGRAPixel128));

// Width x Height pixels really lie behind Data.
bool HasArea(const TImage128& I) { return HasPixelArea(I.Data, I.Width, I.Height, I.Size); }

bool Inside(const TImage128& I, int64_t X, int64_t Y) {
  return X >= 0 && Y >= 0 && X < I.Width && Y < I.Height;
}

uint8_t FloatToByte(float V) {
  const double X = std::nearbyint(double(V) * 255.0);
  if (!(X > 0)) return 0;
  return X >= 255 ? 255 : uint8_t(X);
}

uint16_t FloatToWord(float V) {
  const double X = std::nearbyint(double(V) * 65535.0);
  if (!(X > 0)) return 0;
  return X >= 65535 ? 65535 : uint16_t(X);
}

// round(sqrt(max(0, R^2 - D^2))), the half width of a disc row.
int32_t HalfChord(int32_t R, int32_t D) {
  const double Q = double(int64_t(R) * R - int64_t(D) * D);
  return int32_t(std::nearbyint(std::sqrt(std::max(0.0, Q))));
}

// Quantised to 1/256: round(V x 256) / 256.
float Quantise256(double V) { return float(std::nearbyint(V * 256.0) / 256.0); }

// Calls Put(X, Row) for the columns X1..X2 of Row that lie in the image.
template <class TPut>
void Span(const TImage128& I, int64_t Row, int64_t X1, int64_t X2, TPut&& Put) {
  if (Row < 0 || Row >= I.Height) return;
  const int64_t A = std::max<int64_t>(X1, 0);
  const int64_t B = std::min<int64_t>(X2, int64_t(I.Width) - 1);
  for (int64_t X = A; X <= B; ++X) Put(int32_t(X), int32_t(Row));
}

// The rows of a rounded rectangle: corner rows Y1 + R - i and Y2 - R + i for
// i = 0..R, then the full-width rows FullFirst..FullLast.
// Only rows inside the image are visited.
template <class TRowFn>
void RoundRectRows(const TImage128& Image, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                   int32_t R, int64_t FullFirst, int64_t FullLast, TRowFn&& RowFn) {
  if (R >= 0) {
    int64_t A1 = 0, B1 = R, A2 = 0, B2 = R;
    drawclip::ClipOffsets(A1, B1, int64_t(Y1) + R, -1, Image.Height);
    drawclip::ClipOffsets(A2, B2, int64_t(Y2) - R, 1, Image.Height);
    drawclip::ForUnion(A1, B1, A2, B2, [&](int64_t I) {
      const int32_t H = HalfChord(R, int32_t(I));
      const int64_t Left = int64_t(X1) + R - H, Right = int64_t(X2) - R + H;
      RowFn(int64_t(Y1) + R - I, Left, Right);
      RowFn(int64_t(Y2) - R + I, Left, Right);
    });
  }
  for (int64_t Y = std::max<int64_t>(FullFirst, 0); Y <= std::min<int64_t>(FullLast, Image.Height - 1); ++Y)
    RowFn(Y, int64_t(X1), int64_t(X2));
}

// Rows Y - R .. Y + R that lie in the image: Fn(Dy).
template <class TFn>
void ForDiscRows(const TImage128& Image, int32_t Y, int32_t R, TFn&& Fn) {
  int64_t Lo = -int64_t(R), Hi = R;
  drawclip::ClipOffsets(Lo, Hi, Y, 1, Image.Height);
  for (int64_t Dy = Lo; Dy <= Hi; ++Dy) Fn(int32_t(Dy));
}

// The pixels FillRoundRect paints in the image, row by row as sorted,
// merged column ranges {y, first, last}.
std::vector<int64_t> RoundRectShown(const TImage128& Image, int64_t X1, int64_t Y1, int64_t X2,
                                    int64_t Y2, int32_t R) {
  Y1 = std::min<int64_t>(Y1, Image.Height - 1);
  Y2 = std::min<int64_t>(Y2, Image.Height - 1);
  std::vector<int64_t> Out;
  for (int64_t Y = 0; Y < Image.Height; ++Y) {
    std::pair<int64_t, int64_t> Ranges[3];
    int N = 0;
    if (Y >= Y1 + R && Y <= Y2 - R) Ranges[N++] = {X1, X2};
    for (const int64_t I : {Y1 + R - Y, Y - (Y2 - R)})
      if (R >= 0 && I >= 0 && I <= R) {
        const int32_t H = HalfChord(R, int32_t(I));
        Ranges[N++] = {X1 + R - H, X2 - R + H};
      }
    drawclip::AppendShownRow(Out, Y, Ranges, N, Image.Width);
  }
  return Out;
}

// Calls Put(Dst, S) for every Src pixel placed at (X, Y) that falls inside.
template <class TPut>
void Overlay(TImage128& Dst, int32_t X, int32_t Y, const TImage128& Src, TPut&& Put) {
  if (!HasArea(Dst) || !HasArea(Src)) return;
  const int64_t X0 = std::max<int64_t>(0, X), Y0 = std::max<int64_t>(0, Y);
  const int64_t X1 = std::min<int64_t>(Dst.Width, int64_t(X) + Src.Width);
  const int64_t Y1 = std::min<int64_t>(Dst.Height, int64_t(Y) + Src.Height);
  for (int64_t Yd = Y0; Yd < Y1; ++Yd) {
    TBGRAPixel128* D = Dst.Row(int32_t(Yd));
    const TBGRAPixel128* S = Src.Row(int32_t(Yd - Y));
    for (int64_t Xd = X0; Xd < X1; ++Xd) Put(D[Xd], S[Xd - X]);
  }
}

// One pass of the recursive smoothing over N pixels Stride apart.
void SmoothPass(TBGRAPixel128* P, int64_t Stride, int32_t N, float K, bool Cap) {
  float S[4] = {P->B, P->G, P->R, P->A};
  for (int32_t I = 0; I < N; ++I, P += Stride) {
    float* V[4] = {&P->B, &P->G, &P->R, &P->A};
    for (int C = 0; C < 4; ++C) {
      S[C] = (1 - K) * *V[C] + K * S[C];
      if (Cap && S[C] > 65535.0f) S[C] = 65535.0f;
      *V[C] = S[C];
    }
  }
}

// Out[Y x OutStride] = sum over the taps of In[clamp(Y + T - Half) x
// InStride] x K[T], for Y = 0..N-1; the ends repeat the edge pixel.
void ConvolveLine(const TBGRAPixel128* In, int64_t InStride, int32_t N, TBGRAPixel128* Out,
                  int64_t OutStride, const float* K, int64_t Count) {
  const int64_t Half = Count / 2;
  for (int64_t Y = 0; Y < N; ++Y) {
    float S[4] = {0, 0, 0, 0};
    for (int64_t T = 0; T < Count; ++T) {
      const TBGRAPixel128& P = In[std::clamp<int64_t>(Y + T - Half, 0, N - 1) * InStride];
      S[0] += P.B * K[T];
      S[1] += P.G * K[T];
      S[2] += P.R * K[T];
      S[3] += P.A * K[T];
    }
    Out[Y * OutStride] = {S[0], S[1], S[2], S[3]};
  }
}

// Writes every pixel of Image into Dst through Store(Dst pixel, pixel); a
// Dst without pixels or with fewer is reported for Method and left alone.
template <class TDst, class TStore>
void CopyPixelsTo(const TImage128& Image, TDst& Dst, const char* Method, TStore Store) {
  if (Image.Data == nullptr || Image.Size <= 0) return;
  if (Dst.Pixels == nullptr || Dst.Size < Image.Size) {
    ErrorMessageProc(std::string("Exception in TImage128.") + Method +
                     ", Size=" + std::to_string(Image.Size) +
                     " Dst.Size=" + std::to_string(Dst.Pixels == nullptr ? 0 : Dst.Size));
    return;
  }
  for (int32_t I = 0; I < Image.Size; ++I) Store(Dst.Pixels[I], Image.Data[I]);
}

// The number of pixels for which Test holds; 0 without data.
template <class TTest>
int32_t CountPixelsWhere(const TImage128& Image, TTest Test) {
  if (Image.Data == nullptr) return 0;
  int32_t N = 0;
  for (int32_t I = 0; I < Image.Size; ++I)
    if (Test(Image.Data[I])) ++N;
  return N;
}

}  // namespace

bool TImage128::Resize(int32_t NewWidth, int32_t NewHeight) {
  if (Data != nullptr && Width == NewWidth && Height == NewHeight &&
      int64_t(Size) == int64_t(NewWidth) * NewHeight)
    return true;
  if (NewWidth <= 0 || NewHeight <= 0) {
    Dispose();
    return false;
  }
  TImage128 New;
  if (!New.Alloc(NewWidth, NewHeight)) return false;
  if (Data != nullptr && Size > 0)
    std::memcpy(New.Data, Data, size_t(std::min(Size, New.Size)) * sizeof(TBGRAPixel128));
  *this = std::move(New);
  return true;
}

void TImage128::Clear() {
  if (Data != nullptr && Size > 0) std::memset(Data, 0, size_t(Size) * sizeof(TBGRAPixel128));
}

void TImage128::Fill(const TBGRAPixel128& P) {
  if (Data == nullptr) return;
  std::fill(Data, Data + std::max(Size, 0), P);
}

void TImage128::SetAlpha(float A) {
  if (Data == nullptr) return;
  for (int32_t I = 0; I < Size; ++I) Data[I].A = A;
}

void TImage128::ClampRGB() {
  if (Data == nullptr || Size <= 0) return;
  for (int32_t I = 0; I < Size; ++I)
    for (float* V : {&Data[I].B, &Data[I].G, &Data[I].R}) {
      if (*V > 1) *V = 1;
      if (*V < 0) *V = 0;
    }
}

void TImage128::Copy(const TImage128& Src) {
  if (Data == nullptr) {
    DebugShowMessage("TImage128.Copy - Destination image is not allocated");
    return;
  }
  if (Src.Data == Data || Size <= 0) return;
  if (Src.Data == nullptr || Src.Size < Size) {
    ErrorMessageProc("Exception in TImage128.Copy, Size=" + std::to_string(Size) +
                     " Src.Size=" + std::to_string(Src.Data == nullptr ? 0 : Src.Size));
    return;
  }
  std::memcpy(Data, Src.Data, size_t(Size) * sizeof(TBGRAPixel128));
}

void TImage128::CopyFrom(TRawBitmap& Bitmap) {
  Dispose();
  if (Alloc(Bitmap.Width(), Bitmap.Height())) Clear();
  DebugShowMessage("TImage128.CopyFrom(TBitmap) not implemented");
}

bool TImage128::WriteToFile(std::FILE* F) {
  if (Data == nullptr) {
    Width = 0;
    Height = 0;
  }
  const int64_t Count = int64_t(Width) * Height;
  if (Count > 0 && Count > Size) {
    ErrorMessageProc("Exception in TImage128.WriteToFile, Width=" + std::to_string(Width) +
                     " Height=" + std::to_string(Height) + " Size=" + std::to_string(Size));
    return false;
  }
  if (WriteImageChunk(F, Width, Height, Data, PixelBytes)) return true;
  ErrorMessageProc("Exception in TImage128.WriteToFile, write failed");
  return false;
}

bool TImage128::ReadFromFile(std::FILE* F) {
  TImageChunkHeader Header;
  const TImageChunkStatus Status = ReadImageChunkHeader(F, PixelBytes, Header);
  if (Status == TImageChunkStatus::NoTag) return false;
  if (Status == TImageChunkStatus::Empty) {
    Dispose();
    return true;
  }
  const std::string Where = "Exception in TImage128.ReadFromFile, Width=" +
                            std::to_string(Header.Width) +
                            " Height=" + std::to_string(Header.Height) + ": ";
  if (Status != TImageChunkStatus::Ok) {
    ErrorMessageProc(Where + ImageChunkStatusText(Status));
    return false;
  }
  TImage128 Temp;
  if (!Temp.Alloc(Header.Width, Header.Height)) {
    RestoreImageChunkPosition(F, Header);
    ErrorMessageProc(Where + "not enough memory");
    return false;
  }
  if (!ReadImageChunkPixels(F, Header, PixelBytes, Temp.Data)) {
    Temp.Dispose();
    ErrorMessageProc(Where + ImageChunkStatusText(TImageChunkStatus::TooShort));
    return false;
  }
  *this = std::move(Temp);
  return true;
}

void TImage128::CopyFromImage32(const TImage32& Src) {
  Dispose();
  if (Src.Pixels == nullptr || Src.Width <= 0 || Src.Height <= 0 ||
      int64_t(Src.Width) * Src.Height > Src.Size || !Alloc(Src.Width, Src.Height))
    return;
  for (int32_t I = 0; I < Size; ++I) {
    const TBGRAPixel32 S = Src.Pixels[I].BGRA;
    Data[I] = {float(S.B / 255.0), float(S.G / 255.0), float(S.R / 255.0), float(S.A / 255.0)};
  }
}

void TImage128::CopyToImage32(TImage32& Dst) const {
  CopyPixelsTo(*this, Dst, "CopyToImage32", [](TVPixel32& D, const TBGRAPixel128& P) {
    D.BGRA = {FloatToByte(P.B), FloatToByte(P.G), FloatToByte(P.R), FloatToByte(P.A)};
  });
}

void TImage128::CopyFromImage64(const TImage64& Src) {
  if (Src.Pixels == nullptr || Src.Width <= 0 || Src.Height <= 0 ||
      int64_t(Src.Width) * Src.Height > Src.Size) {
    Dispose();
    return;
  }
  if (Data == nullptr || Width != Src.Width || Height != Src.Height ||
      int64_t(Width) * Height > Size) {
    Dispose();
    if (!Alloc(Src.Width, Src.Height)) return;
  }
  const int32_t Count = Width * Height;
  for (int32_t I = 0; I < Count; ++I) {
    const TPixel64 S = Src.Pixels[I];
    Data[I] = {float(S.B / 65535.0), float(S.G / 65535.0), float(S.R / 65535.0),
               float(S.A / 65535.0)};
  }
}

void TImage128::CopyToImage64(TImage64& Dst) const {
  CopyPixelsTo(*this, Dst, "CopyToImage64", [](TPixel64& D, const TBGRAPixel128& P) {
    D = {FloatToWord(P.R), FloatToWord(P.G), FloatToWord(P.B), FloatToWord(P.A)};
  });
}

void ExpandRGBFloatToPixel128(void* Buf, int64_t Count) {
  if (Buf == nullptr || Count <= 0) return;
  float* F = static_cast<float*>(Buf);
  for (int64_t I = Count - 1; I >= 0; --I) {
    const float R = F[3 * I], G = F[3 * I + 1], B = F[3 * I + 2];
    F[4 * I] = B;
    F[4 * I + 1] = G;
    F[4 * I + 2] = R;
    F[4 * I + 3] = 1.0f;
  }
}

void TImage128::UpSample2x() {
  if (!HasArea(*this)) return;
  const int64_t W2 = int64_t(Width) * 2, H2 = int64_t(Height) * 2;
  TImage128 New;
  if (W2 > INT32_MAX || H2 > INT32_MAX) {
    DebugShowMessage("Exception in TImage128.Alloc");
    return;
  }
  if (!New.Alloc(int32_t(W2), int32_t(H2))) return;
  for (int32_t Y = 0; Y < Height; ++Y) {
    const TBGRAPixel128* S = Row(Y);
    TBGRAPixel128* D0 = New.Row(2 * Y);
    TBGRAPixel128* D1 = New.Row(2 * Y + 1);
    for (int32_t X = 0; X < Width; ++X)
      D0[2 * X] = D0[2 * X + 1] = D1[2 * X] = D1[2 * X + 1] = S[X];
  }
  *this = std::move(New);
}

void TImage128::DownSample2x() {
  if (!HasArea(*this)) return;
  const int32_t W2 = Width / 2, H2 = Height / 2;
  if (W2 == 0 || H2 == 0) {
    Dispose();
    return;
  }
  TImage128 New;
  if (!New.Alloc(W2, H2)) return;
  for (int32_t Y = 0; Y < H2; ++Y) {
    const TBGRAPixel128* S0 = Row(2 * Y);
    const TBGRAPixel128* S1 = Row(2 * Y + 1);
    TBGRAPixel128* D = New.Row(Y);
    for (int32_t X = 0; X < W2; ++X) {
      TBGRAPixel128 Top, Bottom;
      BlendPixel128(Top, S0[2 * X], S0[2 * X + 1], 0.5f);
      BlendPixel128(Bottom, S1[2 * X], S1[2 * X + 1], 0.5f);
      BlendPixel128(D[X], Top, Bottom, 0.5f);
    }
  }
  *this = std::move(New);
}

void TImage128::ReversePixels() {
  if (Data == nullptr || Size <= 0) return;
  std::reverse(Data, Data + Size);
}

void TImage128::SmoothRecursive(float K) {
  if (!HasArea(*this)) return;
  for (int32_t Y = 0; Y < Height; ++Y) {
    SmoothPass(Row(Y), 1, Width, K, false);
    SmoothPass(Row(Y) + Width - 1, -1, Width, K, true);
  }
  for (int32_t X = 0; X < Width; ++X) {
    SmoothPass(Data + X, Width, Height, K, true);
    SmoothPass(Row(Height - 1) + X, -int64_t(Width), Height, K, true);
  }
}

void TImage128::GaussianBlur(float Radius) {
  if (!HasArea(*this)) return;
  TSample32 Kernel;
  Kernel.Init();
  TImage128 Temp;
  try {
    Init1DGaussianBlurKernel(Kernel, Radius);
    if (Kernel.Data != nullptr && Kernel.Count > 0) {
      if (!Temp.Alloc(Width, Height)) throw std::bad_alloc();
      for (int32_t X = 0; X < Width; ++X)
        ConvolveLine(Data + X, Width, Height, Temp.Data + X, Width, Kernel.Data, Kernel.Count);
      for (int32_t Y = 0; Y < Height; ++Y)
        ConvolveLine(Temp.Row(Y), 1, Width, Row(Y), 1, Kernel.Data, Kernel.Count);
    }
  } catch (...) {
    DebugShowMessage("Exception in TImage128.GaussianBlur");
  }
  Temp.Dispose();
  Kernel.Dispose();
}

int32_t TImage128::FindNearColor(float R, float G, float B, float Tol) const {
  if (Data == nullptr) return -1;
  for (int32_t I = 0; I < Size; ++I) {
    const TBGRAPixel128& P = Data[I];
    if (P.A > 0.1f &&
        std::fabs(P.R - R) + std::fabs(P.G - G) + std::fabs(P.B - B) < Tol)
      return I;
  }
  return -1;
}

int32_t TImage128::FindNearestColor(float R, float G, float B) const {
  if (Data == nullptr) return -1;
  int32_t Best = -1;
  float BestD = 0;
  for (int32_t I = 0; I < Size; ++I) {
    const TBGRAPixel128& P = Data[I];
    if (!(P.A > 0.5f)) continue;
    const float D = (P.R - R) * (P.R - R) + (P.G - G) * (P.G - G) + (P.B - B) * (P.B - B);
    if (Best < 0 || D < BestD) {
      Best = I;
      BestD = D;
    }
  }
  return Best;
}

bool TImage128::IsAllBlack() const {
  if (Data == nullptr) return true;
  for (int32_t I = 0; I < Size; ++I) {
    const TBGRAPixel128& P = Data[I];
    if (P.R > 1.0e-6L || P.G > 1.0e-6L || P.B > 1.0e-6L) return false;
  }
  return true;
}

int32_t TImage128::CountClippedPixels() const {
  return CountPixelsWhere(*this, [](const TBGRAPixel128& P) {
    return P.R > 0.999999L || P.G > 0.999999L || P.B > 0.999999L;
  });
}

int32_t TImage128::CountClipped2() const {
  return CountPixelsWhere(*this, [](const TBGRAPixel128& P) {
    return int(P.R > 0.999999L) + int(P.G > 0.999999L) + int(P.B > 0.999999L) >= 2;
  });
}

int32_t TImage128::CountVisiblePixels() const {
  return CountPixelsWhere(*this, [](const TBGRAPixel128& P) { return P.A > 1.0e-5L; });
}

int32_t AverageNeutralSaturation(const TImage128& Image, float& Avg, float Threshold) {
  Avg = 0;
  if (Image.Data == nullptr) return 0;
  int32_t N = 0;
  double Sum = 0;
  for (int32_t I = 0; I < Image.Size; ++I) {
    const float S = Pixel128Saturation005(Image.Data[I]);
    if (S < Threshold) {
      Sum += S;
      ++N;
    }
  }
  if (N > 0) Avg = float(Sum / N);
  return N;
}

void BlendPixel128(TBGRAPixel128& Res, const TBGRAPixel128& A, const TBGRAPixel128& B, float W) {
  const float V = 1 - W;
  Res = {V * A.B + W * B.B, V * A.G + W * B.G, V * A.R + W * B.R, V * A.A + W * B.A};
}

void CompositePixel128(TBGRAPixel128& Res, const TBGRAPixel128& Under,
                       const TBGRAPixel128& Over) {
  const float A = Over.A, V = 1 - Over.A;
  const float B = Over.B * A + V * Under.B;
  const float G = Over.G * A + V * Under.G;
  const float R = Over.R * A + V * Under.R;
  Res.B = B;
  Res.G = G;
  Res.R = R;
}

void TImage128::FillRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                         const TBGRAPixel128& C) {
  if (!HasArea(*this)) return;
  for (int64_t Y = std::max(Y1, 0); Y <= std::min(Y2, Height - 1); ++Y)
    Span(*this, Y, X1, X2, [&](int32_t X, int32_t Yi) { Row(Yi)[X] = C; });
}

void TImage128::FillCircle(int32_t X, int32_t Y, int32_t R, const TBGRAPixel128& C) {
  if (!HasArea(*this) || R < 0) return;
  ForDiscRows(*this, Y, R, [&](int32_t Dy) {
    const int32_t H = HalfChord(R, Dy);
    Span(*this, int64_t(Y) + Dy, int64_t(X) - H, int64_t(X) + H,
         [&](int32_t Xi, int32_t Yi) { Row(Yi)[Xi] = C; });
  });
}

void TImage128::FillRoundRect(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                              const TBGRAPixel128& C) {
  if (!HasArea(*this)) return;
  Y1 = std::min(Y1, Height - 1);
  Y2 = std::min(Y2, Height - 1);
  RoundRectRows(*this, X1, Y1, X2, Y2, R, int64_t(Y1) + R, int64_t(Y2) - R,
                [&](int64_t Y, int64_t A, int64_t B) {
                  Span(*this, Y, A, B, [&](int32_t X, int32_t Yi) { Row(Yi)[X] = C; });
                });
}

void TImage128::FillRoundRectGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                      const TBGRAPixel128& C1, const TBGRAPixel128& C2) {
  if (!HasArea(*this)) return;
  const int64_t Span12 = int64_t(Y2) - Y1;
  RoundRectRows(*this, X1, Y1, X2, Y2, R, int64_t(Y1) + R, int64_t(Y2) - R,
                [&](int64_t Y, int64_t A, int64_t B) {
                  if (Y < 0 || Y >= Height) return;
                  const float W = Span12 == 0 ? 0.0f : float((Y - Y1) * 256 / Span12) / 256.0f;
                  TBGRAPixel128 C;
                  BlendPixel128(C, C1, C2, W);
                  Span(*this, Y, A, B, [&](int32_t X, int32_t Yi) { Row(Yi)[X] = C; });
                });
}

void TImage128::BlendRoundRectGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                       int32_t R, const TBGRAPixel128& C1,
                                       const TBGRAPixel128& C2) {
  if (!HasArea(*this)) return;
  const int64_t Span12 = int64_t(Y2) - Y1;
  RoundRectRows(*this, X1, Y1, X2, Y2, R, int64_t(Y1) + R + 1, int64_t(Y2) - R - 1,
                [&](int64_t Y, int64_t A, int64_t B) {
                  if (Y < 0 || Y >= Height) return;
                  const float W = Span12 == 0 ? 0.0f : float(double(Y - Y1) / double(Span12));
                  TBGRAPixel128 C;
                  BlendPixel128(C, C1, C2, W);
                  Span(*this, Y, A, B, [&](int32_t X, int32_t Yi) {
                    CompositePixel128(Row(Yi)[X], Row(Yi)[X], C);
                  });
                });
}

void TImage128::FillSphere(int32_t X, int32_t Y, int32_t R, const TBGRAPixel128& C1,
                           const TBGRAPixel128& C2) {
  if (!HasArea(*this) || R < 0) return;
  ForDiscRows(*this, Y, R, [&](int32_t Dy) {
    const int32_t H = HalfChord(R, Dy);
    Span(*this, int64_t(Y) + Dy, int64_t(X) - H, int64_t(X) + H, [&](int32_t Xi, int32_t Yi) {
      const double Dx = double(int64_t(Xi) - X);
      const double Q = double(R) * R - Dx * Dx - double(Dy) * Dy;
      const float W = R == 0 ? 1.0f : Quantise256(std::sqrt(std::max(0.0, Q)) / R);
      BlendPixel128(Row(Yi)[Xi], C1, C2, W);
    });
  });
}

void TImage128::FillCircleRadial(int32_t X, int32_t Y, int32_t R, const TBGRAPixel128& C1,
                                 const TBGRAPixel128& C2) {
  if (!HasArea(*this) || R < 0) return;
  ForDiscRows(*this, Y, R, [&](int32_t Dy) {
    const int32_t H = HalfChord(R, Dy);
    Span(*this, int64_t(Y) + Dy, int64_t(X) - H, int64_t(X) + H, [&](int32_t Xi, int32_t Yi) {
      const double Dx = double(int64_t(Xi) - X);
      const float W = R == 0 ? 0.0f : Quantise256(std::sqrt(Dx * Dx + double(Dy) * Dy) / R);
      BlendPixel128(Row(Yi)[Xi], C2, C1, W);
    });
  });
}

void TImage128::FillRoundRectBevel(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                   const TBGRAPixel128& C1, const TBGRAPixel128& C2,
                                   int32_t Steps) {
  if (!HasArea(*this) || Steps < 1) return;
  // No ring beyond half the shape's smaller side; rings that show the same
  // pixels as a later one are not painted.
  const int64_t Half = std::max<int64_t>(std::min(int64_t(X2) - X1, int64_t(Y2) - Y1) / 2, 0);
  drawclip::PaintNestedRings(
      std::min<int64_t>(Steps, Half), 2 * (int64_t(Width) + Height) + 64,
      [&](int64_t P) { return RoundRectShown(*this, X1 + P, Y1 + P, X2 - P, Y2 - P, R); },
      [&](int64_t P) {
        TBGRAPixel128 C;
        BlendPixel128(C, C1, C2, Quantise256(std::pow(double(P) / Steps, 0.1)));
        FillRoundRect(int32_t(X1 + P), int32_t(Y1 + P), int32_t(X2 - P), int32_t(Y2 - P), R, C);
      });
}

namespace {

// The cushion of FillRoundRectCushion / BlendRoundRectCushion: Put(X, Y, Q)
// for every rim pixel with its height Q, Inner(X, Y) for the inside.
template <class TPut, class TInner>
void CushionShape(const TImage128& I, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                  TPut&& Put, TInner&& Inner) {
  const int64_t RR = int64_t(R) * R;
  auto At = [&](int64_t X, int64_t Y, int64_t Q) {
    if (Inside(I, X, Y)) Put(int32_t(X), int32_t(Y), Q);
  };
  // Columns X1 + R + Dx and X2 - R - Dx for Dx in Lo..0, those in the image.
  auto Columns = [&](int64_t Lo, auto&& Fn) {
    int64_t A1 = Lo, B1 = 0, A2 = Lo, B2 = 0;
    drawclip::ClipOffsets(A1, B1, int64_t(X1) + R, 1, I.Width);
    drawclip::ClipOffsets(A2, B2, int64_t(X2) - R, -1, I.Width);
    drawclip::ForUnion(A1, B1, A2, B2, Fn);
  };
  const int64_t FlatFirst = std::max<int64_t>(int64_t(X1) + R, 0);
  const int64_t FlatLast = std::min<int64_t>(int64_t(X2) - R, int64_t(I.Width) - 1);
  if (R >= 0) {
    int64_t A1 = 0, B1 = R, A2 = 0, B2 = R;
    drawclip::ClipOffsets(A1, B1, int64_t(Y1) + R, -1, I.Height);
    drawclip::ClipOffsets(A2, B2, int64_t(Y2) - R, 1, I.Height);
    drawclip::ForUnion(A1, B1, A2, B2, [&](int64_t Ii) {
      const int64_t Top = int64_t(Y1) + R - Ii, Bottom = int64_t(Y2) - R + Ii;
      const int32_t H = HalfChord(R, int32_t(Ii));
      Columns(-int64_t(H), [&](int64_t Dx) {
        const int64_t Q = RR - Dx * Dx - Ii * Ii;
        for (const int64_t Y : {Top, Bottom}) {
          At(int64_t(X1) + R + Dx, Y, Q);
          At(int64_t(X2) - R - Dx, Y, Q);
        }
      });
      for (const int64_t Y : {Top, Bottom})
        for (int64_t X = FlatFirst; X <= FlatLast; ++X) At(X, Y, RR - Ii * Ii);
    });
  }
  for (int64_t Y = std::max<int64_t>(int64_t(Y1) + R, 0);
       Y <= std::min<int64_t>(int64_t(Y2) - R, int64_t(I.Height) - 1); ++Y) {
    Columns(-int64_t(R), [&](int64_t Dx) {
      At(int64_t(X1) + R + Dx, Y, RR - Dx * Dx);
      At(int64_t(X2) - R - Dx, Y, RR - Dx * Dx);
    });
    const int64_t A = std::max<int64_t>(int64_t(X1) + R, 0);
    const int64_t B = std::min<int64_t>(int64_t(X2) - R, int64_t(I.Width) - 1);
    for (int64_t X = A; X <= B; ++X) Inner(int32_t(X), int32_t(Y));
  }
}

}  // namespace

void TImage128::FillRoundRectCushion(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                     const TBGRAPixel128& C1, const TBGRAPixel128& C2) {
  if (!HasArea(*this)) return;
  CushionShape(
      *this, X1, Y1, X2, Y2, R,
      [&](int32_t X, int32_t Y, int64_t Q) {
        const float W =
            R <= 0 ? 1.0f : Quantise256(std::sqrt(std::max(0.0, double(Q))) / double(R));
        BlendPixel128(Row(Y)[X], C1, C2, W);
      },
      [&](int32_t X, int32_t Y) { Row(Y)[X] = C2; });
}

void TImage128::BlendRoundRectCushion(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, int32_t R,
                                      const TBGRAPixel128& C1, const TBGRAPixel128& C2) {
  if (!HasArea(*this)) return;
  CushionShape(
      *this, X1, Y1, X2, Y2, R,
      [&](int32_t X, int32_t Y, int64_t Q) {
        const float W = R <= 0 ? 1.0f : float(std::sqrt(std::max(0.0, double(Q))) / double(R));
        TBGRAPixel128 C;
        BlendPixel128(C, C1, C2, W);
        CompositePixel128(Row(Y)[X], Row(Y)[X], C);
      },
      [&](int32_t X, int32_t Y) { CompositePixel128(Row(Y)[X], Row(Y)[X], C2); });
}

void TImage128::FillLinearGradient(int32_t X1, int32_t Y1, int32_t X2, int32_t Y2,
                                   const TBGRAPixel128& C1, const TBGRAPixel128& C2) {
  if (!HasArea(*this)) return;
  const int64_t Dx = int64_t(X2) - X1, Dy = int64_t(Y2) - Y1;
  using Wide = __int128;  // squares of sides up to 2^32 overflow 64 bits
  const double L2 = double(Wide(Dx) * Dx + Wide(Dy) * Dy);
  for (int32_t Y = 0; Y < Height; ++Y) {
    TBGRAPixel128* P = Row(Y);
    for (int32_t X = 0; X < Width; ++X) {
      double T = 0;
      if (L2 > 0) T = double(Wide(int64_t(X) - X1) * Dx + Wide(int64_t(Y) - Y1) * Dy) / L2;
      T = std::clamp(T, 0.0, 1.0);
      BlendPixel128(P[X], C1, C2, Quantise256(T));
    }
  }
}

void TImage128::MaxImage(int32_t X, int32_t Y, const TImage128& Src) {
  Overlay(*this, X, Y, Src, [](TBGRAPixel128& D, const TBGRAPixel128& S) {
    D = {std::max(D.B, S.B), std::max(D.G, S.G), std::max(D.R, S.R), std::max(D.A, S.A)};
  });
}

void TImage128::MinImage(int32_t X, int32_t Y, const TImage128& Src) {
  Overlay(*this, X, Y, Src, [](TBGRAPixel128& D, const TBGRAPixel128& S) {
    D = {std::min(D.B, S.B), std::min(D.G, S.G), std::min(D.R, S.R), std::min(D.A, S.A)};
  });
}

void TImage128::DrawImageOver(int32_t X, int32_t Y, const TImage128& Src) {
  Overlay(*this, X, Y, Src,
          [](TBGRAPixel128& D, const TBGRAPixel128& S) { CompositePixel128(D, D, S); });
}

void TImage128::DrawText(int32_t X, int32_t Y, const std::string& Text, int32_t Size,
                         const TBGRAPixel128& C) {
  TTextCoverage Ink;
  if (Text.empty() || !HasArea(*this) || !RenderTextLine(Text, "Arial", Size, fsBold, Ink)) return;
  const int64_t Left = int64_t(X) - Ink.Width / 2;
  for (int32_t R = 0; R < Ink.Height; ++R)
    for (int32_t K = 0; K < Ink.Width; ++K) {
      const int64_t PX = Left + K, PY = int64_t(Y) + R;
      if (Ink.At(K, R) == 255 && PX >= 0 && PY >= 0 && PX < Width && PY < Height)
        CompositePixel128(Row(int32_t(PY))[PX], Row(int32_t(PY))[PX], C);
    }
}

}  // namespace kromel
