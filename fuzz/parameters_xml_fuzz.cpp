// Preset sections read from any text: a section holding numbers, a flag and
// a nested section. Whatever it reads, the section written out, read back
// and written again gives the same text.
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "params/parameters.h"

using namespace kromel;
using namespace kromel::fuzz;

namespace {

struct TPresetTree {
  TParameterList Top;
  TSectionPreset* Root = new TSectionPreset(&Top, "Curves");

  TPresetTree() {
    new TControlledParameterSingle(&Root->Children, "Amount", 0.5f);
    new TControlledParameterSingle(&Root->Children, "Gamma", 1.0f);
    new TControlledParameterInteger(&Root->Children, "Enabled", 1);
    TSectionPreset* Inner = new TSectionPreset(&Root->Children, "Inner");
    new TControlledParameterInteger(&Inner->Children, "Mode", 3);
    new TControlledParameterSingle(&Inner->Children, "Hue", -0.25f);
  }
  ~TPresetTree() { delete Root; }

  std::string Saved() {
    std::string Text;
    Root->SaveToXML(Text);
    return Text;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  SilenceReports();
  const std::string Text = AsText(Data, Size);
  TPresetTree Tree;
  int Changes = 0;
  Tree.Root->OnChange = [&](void*) { ++Changes; };
  Tree.Root->LoadFromXML(Text);
  // Each child alone, as the pages load single parameters.
  for (int32_t I = 0; I < Tree.Root->GetCount(); ++I) Tree.Root->GetChild(I)->LoadFromXML(Text);
  const std::string First = Tree.Saved();
  TPresetTree Again;
  FUZZ_CHECK(Again.Root->LoadFromXML(First));
  FUZZ_CHECK(Again.Saved() == First);
  return 0;
}
