// The interface through which controls reach their form's skinner without
// knowing its implementation. Colour arguments are 0xAABBGGRR; the value
// SkinnerBackground stands for the skinner's own background colour.
#pragma once
#include <QWidget>

#include "platform/raw_bitmap.h"

namespace kromel {

constexpr TColor SkinnerBackground = 0x1001234;

class TGUISkinner : public QWidget {
public:
  explicit TGUISkinner(QWidget* Parent = nullptr) : QWidget(Parent) {}
  // Styles one control; nothing here.
  virtual void StyleControl(QWidget* Control, bool KeepExisting, TColor Color) {
    (void)Control, (void)KeepExisting, (void)Color;
  }
  // Forgets a control that paints through this skinner; nothing here.
  virtual void Unsubscribe(QWidget* Control) { (void)Control; }
};

}  // namespace kromel
