// A form holding one sample of each control class the skinner styles.
#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "controls/switch_controls.h"
#include "widgets/glyph_scroll_bar.h"
#include "widgets/glyph_switch.h"
#include "widgets/style_gui.h"
#include "widgets/vel_image.h"

namespace kromel::testing {

// A plain panel of the form ("TPanel").
class TSamplePanel : public TVelWidget {
public:
  using TVelWidget::TVelWidget;
  std::string ClassName() const override { return "TPanel"; }
};

struct TSampleForm {
  QWidget Form;
  TStyleGui* Skin = nullptr;
  TSamplePanel* Panel = nullptr;
  QLabel* Label = nullptr;
  QCheckBox* Check = nullptr;
  QLineEdit* Edit = nullptr;
  TGlyphSwitch* Tumbler = nullptr;
  TGlyphSwitch* Button = nullptr;
  TGlyphSwitch* Selector = nullptr;
  TGlyphSwitch* Combo = nullptr;
  TGlyphSwitch* Glow = nullptr;
  TGlyphScrollBar* HBar = nullptr;
  TGlyphScrollBar* VBar = nullptr;
  TVelImage* Image = nullptr;

  explicit TSampleForm(TStyleType Style) {
    Form.resize(400, 220);
    Skin = new TStyleGui(&Form);
    Skin->Loading = true;
    Skin->SetStyleType(Style);
    Skin->Loading = false;
    Skin->move(380, 200);
    Panel = new TSamplePanel(&Form);
    Panel->setGeometry(10, 10, 180, 60);
    Label = new QLabel("Exposure", Panel);
    Label->setGeometry(8, 6, 90, 20);
    Check = new QCheckBox("Preview", Panel);
    Check->setGeometry(8, 30, 100, 22);
    Edit = new QLineEdit("1.25", &Form);
    Edit->setGeometry(200, 10, 80, 24);
    Tumbler = new TGlyphSwitch(&Form, skTumbler);
    Tumbler->setGeometry(10, 80, 70, 30);
    Tumbler->SetCaption("On");
    Tumbler->Switch().SetState(true);
    Button = new TGlyphSwitch(&Form, skButton);
    Button->setGeometry(90, 80, 80, 30);
    Button->SetCaption("Apply");
    Selector = new TGlyphSwitch(&Form, skSelector);
    Selector->setGeometry(180, 80, 70, 30);
    Selector->SetCaption("RGB;LAB;HSP");
    Selector->Switch().SetSelectorPosition(1);
    Combo = new TGlyphSwitch(std::make_unique<TComboControl>("Combo", "Linear;Log;Gamma", 3), &Form);
    Combo->setGeometry(260, 80, 110, 24);
    Glow = new TGlyphSwitch(&Form, skTumblerWithoutButton);
    Glow->setGeometry(290, 10, 60, 24);
    Glow->SetCaption("Mask");
    HBar = new TGlyphScrollBar(&Form, sbHorizontal);
    HBar->setGeometry(10, 125, 240, 20);
    HBar->ScrollBar().SetPosition(30);
    VBar = new TGlyphScrollBar(&Form, sbVertical);
    VBar->setGeometry(370, 110, 20, 100);
    VBar->ScrollBar().SetPosition(70);
    Image = new TVelImage(&Form);
    Image->setGeometry(10, 155, 240, 55);
    Image->SetBevel(1);
    Image->SetCaption("Histogram");
    Image->Font.Size = 12;
    Image->SetColor(StylePalette(Style).PanelColor);
    Image->SetFontColor(StylePalette(Style).TextColor);
  }
  void Style() { Skin->UpdateGui(&Form, false, SkinnerBackground); }
};

}  // namespace kromel::testing
