#include "colour/gamut_tables.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "foundation/error_sink.h"

#define KROMEL_GAMUT_SYMBOLS(Name)                        \
  extern "C" const uint8_t kromel_gamut_##Name##_begin[]; \
  extern "C" const uint8_t kromel_gamut_##Name##_end[];
KROMEL_GAMUT_SYMBOLS(LABGamut)
KROMEL_GAMUT_SYMBOLS(LXYGamut)
KROMEL_GAMUT_SYMBOLS(MXYGamut)
KROMEL_GAMUT_SYMBOLS(MXYeGamut)
KROMEL_GAMUT_SYMBOLS(MABeGamut)
KROMEL_GAMUT_SYMBOLS(HSPGamut)
KROMEL_GAMUT_SYMBOLS(HSP3Gamut)
KROMEL_GAMUT_SYMBOLS(HSPIttenGamut)
#undef KROMEL_GAMUT_SYMBOLS

namespace kromel {

std::atomic<bool> UseLABGamut{true};
std::atomic<bool> UseLXYGamut{true};
std::atomic<bool> UseMXYGamut{true};
std::atomic<bool> UseMXYeGamut{true};
std::atomic<bool> UseMABeGamut{true};
std::atomic<bool> UseHSPGamut{true};
std::atomic<bool> UseHSP3Gamut{true};
std::atomic<bool> UseHSPIttenGamut{true};

namespace {

struct TEmbedded {
  const char* Name;
  const uint8_t* Begin;
  const uint8_t* End;
};

#define KROMEL_GAMUT_ENTRY(Name) \
  { #Name, kromel_gamut_##Name##_begin, kromel_gamut_##Name##_end }
const TEmbedded Embedded[GamutTableCount] = {
    KROMEL_GAMUT_ENTRY(LABGamut),  KROMEL_GAMUT_ENTRY(LXYGamut),     KROMEL_GAMUT_ENTRY(MXYGamut),
    KROMEL_GAMUT_ENTRY(MXYeGamut), KROMEL_GAMUT_ENTRY(MABeGamut),    KROMEL_GAMUT_ENTRY(HSPGamut),
    KROMEL_GAMUT_ENTRY(HSP3Gamut), KROMEL_GAMUT_ENTRY(HSPIttenGamut)};
#undef KROMEL_GAMUT_ENTRY

struct TDecoded {
  std::once_flag Once;
  std::unique_ptr<TColorSpaceGamut> Table;
};

TDecoded Decoded[GamutTableCount];
std::atomic<const TColorSpaceGamut*> Installed[GamutTableCount];

inline int Index(TGamutTable Table) {
  const int I = static_cast<int>(Table);
  return I >= 0 && I < GamutTableCount ? I : -1;
}

// Decodes the embedded data on first use; damaged data reads as absent.
const TColorSpaceGamut* EmbeddedTable(int I) {
  TDecoded& D = Decoded[I];
  std::call_once(D.Once, [I, &D] {
    const TEmbedded& E = Embedded[I];
    const auto Size = static_cast<std::size_t>(E.End - E.Begin);
    if (Size == 0) return;
    auto T = std::make_unique<TColorSpaceGamut>();
    if (DecodeGamutData(E.Begin, Size, *T))
      D.Table = std::move(T);
    else
      ErrorMessageProc(std::string("Exception in GamutTable: the data of ") + E.Name +
                       " is damaged");
  });
  return D.Table.get();
}

}  // namespace

const char* GamutTableName(TGamutTable Table) {
  const int I = Index(Table);
  return I < 0 ? "" : Embedded[I].Name;
}

const TColorSpaceGamut* GamutTable(TGamutTable Table) {
  const int I = Index(Table);
  if (I < 0) return nullptr;
  if (const TColorSpaceGamut* T = Installed[I].load(std::memory_order_acquire)) return T;
  return EmbeddedTable(I);
}

bool GamutTableEmbedded(TGamutTable Table) {
  const int I = Index(Table);
  return I >= 0 && Embedded[I].End != Embedded[I].Begin;
}

void SetGamutTable(TGamutTable Table, const TColorSpaceGamut* Gamut) {
  const int I = Index(Table);
  if (I >= 0) Installed[I].store(Gamut, std::memory_order_release);
}

}  // namespace kromel
