#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "controls/controller.h"
#include "controls/multi_value_controls.h"
#include "controls/scroll_bar_controls.h"
#include "controls/switch_controls.h"
#include "platform/message_sink.h"

namespace kromel {
namespace {

// Messages shown during the test, not echoed.
class RegistryTest : public ::testing::Test {
protected:
  void SetUp() override {
    DefaultHeadlessSink().Clear();
    DefaultHeadlessSink().EchoToStderr = false;
  }
  void TearDown() override { DefaultHeadlessSink().EchoToStderr = true; }
  static std::vector<std::string> Messages() { return DefaultHeadlessSink().Messages(); }

  static std::string Le32(uint32_t V) {
    std::string S(4, '\0');
    for (int I = 0; I < 4; ++I) S[static_cast<size_t>(I)] = static_cast<char>((V >> (8 * I)) & 0xFF);
    return S;
  }
  static std::string LeF(float F) {
    uint32_t U;
    std::memcpy(&U, &F, 4);
    return Le32(U);
  }
  static std::string Chunk(int32_t Size, int32_t Count, const std::vector<float>& Values) {
    std::string S = "CtrV" + Le32(static_cast<uint32_t>(Size)) + Le32(static_cast<uint32_t>(Count));
    for (float V : Values) S += LeF(V);
    return S;
  }
};

// A plain value control: value 0..1 stored as is.
class TPlainControl : public TController {
public:
  using TController::TController;
  float V = 0.25f;
  float GetControllerValueS() override { return V; }
  void SetControllerValueS(float X) override { V = X; }
};

TEST_F(RegistryTest, EmptyRegistryWritesOneNaNInSixteenBytes) {
  TControllersArray R;
  TMemoryStream S;
  R.SaveValuesToStream(S);
  EXPECT_EQ(S.Bytes(), "CtrV" + Le32(8) + Le32(1) + Le32(0xFFC00000u));
}

TEST_F(RegistryTest, MultiValueControlAtTheTopWritesOnlyItsFirstValue) {
  TControllersArray R;
  TPlainControl A("A");
  A.SetControllerNumber(2);
  TColorWheelControl W("W", "Wheel");
  W.SetControllerNumber(4);
  W.OwnDot = {50, -100, 0, 64};
  TControlNode Form;
  Form.AddChild(&A);
  Form.AddChild(&W);
  R.RegisterControls(Form);
  ASSERT_EQ(R.GetUsedCount(), 5);
  TMemoryStream S;
  R.SaveValuesToStream(S);
  const std::string Expected = "CtrV" + Le32(24) + Le32(5) + Le32(0xFFC00000u) + Le32(0xFFC00000u) +
                               LeF(0.25f) + Le32(0xFFC00000u) + LeF(0.75f);
  EXPECT_EQ(S.Bytes(), Expected);

  // Sub-values of the wheel round-trip through a longer chunk.
  TMemoryStream In(Chunk(4 + 4 * 7, 7, {0, 0, 0.5f, 0, 0.25f, 1.0f, 0.75f}));
  ASSERT_TRUE(R.LoadValuesFromStream(In));
  EXPECT_EQ(W.OwnDot.X, -50);
  EXPECT_EQ(W.OwnDot.Y, 100);
  EXPECT_EQ(W.OwnDot.Brightness, 64);
  EXPECT_FLOAT_EQ(A.V, 0.5f);
  EXPECT_EQ(In.Position(), In.Size());
}

TEST_F(RegistryTest, LoadSkipsIsolatedNaNAndNumbersAboveTheCount) {
  TControllersArray R;
  TPlainControl A("A"), B("B"), C("C");
  TColorWheelControl W("W");
  A.SetControllerNumber(1);
  B.SetControllerNumber(2);
  C.SetControllerNumber(9);
  W.SetControllerNumber(3);
  W.Isolate = true;
  TControlNode Form;
  for (TControlNode* N : std::vector<TControlNode*>{&A, &B, &C, &W}) Form.AddChild(N);
  R.RegisterControls(Form);
  B.Isolate = true;
  B.LoadedValue = 7;
  const float NaN = std::numeric_limits<float>::quiet_NaN();
  TMemoryStream In(Chunk(4 + 4 * 6, 6, {0.1f, NaN, 0.9f, 0.9f, 0.9f, 0.9f}) + "tail");
  ASSERT_TRUE(R.LoadValuesFromStream(In));
  EXPECT_FLOAT_EQ(A.V, 0.25f) << "NaN keeps the value";
  EXPECT_FLOAT_EQ(B.V, 0.25f);
  EXPECT_EQ(B.LoadedValue, 7) << "isolated: LoadedValue unchanged";
  EXPECT_EQ(W.OwnDot.X, 0);
  EXPECT_EQ(W.OwnDot.Y, 0);
  EXPECT_EQ(W.OwnDot.Brightness, 0) << "every sub-value of an isolated wheel kept";
  EXPECT_FLOAT_EQ(C.V, 0.25f) << "above the chunk's count";
  EXPECT_EQ(In.Position(), In.Size() - 4);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(RegistryTest, HostileChunksFailCleanly) {
  const float One = 1.0f;
  struct TCase {
    const char* Name;
    std::string Bytes;
    bool Loads;
    int64_t EndPosition;  // -1: back at the start
  };
  std::string Big = Chunk(4 + 4 * 1600, 1600, std::vector<float>(1600, One));
  const std::vector<TCase> Cases = {
      {"wrong tag", "CtrX" + Le32(8) + Le32(1) + LeF(One), false, -1},
      {"short tag", "Ctr", false, -1},
      {"no size", "CtrV", false, -1},
      {"no count", "CtrV" + Le32(8), false, -1},
      {"negative size", Chunk(-8, 1, {One}), false, -1},
      {"negative count", Chunk(8, -1, {One}), false, -1},
      {"count beyond size", Chunk(8, 3, {One, One, One}), false, -1},
      {"size beyond stream", Chunk(4 + 4 * 100, 100, {One}), false, -1},
      {"huge count", Chunk(8, 0x7FFFFFFF, {One}), false, -1},
      {"numbers past 1499 dropped", Big, true, static_cast<int64_t>(Big.size())},
      {"padding after values", Chunk(16, 1, {One, One, One}), true, 24},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    DefaultHeadlessSink().Clear();
    TControllersArray R;
    TPlainControl A("A");
    A.SetControllerNumber(0);
    A.SetControllersArray(&R);
    TPlainControl Z("Z");
    Z.SetControllerNumber(1499);
    Z.SetControllersArray(&R);
    R.ControllerMap[5] = 3;
    TMemoryStream In(Case.Bytes);
    EXPECT_EQ(R.LoadValuesFromStream(In), Case.Loads);
    EXPECT_EQ(In.Position(), Case.EndPosition < 0 ? 0 : Case.EndPosition);
    EXPECT_EQ(R.ControllerMap[5], 0) << "the map is cleared in every case";
    if (Case.Loads) {
      EXPECT_TRUE(Messages().empty());
    } else {
      EXPECT_FLOAT_EQ(Z.V, 0.25f);
      ASSERT_EQ(Messages().size(), 1u);
      EXPECT_EQ(Messages()[0],
                "Error loading controller values from stream - Preset is probably corrupt!");
    }
  }
}

TEST_F(RegistryTest, RegistrationRules) {
  TControllersArray R;
  TPlainControl Zero("Zero"), A("A", "Cap A"), B("B", "Cap B"), Far("Far");
  B.SetControllerNumber(5);
  A.SetControllerNumber(5);
  Far.SetControllerNumber(2000);
  TControlNode Form, Panel;
  Form.AddChild(&Zero);
  Form.AddChild(&Panel);
  Panel.AddChild(&A);
  Form.AddChild(&B);
  Form.AddChild(&Far);
  R.RegisterControls(Form);
  EXPECT_EQ(R.At(0), nullptr) << "number 0 is never registered";
  EXPECT_EQ(Zero.ControllersArray, nullptr);
  EXPECT_EQ(R.At(5), &A);
  EXPECT_EQ(B.ControllersArray, nullptr);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0],
            "TController: Can't register B (TController) in ControllersArray: Controller 5 "
            "already registered for A (Cap A)");
  EXPECT_EQ(Far.ControllersArray, nullptr) << "a number without a slot is ignored";

