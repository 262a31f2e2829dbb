#include "params/composite_parameters.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace kromel {
namespace {

TEST(CompositeParameters, CreationAndTextElements) {
  TSectionPreset Section(nullptr, "S");
  auto* Curve = new TControlledParameterCurve(&Section.Children, "Master", cdtDiagonal);
  auto* Grid = new TControlledParameterGrid(&Section.Children, "RB", 2, 3, 0, 1000, 0, 1000);
  auto* Ranges = new TControlledParameterIntegerArray(&Section.Children, "Ranges", 3);
  auto* Wheel = new TControlledParameterColorWheel(&Section.Children, "Gain");
  EXPECT_EQ(Section.GetCount(), 4);
  EXPECT_EQ(Curve->Curve.Name, "Master");
  EXPECT_EQ(Curve->Curve.NumDots, 2);
  EXPECT_EQ(Grid->Grid.Cols(), 2);
  EXPECT_EQ(Grid->Grid.Rows(), 3);
  EXPECT_EQ(Grid->Grid.Dots[1][0].X, 1000);
  EXPECT_EQ(Ranges->Values, (std::vector<int32_t>{0, 500, 1000}));
  int Calls = 0;
  Ranges->OnChange = [&](void*) { ++Calls; };
  Ranges->SetValue(1, 500);
  Ranges->SetValue(7, 1);
  EXPECT_EQ(Calls, 1);  // every store notifies, even an unchanged value
  EXPECT_EQ(Ranges->GetValue(7), 0);

  Curve->Curve.NumDots = 3;
  Curve->Curve.Dot(0) = {0, 0, 0};
  Curve->Curve.Dot(1) = {8192, 20000, 0};
  Curve->Curve.Dot(2) = {16384, 32767, 0};
  std::string Text;
  Curve->SaveToXML(Text);
  EXPECT_EQ(Text,
            "<curve name=\"Master\" points=\"3\">\n<pointx>0</pointx>\n<pointy>0</pointy>\n"
            "<pointx>8192</pointx>\n<pointy>20000</pointy>\n<pointx>16384</pointx>\n"
            "<pointy>32767</pointy>\n</curve>\n");
  Ranges->SaveToXML(Text);
  EXPECT_EQ(Text,
            "<integers name=\"Ranges\" points=\"3\">\n<value0>0</value0>\n<value1>500</value1>\n"
            "<value2>1000</value2>\n</integers>\n");
  Wheel->Point.X = 3;
  Wheel->Point.Y = -4;
  Wheel->Point.Brightness = 5;
  Wheel->SaveToXML(Text);
  EXPECT_EQ(Text,
            "<colorwheel name=\"Gain\">\n<x>3</x>\n<y>-4</y>\n<brightness>5</brightness>\n"
            "</colorwheel>\n");
  Grid->SaveToXML(Text);
  // Column-major: the fourth dot (k = 3) is column 1, row 0.
  EXPECT_EQ(Text.rfind("<grid name=\"RB\" colcount=\"2\" rowcount=\"3\" circular=\"0\">\n", 0), 0u);
  size_t At = 0;
  for (int K = 0; K < 4; ++K) At = Text.find("<pointx>", At + 1);
  EXPECT_EQ(Text.substr(At, 20), "<pointx>1000</pointx");
}

using testing::CapturedErrors;
using testing::TErrorCapture;

int Count(const std::string& Text, char C) { return int(std::count(Text.begin(), Text.end(), C)); }

TEST(CompositeParameters, CurveTextRoundTrip) {
  TSectionPreset Section(nullptr, "S");
  auto* Source = new TControlledParameterCurve(&Section.Children, "Red", cdtDiagonal);
  auto* Target = new TControlledParameterCurve(&Section.Children, "Red2", cdtHorizontalMiddle);
  Source->Curve.NumDots = 3;
  Source->Curve.Dot(0) = {0, 0, 0};
  Source->Curve.Dot(1) = {8192, 20000, 0};
  Source->Curve.Dot(2) = {16384, 32767, 0};
  std::string Text;
  Source->SaveToXML(Text);
  EXPECT_EQ(Count(Text, '\n'), 8);
  void* Sender = nullptr;
  Target->Curve.OnChange = [&](void* S) { Sender = S; };
  Target->Curve.GetValueS(100);  // a valid spline that the load must drop
  ASSERT_TRUE(Target->LoadFromXML(Text));
  EXPECT_EQ(Sender, &Target->Curve);
  ASSERT_EQ(Target->Curve.NumDots, 3);
  EXPECT_EQ(Target->Curve.Dot(1).X, 8192);
  EXPECT_EQ(Target->Curve.Dot(1).Y, 20000);
  EXPECT_EQ(Target->Curve.Dot(2).Y, 32767);
  EXPECT_FALSE(Target->Curve.SplineValid);
  EXPECT_EQ(Target->Curve.GetValue(16384), 32767);
  // Fewer values than the count: the missing ones read as 0.
  ASSERT_TRUE(Target->LoadFromXML("<curve name=\"Red2\" points=\"2\">\n<pointx>5</pointx>\n"
                                  "<pointy>7</pointy>\n</curve>\n"));
  EXPECT_EQ(Target->Curve.Dot(0).Y, 7);
  EXPECT_EQ(Target->Curve.Dot(1).X, 0);
  // An absent element keeps the curve and lets the section read on.
  EXPECT_TRUE(Target->LoadFromXML(""));
  EXPECT_EQ(Target->Curve.NumDots, 2);
}

TEST(CompositeParameters, CurveCountsOutsideTheModelAreRefused) {
  TSectionPreset Section(nullptr, "S");
  auto* Curve = new TControlledParameterCurve(&Section.Children, "Red", cdtDiagonal);
  for (const char* Points : {"points=\"0\"", "", "points=\"-3\"", "points=\"132\"",
                             "points=\"99999999999\"", "points=\"x\""}) {
    SCOPED_TRACE(Points);
    TErrorCapture Capture;
    const std::string Text = std::string("<curve name=\"Red\" ") + Points +
                             ">\n<pointx>5</pointx>\n<pointy>7</pointy>\n</curve>\n";
    EXPECT_FALSE(Curve->LoadFromXML(Text));
    ASSERT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(CapturedErrors()[0], "Error parsing curve from XML: " + Text);
    EXPECT_EQ(Curve->Curve.NumDots, 2);
    EXPECT_EQ(Curve->Curve.Dot(1).X, 16384);
  }
  // The full capacity is accepted.
  std::string Full = "<curve name=\"Red\" points=\"131\">\n";
  for (int I = 0; I < 131; ++I)
    Full += "<pointx>" + std::to_string(I * 100) + "</pointx>\n<pointy>1</pointy>\n";
  EXPECT_TRUE(Curve->LoadFromXML(Full + "</curve>\n"));
  EXPECT_EQ(Curve->Curve.NumDots, 131);
  EXPECT_EQ(Curve->Curve.Dot(130).X, 13000);
}

TEST(CompositeParameters, GridTextRoundTripIsColumnMajor) {
  TSectionPreset Section(nullptr, "S");
  auto* Source = new TControlledParameterGrid(&Section.Children, "RB", 2, 3, 0, 1000, 0, 1000);
  auto* Target = new TControlledParameterGrid(&Section.Children, "RB", 4, 4, 0, 1000, 0, 1000);
  Source->Grid.Dots[1][0] = {};
  Source->Grid.Dots[1][0].X = 777;
  Source->Grid.Dots[1][0].Y = 11;
  Source->Grid.Dots[1][0].Z = -5;
  Source->Grid.Dots[1][0].Pinned = true;
  Source->Grid.PinAll();
  std::string Text;
  Source->SaveToXML(Text);
  EXPECT_EQ(Count(Text, '\n'), 2 + 6 * 4);
  int Changes = 0;
  Target->Grid.OnChange = [&](void* S) { Changes += S == &Target->Grid; };
  ASSERT_TRUE(Target->LoadFromXML(Text));
  EXPECT_EQ(Changes, 1);
  ASSERT_EQ(Target->Grid.Cols(), 2);
  ASSERT_EQ(Target->Grid.Rows(), 3);
  EXPECT_EQ(Target->Grid.Dots[1][0].X, 777);  // k = 3: column 1, row 0
  EXPECT_EQ(Target->Grid.Dots[1][0].Z, -5);
  std::string Again;
  Target->SaveToXML(Again);
  EXPECT_EQ(Again, Text);
}

TEST(CompositeParameters, GridCountsAreCheckedBeforeAnythingChanges) {
  struct TCase {
    const char* Counts;
    const char* Message;
  };
  const TCase Cases[] = {
      {"colcount=\"0\" rowcount=\"2\"", "Error parsing Grid from XML: "},
      {"rowcount=\"2\"", "Error parsing Grid from XML: "},
      {"colcount=\"257\" rowcount=\"2\"", "Error parsing Grid from XML: "},
      {"colcount=\"2000000000\" rowcount=\"2000000000\"", "Error parsing Grid from XML: "},
      {"colcount=\"2\"", "Error parsing Grid rows from XML: "},
      {"colcount=\"2\" rowcount=\"-1\"", "Error parsing Grid rows from XML: "},
      {"colcount=\"2\" rowcount=\"300\"", "Error parsing Grid rows from XML: "},
  };
  TSectionPreset Section(nullptr, "S");
  auto* Grid = new TControlledParameterGrid(&Section.Children, "AL", 5, 4, 0, 1000, 0, 1000);
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Counts);
    TErrorCapture Capture;
    const std::string Text = std::string("<grid name=\"AL\" ") + C.Counts +
                             " circular=\"0\">\n<pointx>1</pointx>\n</grid>\n";
    EXPECT_FALSE(Grid->LoadFromXML(Text));
    ASSERT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(CapturedErrors()[0], C.Message + Text);
    EXPECT_EQ(Grid->Grid.Cols(), 5);
    EXPECT_EQ(Grid->Grid.Rows(), 4);
  }
  // Fewer dots than the counts promise: the grid takes the new size, the
  // missing dots read as 0 and unpinned.
  ASSERT_TRUE(Grid->LoadFromXML("<grid name=\"AL\" colcount=\"3\" rowcount=\"3\">\n"
                                "<pointpinned>1</pointpinned>\n<pointx>9</pointx>\n</grid>\n"));
  EXPECT_EQ(Grid->Grid.Cols(), 3);
  EXPECT_EQ(Grid->Grid.Rows(), 3);
  EXPECT_TRUE(Grid->Grid.Dots[0][0].Pinned);
  EXPECT_EQ(Grid->Grid.Dots[0][0].X, 9);
  EXPECT_FALSE(Grid->Grid.Dots[2][2].Pinned);
}

