#include "params/composite_parameters.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kromel