  // A registered control moves with its number, taking a slot over silently.
  TPlainControl C("C");
  C.SetControllerNumber(7);
  C.SetControllersArray(&R);
  A.SetControllerNumber(7);
  EXPECT_EQ(R.At(5), nullptr);
  EXPECT_EQ(R.At(7), &A);
  C.SetControllerNumber(8);
  EXPECT_EQ(R.At(7), &A) << "the old slot is cleared only while it holds the control";
  EXPECT_EQ(R.At(8), &C);
  EXPECT_EQ(Messages().size(), 1u);
  {
    TPlainControl D("D");
    D.SetControllerNumber(9);
    D.SetControllersArray(&R);
    EXPECT_EQ(R.At(9), &D);
  }
  EXPECT_EQ(R.At(9), nullptr) << "destruction leaves the registry";
}

TEST_F(RegistryTest, DumpListsNumbersNamesAndCaptions) {
  TControllersArray R;
  TPlainControl A("Knob", "Temp.");
  A.SetControllerNumber(4);
  A.SetControllersArray(&R);
  std::string Text;
  R.DumpToText(Text);
  EXPECT_EQ(Text, "4:Knob(Temp.)\t\n\r");
  TMultiRangeControl M("Rings", 3);
  M.SetControllerNumber(6);
  M.SetControllersArray(&R);
  R.DumpToText(Text);
  EXPECT_EQ(Text, "4:Knob(Temp.)\t\n\r6..8:Rings()\t");
}

TEST_F(RegistryTest, ControllerMapRoundTripAndBounds) {
  TControllersArray R;
  R.ControllerMap[3] = 10;
  R.ControllerMap[4] = 10;
  TMemoryStream S;
  R.SaveControllerMapToStream(S);
  EXPECT_EQ(S.Size(), 8 + 4 * 1500);

  TPlainControl A("A"), B("B");
  A.SetControllerNumber(3);
  B.SetControllerNumber(4);
  A.SetControllersArray(&R);
  B.SetControllersArray(&R);
  S.SetPosition(0);
  TControllersArray L;
  A.SetControllersArray(&L);
  B.SetControllersArray(&L);
  EXPECT_EQ(R.At(3), nullptr) << "a control moving to another registry leaves the old one";
  ASSERT_TRUE(L.LoadControllerMapFromStream(S));
  EXPECT_EQ(L.ControllerMapIndex[10], 4) << "a later number wins";
  L.ApplyMappedControl(10, 127);
  EXPECT_FLOAT_EQ(A.V, 1.0f);
  EXPECT_FLOAT_EQ(B.V, 1.0f);

  // Entries outside 1..4095 stay out of the map; a short or negative count
  // fails with the stream back at the start.
  TMemoryStream Odd("MCtr" + Le32(3) + Le32(5000) + Le32(static_cast<uint32_t>(-4)) + Le32(9));
  ASSERT_TRUE(L.LoadControllerMapFromStream(Odd));
  EXPECT_EQ(L.ControllerMap[0], 0);
  EXPECT_EQ(L.ControllerMap[1], 0);
  EXPECT_EQ(L.ControllerMap[2], 9);
  for (const std::string& Bad : {"MCtr" + Le32(static_cast<uint32_t>(-1)),
                                 "MCtr" + Le32(4) + Le32(1), std::string("XCtr") + Le32(0)}) {
    DefaultHeadlessSink().Clear();
    TMemoryStream In(Bad);
    EXPECT_FALSE(L.LoadControllerMapFromStream(In));
    EXPECT_EQ(In.Position(), 0);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Error loading controllers from stream - Preset is probably corrupt!");
  }
}

TEST_F(RegistryTest, IsolationWalkersAndSilentSets) {
  TPlainControl A("A"), Deep("Deep");
  TControlNode Master, Sub;
  Master.AddChild(&A);
  Master.AddChild(&Sub);
  Sub.AddChild(&Deep);
  Deep.Isolate = true;
  SetControlsIsolate(Master, true);
  EXPECT_TRUE(A.Isolate);
  EXPECT_FALSE(Deep.Isolate) << "levels below the direct children get False";
  ClearControlsIsolate(Master);
  EXPECT_FALSE(A.Isolate);

  TControlledParameterInteger P(nullptr, "P", 0);
  TSwitchControl S("S");
  S.ConnectToParameter(&P);
  P.Isolate = true;
  EXPECT_TRUE(S.GetIsolate()) << "the bound parameter's flag counts";

  TControllersArray R;
  S.SetControllerNumber(2);
  S.SetControllersArray(&R);
  R.SetControllerValueSSilent(2, 1.0f);
  EXPECT_FALSE(S.State);
  P.Isolate = false;
  int Silent = 0;
  S.OnSilentChange = [&](void*) { ++Silent; };
  R.SetControllerValueSSilent(2, 1.0f);
  EXPECT_TRUE(S.State);
  EXPECT_EQ(Silent, 1);
  EXPECT_EQ(P.Value, 0) << "a silent set writes no parameter";
}

}  // namespace
}  // namespace kromel
