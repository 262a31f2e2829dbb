#include "colour/log_curves.h"

#include <algorithm>
#include <cmath>

namespace kromel {

namespace {

inline float S(double X) { return static_cast<float>(X); }
inline double Pow10(double X) { return std::pow(10.0, X); }

}  // namespace

const char* const LogProfileNames[LogProfileCount] = {"Off",
                                                      "LogC",
                                                      "ACEScc",
                                                      "ACEScct",
                                                      "BMD Film",
                                                      "BMDFilm 4K",
                                                      "BMDFilm 4.6K",
                                                      "VisionLOG",
                                                      "Cinestyle",
                                                      "SLog",
                                                      "SLog2",
                                                      "SLog3",
                                                      "RedLog",
                                                      "RedLogFilm",
                                                      "Red LOG3G10",
                                                      "DJI Inspire Log",
                                                      "DJI D-Log Ph3",
                                                      "DJI D-Log Ph4Pro",
                                                      "Cineon",
                                                      "V-Log",
                                                      "Canon Log",
                                                      "Canon Log 2",
                                                      "Canon Log 3",
                                                      "Fuji F-Log",
                                                      "Z CAM Zlog",
                                                      "Insta360 I-Log",
                                                      "Linear",
                                                      "Rec709",
                                                      "PQ",
                                                      "Custom"};

std::string GetLogProfileNames(bool WithCustom) {
  std::string S;
  const int Last = WithCustom ? LogIndexCustom : LogIndexPQ;
  for (int I = 0; I <= Last; ++I) {
    if (!S.empty()) S += ";";
    S += LogProfileNames[I];
  }
  return S;
}

float LogCToLinear(float V) {
  const double v = V;
  if (v > 0.1496582) return S((Pow10((v - 0.385537) / 0.2471896) - 0.052272) / 5.555556);
  return S((v - 0.092809) / 5.367655);
}

float LinearToLogC(float X) {
  const double x = X;
  const double A = 5.367655 * x + 0.092809;
  if (A > 0.1496582) return S(0.2471896 * std::log10(5.555556 * x + 0.052272) + 0.385537);
  return S(A);
}

float RedLogToLinear(float V) {
  return S(0.01005514 * std::exp(4.609676 * static_cast<double>(V)) - 0.01005514);
}

float LinearToRedLog(float X) {
  double x = X;
  if (x < -0.00995514) x = -0.00995514;
  return S(std::log((x + 0.01005514) / 0.01005514) / 4.609676);
}

float RedLogFilmToLinear(float V) {
  return S((0.3929177 * std::exp(7.85 * static_cast<double>(V)) - 0.8135464) * 0.0135);
}

float LinearToRedLogFilm(float X) {
  double A = S(static_cast<double>(X) / 0.0135 + 0.8135464);
  if (A < 1e-8) A = 1e-8;
  return S(std::log(A / 0.3929177) / 7.85);
}

float RedLog3G10ToLinear(float V) {
  const double v = V;
  if (v < 0) return S(v / 15.1927 - 0.01);
  return S((Pow10(v / 0.224282) - 1.0) / 155.975327 - 0.01);
}

float LinearToRedLog3G10(float X) {
  const double Y = S(static_cast<double>(X) + 0.01);
  if (Y < 0) return S(15.1927 * Y);
  return S(0.224282 * std::log10(155.975327 * Y + 1.0));
}

float DJIInspireLogToLinear(float V) {
  return S(0.06362358 * std::exp(3.275957 * static_cast<double>(V)) - 0.06513406);
}

float LinearToDJIInspireLog(float X) {
  double x = X;
  if (x < -0.05513406) x = -0.05513406;
  return S(std::log((x + 0.06513406) / 0.06362358) / 3.275957);
}

float DLogPhantom3ToLinear(float V) {
  return S(0.01532337987463 * std::exp(4.61975796843389 * static_cast<double>(V)) - 0.015976472);
}

float LinearToDLogPhantom3(float X) {
  double x = X;
  if (x < -0.014976472) x = -0.014976472;
  return S(std::log((x + 0.015976472) / 0.01532337987463) / 4.61975796843389);
}

float DLogPhantom4ProToLinear(float V) {
  const double v = V;
  if (v > 0.19) return S(std::exp(6.56 * v - 4.9));
  return S(0.23 * v - 0.0182);
}

float LinearToDLogPhantom4Pro(float X) {
  // The decoder jumps at 0.19 from 0.0255 up to e^(6.56*0.19 - 4.9): the log
  // segment starts there, and the values in the jump encode as 0.19.
  const double x = X;
  const double Threshold = std::exp(6.56 * 0.19 - 4.9);
  if (x > Threshold) return S((std::log(x) + 4.9) / 6.56);
  return S(std::min((x + 0.0182) / 0.23, 0.19));
}

float SLogToLinear(float V) {
  return S(Pow10((static_cast<double>(V) - 0.616596 - 0.03) / 0.432699) - 0.037584);
}

float LinearToSLog(float X) {
  const double x = X;
  if (x <= -0.037584) return 0;
  return S(0.432699 * std::log10(x + 0.037584) + 0.616596 + 0.03);
}

float SLog2ToLinear(float V) {
  const double A = S((static_cast<double>(V) - 0.06256109481915934) / 0.8563049853372434);
  if (A < 0.030001222851889303) return S((A - 0.030001222851889303) * 0.28258064516129);
  return S(219.0 * (Pow10((A - 0.616596 - 0.03) / 0.432699) - 0.037584) / 155.0);
}

float LinearToSLog2(float X) {
  const double x = X;
  double Y;
  if (x < 0)
    Y = x / 0.28258064516129 + 0.030001222851889303;
  else
    Y = 0.432699 * std::log10(x / 1.41290322580645 + 0.037584) + 0.616596 + 0.03;
  Y = S(Y);
  return S(0.8563049853372434 * Y + 0.06256109481915934);
}

float SLog3ToLinear(float V) {
  const double v = V;
  if (v >= 0.16736099187966764) {
    const float Num = S(1023.0 * v - 420.0);
    const float E = S(Num / 261.5);
    return S(0.19 * Pow10(E) - 0.01);
  }
  return S((1023.0 * v - 95.0) * 0.01125 / 76.2102946929);
}

float LinearToSLog3(float X) {
  const double x = X;
  const double A = (76.2102946929 * x / 0.01125 + 95.0) / 1023.0;
  if (A < 0.16736099187966764) return S(A);
  return S((261.5 * std::log10((x + 0.01) / 0.19) + 420.0) / 1023.0);
}

float BMDFilmToLinear(float V) {
  const double v = V;
  double R;
  if (S(1023.0 * v) < 116.76569468333333)
    R = (v - 0.09286412512218964) * 32704.0 / 0.7659482 * 0.03125 + 64.0;
  else
    R = (Pow10((v - 0.3644932) / 0.3676106) - 0.1806583) * 0.03125 * 32704.0 + 64.0;
  R = S(R);
  return S(R / 32704.0 * 4.0);
}

float LinearToBMDFilm(float X) {
  const double Sv = S(static_cast<double>(X) * 0.25 * 32704.0);
  double C;
  if (Sv >= 92.38888888888889)
    C = 0.3676106 * std::log10((Sv - 64.0) * 32.0 / 32704.0 + 0.1806583) + 0.3644932;
  else
    C = (Sv - 64.0) * 24.5103424 / 32704.0 + 0.09286412512218964;
  return S(static_cast<double>(S(1023.0 * C)) / 1023.0);
}

float BMDFilm4KToLinear(float V) {
  double v = V;
  if (v < 0) v = 0;
  return S(0.066727731037841215 *
               std::exp(0.1111225895624625 * std::sqrt(v) + 3.3339987522246424 * v) -
           0.076794156608110675);
}

float LinearToBMDFilm4K(float X) {
  double x = X;
  if (x < 0) x = 0;
  const double Sv = S(x * 0.25 * 32704.0);
  double C;
  if (Sv < 127.08641975308642)
    C = (Sv - 64.0) * 7.73414352 / 32704.0 + 0.09286412512218964;
  else
    C = 0.5822436 * std::log10((Sv - 64.0) * 14.4 / 32704.0 + 0.4430254) + 0.2982706;
  return S(static_cast<double>(S(1023.0 * C)) / 1023.0);
}

float BMDFilm46ToLinear(float V) {
  const double v = V;
  if (v <= 0.097) return S(0.17583032929030229 * v - 0.01284620922659431);
  return S(0.063326386718978639 * std::exp(6.3476075188314969 * v - 1.4388595119521992) -
           0.023594026541081919);
}

float LinearToBMDFilm46(float X) {
  const double x = X;
  if (x <= 0.0042093327145650121) return S((x + 0.01284620922659431) / 0.17583032929030229);
  return S((std::log((x + 0.023594026541081919) / 0.063326386718978639) + 1.4388595119521992) /
           6.3476075188314969);
}

float VisionLogToLinear(float V) { return S(Pow10(3.1 * static_cast<double>(V) - 2.13) - 0.015); }

float LinearToVisionLog(float X) {
  double x = X;
  if (x < -0.0149) x = -0.0149;
  return S((std::log10(x + 0.015) + 2.13) / 3.1);
}

namespace {

double CinestyleDecode(double v) {
  return 0.04592042452008742 * std::exp(4.103449186569533 * v) - 0.185601029322316 * v -
         0.04596946772450125;
}

}  // namespace

float CinestyleToLinear(float V) { return S(CinestyleDecode(V)); }

// Bisection on the rising part of the decoder, which starts at its minimum
// V0; values below the minimum encode to V0.
float LinearToCinestyle(float X) {
  static const double V0 =
      std::log(0.185601029322316 / (0.04592042452008742 * 4.103449186569533)) / 4.103449186569533;
  const double x = X;
  if (std::isnan(x)) return X;
  if (x <= CinestyleDecode(V0)) return S(V0);
  double Lo = V0;
  double Hi = 1.0;
  while (CinestyleDecode(Hi) < x && Hi < 32.0) {
    Lo = Hi;
    Hi *= 2.0;
  }
  if (CinestyleDecode(Hi) < x) return S(Hi);
  for (int I = 0; I < 64 && Hi - Lo > 1e-12; ++I) {
    const double Mid = 0.5 * (Lo + Hi);
    if (CinestyleDecode(Mid) < x)
      Lo = Mid;
    else
      Hi = Mid;
  }
  return S(0.5 * (Lo + Hi));
}

namespace {

// g = 255/(1 - p), p = 10^-1.96666 the relative linear value of code 95.
double CineonGain() {
  static const double G = static_cast<float>(255.0 / (1.0 - std::pow(10.0, -1.9666666666666667)));
  return G;
}

}  // namespace

float CineonToLinear(float V) {
  const double E = S(1024.0 * V - 685.0);
  const double T = Pow10(E * 0.002 / 0.6);
  const double CineonG = CineonGain();
  const double Num = S(T * CineonG - (CineonG - 255.0));
  return S(Num / 255.0);
}

float LinearToCineon(float X) {
  const double CineonG = CineonGain();
  double B = S((255.0 * X + (CineonG - 255.0)) / CineonG);
  if (B < 1e-8) B = 1e-8;
  return S((std::log10(B) / 0.0033333333333333333 + 685.0) / 1024.0);
}

float PanasonicVLogToLinear(float V) {
  const double v = V;
  if (v < 0.181) return S((v - 0.125) / 5.6);
  return S(Pow10((v - 0.598206) / 0.241514) - 0.00873);
}

float LinearToPanasonicVLog(float X) {
  const double x = X;
  if (x < 0.01) return S(5.6 * x + 0.125);
  return S(0.241514 * std::log10(x + 0.00873) + 0.598206);
}

float CanonCLogToLinear(float V) {
  return S((Pow10((static_cast<double>(V) - 0.0730597) / 0.529136) - 1.0) / 10.1596);
}

float LinearToCanonCLog(float X) {
  double x = X;
  // Below this the logarithm's argument is zero or negative.
  if ((x - 0.0001) * 10.1596 + 1.0 < 0) x = 0.0001 - 1.0 / 10.1596;
  return S(0.529136 * std::log10(10.1596 * x + 1.0) + 0.0730597);
}

float CanonCLog2ToLinear(float V) {
  return S(0.0096397507042876585 *
               std::exp(9.540013943634559 * static_cast<double>(V) - 0.71111478356175928) -
           0.011481120762320031);
}

float LinearToCanonCLog2(float X) {
  const double x = X;
  if (x < -0.011481120762320031) return 0;
  return S((std::log((x + 0.011481120762320031) / 0.0096397507042876585) + 0.71111478356175928) /
           9.540013943634559);
}

float CanonCLog3ToLinear(float V) {
  const double v = V;
  if (v < 0.1515151515) return S((v - 0.12512219) * 0.000494815 * 1023.0);
  return S(52.719136703140911 * std::exp(6.2694878260051663 * v - 7.4393303640912301) -
           0.066741208885743031);
}

float LinearToCanonCLog3(float X) {
  const double x = X;
  if (x < 0.01336000405) return S(x / 0.506195745 + 0.12512219);
  return S((std::log((x + 0.066741208885743031) / 52.719136703140911) + 7.4393303640912301) /
           6.2694878260051663);
}

float FujiFLogToLinear(float V) {
  const double v = V;
  if (v < 0.100537775223865) return S((v - 0.092864) / 8.735631);
  return S(Pow10((v - 0.790453) / 0.344676) / 0.555556 - 0.017042386366090907);
}

float LinearToFujiFLog(float X) {
  const double x = X;
  if (x < 0.00089) return S(8.735631 * x + 0.092864);
  return S(0.344676 * std::log10(0.555556 * x + 0.009468) + 0.790453);
}

float ZCamZLogToLinear(float V) {
  const double v = V;
  const double A = static_cast<double>(S(v - 0.046875)) / 30.235573;
  if (A <= 0.00366351) return S(4.0 * A);
  return S(4.0 * (Pow10((v - 0.385537) / 0.347007) - 0.0064) / 59.0);
}

float LinearToZCamZLog(float X) {
  const double Q = S(static_cast<double>(X) / 4.0);
  if (Q > 0.00366351) return S(0.347007 * std::log10(S(59.0 * Q) + 0.0064) + 0.385537);
  double R = 30.235573 * Q + 0.046875;
  if (R < 0.046875) R = 0.046875;
  return S(R);
}

namespace {

constexpr double Insta360Knee = 0.14;

double Insta360Decode(double v) {
  if (v > Insta360Knee) return 0.5 * (0.075 * std::exp(6.518 * v - 0.7) - 0.04);
  return 0.5 * (0.45 * v - 0.0102);
}

}  // namespace

float Insta360ILogToLinear(float V) { return S(Insta360Decode(V)); }

// Each branch of the decoder inverted on its own range; the decoder steps
// down by 2e-5 at the knee, so values in that step take the linear branch.
float LinearToInsta360ILog(float X) {
  const double x = X;
  if (!(x > Insta360Decode(Insta360Knee))) {
    // Kept at or below the knee once rounded, so that it decodes linearly.
    const float V = S((2.0 * x + 0.0102) / 0.45);
    return V > Insta360Knee ? std::nextafter(V, 0.0f) : V;
  }
  return S((std::log((2.0 * x + 0.04) / 0.075) + 0.7) / 6.518);
}

}  // namespace kromel
