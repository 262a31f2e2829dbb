// Builds gamut boundary tables from the working models' conversion pairs and
// writes them as the library's embedded data files:
//
//   make_gamut_tables [--threads N] [--smooth] [--text] OUTDIR TABLE...
//
// TABLE is a table name (LABGamut, LXYGamut, ..., or "all"); each becomes
// OUTDIR/<TABLE>.bin (and OUTDIR/<TABLE>.txt as declaration text with
// --text). --smooth smooths every table, not only those whose recipe asks
// for it (LABGamut). Every table is then raised to the faces of the RGB
// cube, so that its cusps are not cut. Point OUTDIR at src/colour/data and re-run CMake to embed them.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "colour/gamut.h"
#include "colour/gamut_model_pairs.h"
#include "colour/gamut_tables.h"
#include "foundation/error_sink.h"

using namespace kromel;

namespace {

// One table's model and the switch that must be off while it is built. The
// conversion pair (in double precision, by formula: the library's Single
// pairs decode and encode through 1/16384 tables, which alone move the
// lightness by several thousandths, above the search's tolerance of 0.001)
// and the smoothing come from GamutRecipe.
struct TModel {
  TGamutTable Table;
  std::atomic<bool>* Switch;
};

const TModel Models[] = {
    {TGamutTable::LAB, &UseLABGamut},   {TGamutTable::LXY, &UseLXYGamut},
    {TGamutTable::MXY, &UseMXYGamut},   {TGamutTable::MXYe, &UseMXYeGamut},
    {TGamutTable::MABe, &UseMABeGamut}, {TGamutTable::HSP, &UseHSPGamut},
    {TGamutTable::HSP3, &UseHSP3Gamut}, {TGamutTable::HSPItten, &UseHSPIttenGamut},
};

void ReportToStderr(const std::string& Text) { std::fprintf(stderr, "%s\n", Text.c_str()); }

bool Build(const TModel& M, int Threads, bool Smooth, bool Text, const std::string& OutDir) {
  const std::string Name = GamutTableName(M.Table);
  const TGamutRecipe Recipe = GamutRecipe(M.Table);
  if (Recipe.Forward == nullptr || Recipe.Inverse == nullptr) {
    std::fprintf(stderr, "%s: no conversion pair registered\n", Name.c_str());
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
        BuildColorSpaceGamutDoubleRows(Recipe.Forward, Recipe.Inverse, *Table, Row, Row);
        const int N = ++Done;
        if (N % 32 == 0) std::fprintf(stderr, "%s: %d/%d rows\n", Name.c_str(), N, GamutRows);
      }
    });
  for (auto& W : Workers) W.join();
  *M.Switch = Saved;
  if (Smooth || Recipe.Smoothed) SmoothColorSpaceGamut(*Table);
  RaiseColorSpaceGamutToSurface(Recipe.Forward, *Table, 0, GamutRows - 1);
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
