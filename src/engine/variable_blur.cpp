#include "engine/variable_blur.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "foundation/debug_log.h"
#include "platform/message_sink.h"

namespace kromel {

namespace {

void Log(const std::string& Text) {
  if (DebugLogEnabled()) DebugLogAdd(Text, 0);
}

int32_t Nint(double V) {
  return static_cast<int32_t>(std::clamp(std::nearbyint(V), -2147483648.0, 2147483647.0));
}

bool Marked(const TImage64& Mask, int32_t X, int32_t Y) { return Mask.Row(Y)[X].R > 20000; }

// Distance to the nearest marked pixel of (X, Y), searched ring by ring
// from FirstRing.
int32_t BlackRadius(const TImage64& Mask, int32_t X, int32_t Y, int32_t FirstRing,
                    int32_t MaxRadius) {
  const int32_t S = std::min({X, Y, Mask.Width - 1 - X, Mask.Height - 1 - Y});
  int32_t D = FirstRing;
  if (D >= S) D = S - 1;
  if (D <= 0) D = 1;
  int64_t Best = -1;
  int32_t Stop = -1;
  while (D < S && (Stop < 0 || D < Stop) && D < MaxRadius) {
    // Offsets 0, -1, 1, -2, 2, ... -D.
    for (int32_t I = 0; I < 2 * D; ++I) {
      const int32_t F = I % 2 == 0 ? I / 2 : -(I + 1) / 2;
      if (Marked(Mask, X + F, Y - D) || Marked(Mask, X + F, Y + D) ||
          Marked(Mask, X - D, Y + F) || Marked(Mask, X + D, Y + F)) {
        const int64_t Dist = int64_t(F) * F + int64_t(D) * D;
        Best = Best < 0 ? Dist : std::min(Best, Dist);
        if (Stop < 0) Stop = D * 141 / 100;
        break;
      }
    }
    ++D;
  }
  const int32_t Radius = Best < 0 ? D : Nint(std::sqrt(double(Best)));
  return std::max(std::min({Radius, S, MaxRadius}), 0);
}

// Disposes the images it holds when it goes out of scope.
struct TImagesGuard {
  TImage64* Images[2];
  ~TImagesGuard() {
    for (TImage64* I : Images) I->Dispose();
  }
};

}  // namespace

void SplitDetailLayer(TImage64& Image, TImage64& Detail, int32_t Radius) {
  Detail.Copy(Image);
  Image.GaussianBlur(static_cast<float>(Radius));
  Image64AddScaled(Detail, Image, Detail, -1, 0.5f, 32768);
}

void FindBlackRadius(TImage64& Mask, int32_t MaxRadius) {
  if (Mask.Pixels == nullptr || Mask.Width <= 0 || Mask.Height <= 0) return;
  for (int32_t Y = 0; Y < Mask.Height; ++Y) {
    int32_t Previous = 1;
    for (int32_t X = 0; X < Mask.Width; ++X) {
      const int32_t Radius = BlackRadius(Mask, X, Y, Previous * 100 / 141 - 3, MaxRadius);
      Mask.Row(Y)[X].A = static_cast<uint16_t>(std::min(Radius * 100, 65535));
      Previous = Radius;
    }
  }
  Mask.AlphaToGreen();
}

void Image64VariableBlur(TImage64& Image, float Factor) {
  if (Image.Pixels == nullptr || Image.Width <= 0 || Image.Height <= 0) return;
  TImage64 Copy;
  Copy.Copy(Image);
  if (Copy.Pixels == nullptr) return;
  int32_t X = 0, Y = 0, BX = 0, BY = 0;
  try {
    for (Y = 0; Y < Image.Height; ++Y)
      for (X = 0; X < Image.Width; ++X) {
        TPixel64& P = Image.Row(Y)[X];
        const int32_t R = std::min(
            {Nint(double(P.A) * Factor), X, Y, Image.Width - 1 - X, Image.Height - 1 - Y});
        if (R <= 0) continue;
        int64_t Sum[3] = {0, 0, 0}, Count = 0;
        for (BY = -R; BY <= R; ++BY) {
          const int32_t Room = R * R - BY * BY;
          const int32_t W = Room <= 0 ? 0 : Nint(std::sqrt(double(Room)));
          const TPixel64* Row = Copy.Row(Y + BY);
          for (BX = -W; BX <= W; ++BX) {
            const TPixel64& Q = Row[X + BX];
            Sum[0] += Q.R;
            Sum[1] += Q.G;
            Sum[2] += Q.B;
            ++Count;
          }
        }
        P.R = static_cast<uint16_t>(Sum[0] / Count);
        P.G = static_cast<uint16_t>(Sum[1] / Count);
        P.B = static_cast<uint16_t>(Sum[2] / Count);
      }
  } catch (const std::exception&) {
    PlatformShowMessage("Exception in Image64VariableBlur, X=" + std::to_string(X) +
                        " Y=" + std::to_string(Y) + " BX=" + std::to_string(BX) +
                        " BY=" + std::to_string(BY));
  }
  Copy.Dispose();
}

void ProcessVariableBlur(TImage64& Image, int32_t RampAmount, int32_t Threshold,
                         int32_t MaxRadius, int32_t Mode) {
  Log("*** Processing start");
  TImage64 Mask, Detail;
  TImagesGuard Guard{{&Mask, &Detail}};
  Mask.Copy(Image);
  Mask.GaussianBlur(25);
  Image64AddScaled(Image, Mask, Mask, -1, 0.5f, 32768);
  Mask.GaussianBlur(3);
  Mask.AbsFromMid();
  Mask.MaxRGBToGray();
  Mask.AddRampFrom(Image, 8000, 0, RampAmount);
  SplitDetailLayer(Image, Detail, 7);
  Mask.Threshold(Threshold);
  Log("Remove small points...");
  for (int32_t Distance : {14, 12, 8, 5}) Mask.RemoveSmallPoints(Distance);
  if (Mode == 1) {
    Image.Copy(Mask);
    return;
  }
  for (int I = 0; I < 3; ++I) Mask.DilateGray();
  Log("Find black radius...");
  FindBlackRadius(Mask, MaxRadius);
  Image.CopyAlphaFrom(Mask);
  if (Mode == 2) {
    Image.AlphaToRGB();
    return;
  }
  Log("Variable blur...");
  Image64VariableBlur(Image, 0.01f);
  Image64AddScaled(Image, Detail, Image, 2, 1, -65536);
  Log("Done!");
}

}  // namespace kromel
