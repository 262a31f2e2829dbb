#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/effect_chain.h"
#include "support/test_support.h"

namespace kromel {
namespace {

using Links = std::vector<TLUTEffectBlock>;

// A unit that overrides nothing, with one parameter to show in the text form.
class TPlainUnit : public TLUTProcessingUnit {
public:
  explicit TPlainUnit(const std::string& Name) : TLUTProcessingUnit(nullptr, Name) {
    AddSingle("Amount", 0.5f);
  }
};

class EffectChainTest : public testing::TCaptureTest {
protected:
  TLUTEffectChain Chain{nullptr};

  void Fill(int Count) {
    for (int I = 0; I < Count; ++I)
      ASSERT_TRUE(Chain.InsertEffect(new TPlainUnit("U" + std::to_string(I)), I));
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> Out;
    for (int I = 0; I < Chain.GetCount(); ++I) Out.push_back(Chain.GetChild(I)->Name);
    return Out;
  }
  static bool Same(const Links& A, const Links& B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I)
      if (A[I].Link1 != B[I].Link1 || A[I].Link2 != B[I].Link2 || A[I].Link3 != B[I].Link3)
        return false;
    return true;
  }
};

TEST_F(EffectChainTest, InsertBeyondCountAppendsWithEmptyLinks) {
  Fill(1);
  ASSERT_TRUE(Chain.InsertEffect(new TPlainUnit("Late"), 7));
  EXPECT_EQ(Names(), (std::vector<std::string>{"U0", "Late"}));
  EXPECT_TRUE(Same(Chain.Blocks, Links{{-1, -1, -1}, {-1, -1, -1}}));
  EXPECT_TRUE(Silent());
}

TEST_F(EffectChainTest, LinkTableFollowsInsertAndDelete) {
  Fill(2);
  Chain.Blocks = {{1, -1, -1}, {-1, -1, -1}};
  ASSERT_TRUE(Chain.InsertEffect(new TPlainUnit("Front"), 0));
  EXPECT_TRUE(Same(Chain.Blocks, Links{{-1, -1, -1}, {2, -1, -1}, {-1, -1, -1}}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Front", "U0", "U1"}));

  Chain.Blocks = {{1, 2, -1}, {0, -1, -1}, {1, -1, -1}};
  Chain.DeleteEffect(1);
  EXPECT_TRUE(Same(Chain.Blocks, Links{{-1, 1, -1}, {-1, -1, -1}}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Front", "U1"}));
  EXPECT_TRUE(Silent());
}

TEST_F(EffectChainTest, BadIndicesAndPositionsAreRefusedWithoutChange) {
  Fill(2);
  Chain.Blocks = {{1, -1, -1}, {0, -1, -1}};
  const Links Before = Chain.Blocks;
  for (int32_t Index : {2, 5, -1, -100}) Chain.DeleteEffect(Index);
  EXPECT_EQ(Messages(),
            std::vector<std::string>(4, "TLUTEffectChain.DeleteEffect invalid index"));
  EXPECT_TRUE(Same(Chain.Blocks, Before));
  EXPECT_EQ(Chain.GetCount(), 2);

  TPlainUnit Refused("Refused");
  EXPECT_FALSE(Chain.InsertEffect(&Refused, -1));
  EXPECT_FALSE(Chain.InsertEffect(nullptr, 0));
  EXPECT_EQ(Chain.GetCount(), 2);
  EXPECT_TRUE(Same(Chain.Blocks, Before));
}

TEST_F(EffectChainTest, TextFormHoldsEachUnitSection) {
  Fill(2);
  std::string Text;
  Chain.SaveToXML(Text);
  EXPECT_EQ(Text,
            "<tab section=\"EffectChain\">\n"
            "<tab section=\"U0\">\n<Amount>0.500000</Amount>\n</tab>\n"
            "<tab section=\"U1\">\n<Amount>0.500000</Amount>\n</tab>\n"
            "</tab>\n");
  EXPECT_EQ(Chain.GetEffect(1)->Name, "U1");
  EXPECT_EQ(Chain.GetEffect(2), nullptr);
}

TEST_F(EffectChainTest, BaseOperationsComplainAndLeaveOutputsAlone) {
  TPlainUnit Unit("Plain");
  T3DLut Src, Dst;
  ASSERT_TRUE(Src.SetSize(3));
  ASSERT_TRUE(Dst.SetSize(3));
  Src.SetDefault();
  Dst.R[5] = 0.25f;
  const TColorModelPreferences Prefs;
  T3DLut* MaskSource = &Src;
  T3DLut* MaskKey = nullptr;
  T3DLut* Mask = &Dst;
  Unit.Process(&Src, &Dst, Prefs);
  Unit.Process1i(&Src, &Dst, &Dst, Prefs);
  Unit.Process2i(&Src, nullptr, nullptr, &Dst, Prefs);
  Unit.ProcessCombine(&Src, nullptr, &Dst, Prefs);
  Unit.ProcessMask(MaskSource, MaskKey, Mask, &Src, &Dst, Prefs);
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "Virtual ProcessingUnit.Process call",
                            "Virtual ProcessingUnit.Process1i call",
                            "Virtual ProcessingUnit.Process2i call",
                            "Virtual ProcessingUnit.ProcessCombine call",
                            "Virtual ProcessingUnit.ProcessMask call"}));
  EXPECT_EQ(Dst.R[5], 0.25f);
  EXPECT_EQ(Dst.G[5], 0.0f);
  EXPECT_EQ(MaskSource, &Src);
  EXPECT_EQ(Mask, &Dst);
  EXPECT_EQ(Unit.ProcessType, ptProcess);
}

}  // namespace
}  // namespace kromel
