// Builds gamut boundary tables from the working models' conversion pairs and
// writes them as the library's embedded data files:
//
//   make_gamut_tables [--threads N] [--smooth] [--text] OUTDIR TABLE...
//
// TABLE is a table name (LABGamut, LXYGamut, ..., or "all"); each becomes
// OUTDIR/<TABLE>.bin (and OUTDIR/<TABLE>.txt as declaration text with
// --text). Point OUTDIR at src/colour/data and re-run CMake to embed them.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "colour/gamut.h"
#include "colour/gamut_tables.h"
#include "foundation/debug_log.h"

using namespace kromel;

namespace {

// sRGB in Lab by the formulas in double precision. The library's Single
// pair decodes and encodes through 1/16384 tables, which alone moves L by
// several thousandths, above the search's tolerance of 0.001.
double SRGBDecode(double C) { return C < 0.04045 ? C / 12.92 : std::pow((C + 0.055) / 1.055, 2.4); }
double SRGBEncode(double X) {
  return X < 0.0031308049535603715 ? 12.92 * X : 1.055 * std::pow(X, 1 / 2.4) - 0.055;
}
double LabF(double T) { return T > 0.008856 ? std::cbrt(T) : 7.787 * T + 16.0 / 116; }
double LabFInverse(double V) {
  const double V3 = V * V * V;
  return V3 > 0.008856 ? V3 : (V - 16.0 / 116) / 7.787;
}

void LabForward(double R, double G, double B, double& L, double& A, double& Bv) {
  R = SRGBDecode(std::max(R, 0.0));
  G = SRGBDecode(std::max(G, 0.0));
  B = SRGBDecode(std::max(B, 0.0));
  const double X = 0.4124564 * R + 0.3575761 * G + 0.1804375 * B;
  const double Y = 0.2126729 * R + 0.7151522 * G + 0.0721750 * B;
  const double Z = 0.0193339 * R + 0.1191920 * G + 0.9503041 * B;
  L = Y > 0.008856 ? 116 * std::cbrt(Y) - 16 : 903.3 * Y;
  A = 500 * (LabF(X / 0.950456) - LabF(Y));
  Bv = 200 * (LabF(Y) - LabF(Z / 1.088754));
}

void LabInverse(double L, double A, double B, double& R, double& G, double& Bv) {
  L = std::min(L, 100.0);
  const double FY = (L + 16) / 116, FX = A / 500 + FY, FZ = FY - B / 200;
  const double Y = LabFInverse(FY), X = 0.950456 * LabFInverse(FX), Z = 1.088754 * LabFInverse(FZ);
  R = SRGBEncode(3.2404542 * X - 1.5371385 * Y - 0.4985314 * Z);
  G = SRGBEncode(-0.9692660 * X + 1.8760108 * Y + 0.0415560 * Z);
  Bv = SRGBEncode(0.0556434 * X - 0.2040259 * Y + 1.0572252 * Z);
  for (double* C : {&R, &G, &Bv}) *C = std::min(std::max(*C, 0.0), 1.0);
}

// One table's model: a Single or a Double conversion pair, and the switch
// that must be off while it is built. The working models add theirs here.
struct TModel {
  TGamutTable Table;
  bool* Switch;
  TRGBToVariableSingleProc Forward;
  TVariableToRGBSingleProc Inverse;
  TRGBToVariableDoubleProc ForwardDouble;
  TVariableToRGBDoubleProc InverseDouble;
};

const TModel Models[] = {
    {TGamutTable::LAB, &UseLABGamut, nullptr, nullptr, LabForward, LabInverse},
    {TGamutTable::LXY, &UseLXYGamut, nullptr, nullptr, nullptr, nullptr},
    {TGamutTable::MXY, &UseMXYGamut, nullptr, nullptr, nullptr, nullptr},
    {TGamutTable::MXYe, &UseMXYeGamut, nullptr, nullptr, nullptr, nullptr},
    {TGamutTable::MABe, &UseMABeGamut, nullptr, nullptr, nullptr, nullptr},
    {TGamutTable::HSP, &UseHSPGamut, nullptr, nullptr, nullptr, nullptr},
    {TGamutTable::HSP3, &UseHSP3Gamut, nullptr, nullptr, nullptr, nullptr},
    {TGamutTable::HSPItten, &UseHSPIttenGamut, nullptr, nullptr, nullptr, nullptr},
};

void ReportToStderr(const std::string& Text) { std::fprintf(stderr, "%s\n", Text.c_str()); }

bool Build(const TModel& M, int Threads, bool Smooth, bool Text, const std::string& OutDir) {
  const std::string Name = GamutTableName(M.Table);
  const bool HasDouble = M.ForwardDouble != nullptr && M.InverseDouble != nullptr;
  if (!HasDouble && (M.Forward == nullptr || M.Inverse == nullptr)) {
    std::fprintf(stderr, "%s: no conversion pair registered yet\n", Name.c_str());
    return false;
  }
  auto Table = std::make_unique<TColorSpaceGamut>();
  const bool Saved = *M.Switch;
  *M.Switch = false;
  std::atomic<int> NextRow{0};
  std::atomic<int> Done{0};
  std::vector<std::thread> Workers;
  for (int T = 0; T < Threads; ++T)
    Workers.emplace_back([&] {
      for (int Row; (Row = NextRow++) < GamutRows;) {
        if (HasDouble)
          BuildColorSpaceGamutDoubleRows(M.ForwardDouble, M.InverseDouble, *Table, Row, Row);
        else
          BuildColorSpaceGamutRows(M.Forward, M.Inverse, *Table, Row, Row);
        const int N = ++Done;
        if (N % 32 == 0) std::fprintf(stderr, "%s: %d/%d rows\n", Name.c_str(), N, GamutRows);
      }
    });
  for (auto& W : Workers) W.join();
  *M.Switch = Saved;
  if (Smooth) SmoothColorSpaceGamut(*Table);
  bool Ok = SaveGamutData(*Table, OutDir + "/" + Name + ".bin");
  if (Ok && Text) Ok = SaveColorSpaceGamut(*Table, OutDir + "/" + Name + ".txt", Name);
  return Ok;
}

int Usage() {
  std::fprintf(stderr,
               "usage: make_gamut_tables [--threads N] [--smooth] [--text] OUTDIR TABLE...\n"
               "tables: all");
  for (const auto& M : Models) std::fprintf(stderr, " %s", GamutTableName(M.Table));
  std::fprintf(stderr, "\n");
  return 2;
}

}  // namespace