TEST(CompositeParameters, WheelAndIntegerArrayRead) {
  TSectionPreset Section(nullptr, "S");
  auto* Wheel = new TControlledParameterColorWheel(&Section.Children, "Offset");
  auto* Ranges = new TControlledParameterIntegerArray(&Section.Children, "Ranges", 3);
  int WheelCalls = 0, RangeCalls = 0;
  Wheel->OnChange = [&](void*) { ++WheelCalls; };
  Ranges->OnChange = [&](void*) { ++RangeCalls; };
  Wheel->Point.Brightness = 42;
  EXPECT_TRUE(Wheel->LoadFromXML("<colorwheel name=\"Offset\">\n<x>-120</x>\n<y>35</y>\n"
                                 "</colorwheel>\n"));
  EXPECT_EQ(Wheel->Point.X, -120);
  EXPECT_EQ(Wheel->Point.Y, 35);
  EXPECT_EQ(Wheel->Point.Brightness, 42);  // absent: kept
  EXPECT_EQ(WheelCalls, 1);
  EXPECT_TRUE(Wheel->LoadFromXML(""));  // absent element: kept, section reads on
  EXPECT_EQ(Wheel->Point.X, -120);
  std::string Text;
  Wheel->SaveToXML(Text);
  TControlledParameterColorWheel Copy(nullptr, "Offset");
  ASSERT_TRUE(Copy.LoadFromXML(Text));
  EXPECT_EQ(Copy.WheelValue().Brightness, 42);

  // Items beyond the array are ignored; "<value10>" is not item 1.
  EXPECT_TRUE(Ranges->LoadFromXML("<integers name=\"Ranges\" points=\"12\">\n"
                                  "<value10>9</value10>\n<value0>100</value0>\n"
                                  "<value2>900</value2>\n</integers>\n"));
  EXPECT_EQ(Ranges->Values, (std::vector<int32_t>{100, 500, 900}));
  EXPECT_EQ(RangeCalls, 1);
  Ranges->SaveToXML(Text);
  TControlledParameterIntegerArray Other(nullptr, "Ranges", 3);
  ASSERT_TRUE(Other.LoadFromXML(Text));
  EXPECT_EQ(Other.Values, Ranges->Values);
}

TEST(CompositeParameters, SwitchesHaveNoTextForm) {
  TControlledParameterSwitchesArray Switches(nullptr, "TabSwitches", 7, 0);
  Switches.SetSwitch(3, 1);
  Switches.SetSwitch(9, 1);
  EXPECT_EQ(Switches.GetSwitch(3), 1);
  EXPECT_EQ(Switches.GetSwitch(9), 0);
  std::string Text = "x";
  Switches.SaveToXML(Text);
  EXPECT_EQ(Text, "");
  EXPECT_FALSE(Switches.LoadFromXML("<TabSwitches>1</TabSwitches>\n"));
  EXPECT_EQ(Switches.GetSwitch(3), 1);
}

}  // namespace
}  // namespace kromel
