// The eight gamut boundary tables the working models read, and their
// switches. The tables are constant data embedded in the library from
// data/<name>.bin (see gamut.h for the form); a table whose data file is
// not there yet reads as absent (nullptr), and the conversions then apply
// no limit.
#pragma once
#include <atomic>

#include "colour/gamut.h"

namespace kromel {

enum class TGamutTable { LAB, LXY, MXY, MXYe, MABe, HSP, HSP3, HSPItten };
constexpr int GamutTableCount = 8;

// Every switch starts true; a table builder turns its model's switch off
// while it runs. Atomic: the conversions read them on worker threads.
extern std::atomic<bool> UseLABGamut;
extern std::atomic<bool> UseLXYGamut;
extern std::atomic<bool> UseMXYGamut;
extern std::atomic<bool> UseMXYeGamut;
extern std::atomic<bool> UseMABeGamut;
extern std::atomic<bool> UseHSPGamut;
extern std::atomic<bool> UseHSP3Gamut;
extern std::atomic<bool> UseHSPIttenGamut;

// "LABGamut", "LXYGamut", ...: the table's name and the stem of its file.
const char* GamutTableName(TGamutTable Table);

// The table in use: an installed one, else the embedded data, else nullptr.
const TColorSpaceGamut* GamutTable(TGamutTable Table);
// True when the library carries data for the table.
bool GamutTableEmbedded(TGamutTable Table);
// Puts a table held elsewhere (not owned; it must outlive its use) in place
// of the embedded one; nullptr goes back to the embedded one. For tools and
// tests: do not call while conversions run.
void SetGamutTable(TGamutTable Table, const TColorSpaceGamut* Gamut);

}  // namespace kromel