int main(int Argc, char** Argv) {
  ErrorMessageProc = ReportToStderr;
  int Threads = static_cast<int>(std::thread::hardware_concurrency());
  bool Smooth = false, Text = false;
  std::vector<std::string> Args;
  for (int I = 1; I < Argc; ++I) {
    const std::string A = Argv[I];
    if (A == "--threads" && I + 1 < Argc)
      Threads = std::atoi(Argv[++I]);
    else if (A == "--smooth")
      Smooth = true;
    else if (A == "--text")
      Text = true;
    else if (A.rfind("--", 0) == 0)
      return Usage();
    else
      Args.push_back(A);
  }
  if (Args.size() < 2) return Usage();
  if (Threads < 1) Threads = 1;
  const std::string OutDir = Args[0];
  int Failures = 0;
  for (std::size_t I = 1; I < Args.size(); ++I) {
    bool Found = false;
    for (const auto& M : Models)
      if (Args[I] == "all" || Args[I] == GamutTableName(M.Table)) {
        Found = true;
        Failures += !Build(M, Threads, Smooth, Text, OutDir);
      }
    if (!Found) {
      std::fprintf(stderr, "unknown table %s\n", Args[I].c_str());
      ++Failures;
    }
  }
  return Failures == 0 ? 0 : 1;
}
