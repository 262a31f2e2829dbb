#include "widgets/style_gui.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <exception>

#include "images/image64_draw.h"
#include "foundation/text_tokens.h"
#include "platform/message_sink.h"
#include "platform/ui_state.h"
#include "widgets/control_widget.h"
#include "widgets/glyph_scroll_bar.h"
#include "widgets/glyph_switch.h"

namespace kromel {

namespace {

constexpr TColor clNone = 0x1FFFFFFF;

// Entries marked opaque carry the top byte 0xFF. The blue style has no tick
// colour of its own elsewhere; it takes the black style's, the palette it
// shares its frames and inactive texts with.
const TStylePalette GPalettes[4] = {
    {0x0B0B0B, 0x505050, 0x404040, 0x202020, 0xFF606060, 0xFF484848, 0xFF202020, 0x404040,
     0xFF484848, 0xFFFFFF, 0xA8A8A8, 0xA8A8A8, 0x282828},
    {0xF8F8F8, 0xFFFFFF, 0xF8F8F8, 0xE0E0E0, 0xFFFFFFFF, 0xFFA0A0A0, 0xFFFFFFFF, 0xA0A0A0,
     0xFF484848, 0x000000, 0x888888, 0x303030, 0xD0D0D0},
    {0x808080, 0xB0B0B0, 0xA0A0A0, 0x808080, 0x3FFFFFFF, 0xFFD0D0D0, 0xFFA0A0A0, 0xC0C0C0,
     0xFF484848, 0xFFFFFF, 0xC8C8C8, 0xFFFFFF, 0xA0A0A0},
    {0x381818, 0x602828, 0x502020, 0x401010, 0xFF803030, 0xFF484848, 0xFF202020, 0x404040,
     0xFF484848, 0xFFFFFF, 0xA8A8A8, 0xF0F0F0, 0x602020},
};

void SetColorOf(QWidget* W, TColor C) {
  if (auto* V = dynamic_cast<TVelWidget*>(W)) {
    V->SetColor(C);
    return;
  }
  QPalette P = W->palette();
  P.setColor(QPalette::Window, QColorOf(C));
  // An edit's colour is its text area; a form's Base stays for the boxes
  // of its check boxes.
  if (qobject_cast<QLineEdit*>(W)) P.setColor(QPalette::Base, QColorOf(C));
  W->setPalette(P);
  W->setAutoFillBackground(true);
}

void SetFontColorOf(QWidget* W, TColor C) {
  if (auto* V = dynamic_cast<TVelWidget*>(W)) {
    V->SetFontColor(C);
    return;
  }
  QPalette P = W->palette();
  P.setColor(QPalette::WindowText, QColorOf(C));
  P.setColor(QPalette::Text, QColorOf(C));
  P.setColor(QPalette::ButtonText, QColorOf(C));
  W->setPalette(P);
}

TColor ColorOfWidget(QWidget* W) {
  if (auto* V = dynamic_cast<TVelWidget*>(W)) return V->Color();
  return ColorOfQColor(W->palette().color(QPalette::Window));
}

bool IsWindowControl(QWidget* W) { return W != nullptr; }

template <class F>
void Guard(const std::string& Message, F Fn) {
  try {
    Fn();
  } catch (const std::exception&) {
    PlatformShowMessage(Message);
  }
}

void ToImage32(const TImage64& Source, TImage32& Target) {
  Target.Init();
  Source.CopyToImage32(Target);
}

void FrameLines(TImage64& I, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, const TPixel64& C) {
  DrawLine(I, X1, Y1, X2, Y1, C);
  DrawLine(I, X1, Y2, X2, Y2, C);
  DrawLine(I, X1, Y1, X1, Y2, C);
  DrawLine(I, X2, Y1, X2, Y2, C);
}

}  // namespace

const TStylePalette& StylePalette(TStyleType Style) { return GPalettes[std::min<int>(Style, 3)]; }

TPixel64 SkinPixel(TColor C, bool Opaque) {
  TPixel64 P{};
  P.R = uint16_t((C & 0xFF) << 8);
  P.G = uint16_t(((C >> 8) & 0xFF) << 8);
  P.B = uint16_t(((C >> 16) & 0xFF) << 8);
  P.A = Opaque ? 65535 : uint16_t(((C >> 24) & 0xFF) << 8);
  return P;
}

std::string SkinClassName(QWidget* W) {
  if (W == nullptr) return {};
  if (auto* V = dynamic_cast<TVelWidget*>(W)) return V->ClassName();
  if (dynamic_cast<TStyleGui*>(W)) return "TStyleGui";
  if (dynamic_cast<TGUISkinner*>(W)) return "TGUISkinner";
  if (qobject_cast<QLabel*>(W)) return "TLabel";
  if (qobject_cast<QCheckBox*>(W)) return "TCheckBox";
  if (qobject_cast<QLineEdit*>(W)) return "TEdit";
  if (W->isWindow()) return "TForm";
  return "TPanel";
}

TStyleGui::TStyleGui(QWidget* Parent) : TGUISkinner(Parent) { setFixedSize(16, 16); }

TStyleGui::~TStyleGui() {
  Guard("Exception in TStyleGUI.Destroy " + objectName().toStdString(), [&] {
    while (!FSubscribers.empty()) {
      const size_t Before = FSubscribers.size();
      Unsubscribe(FSubscribers.front());
      if (FSubscribers.size() == Before) FSubscribers.erase(FSubscribers.begin());
    }
  });
}

void TStyleGui::SetStyleType(TStyleType Value) {
  Guard("Exception in TStyleGui.SetStyleType", [&] {
    FStyleType = Value > stBlue ? stBlue : Value;
    FPalette = StylePalette(FStyleType);
    BackgroundColor = FPalette.BackgroundColor;
    if (!Loading && parentWidget() != nullptr) UpdateGui(parentWidget()->window(), true, BackgroundColor);
  });
}

void TStyleGui::StyleControl(QWidget* Control, bool KeepExisting, TColor Color) {
  if (Color == SkinnerBackground) Color = BackgroundColor;
  if (Control == nullptr || Control == this) return;
  const std::string N = SkinClassName(Control);
  auto* V = dynamic_cast<TVelWidget*>(Control);
  auto* C = dynamic_cast<TControlWidget*>(Control);
  const TColor Text = FPalette.TextColor;
  if (N == "TVelSettingsDirectorySelector") SetColorOf(Control, Color);
  if (N == "TVelRadioGroup" && V) {
    V->UpdateButtons();
    V->SetFontColor(Text);
    V->SetColor(Color);
    if (TVelWidget* L = V->CaptionLabel()) L->SetColor(Color);
  }
  if (N == "TVelPanel" && V) {
    V->SetColor(FPalette.PanelColor);
    V->SetBevelColors(FPalette.FrameOuterColor & 0xFFFFFF, FPalette.FrameInnerColor & 0xFFFFFF);
  }
  if (N == "TGlyphSwitch" || N == "TVelComboBoxController")
    if (auto* S = dynamic_cast<TGlyphSwitch*>(Control)) {
      S->SetColor(Color);
      DrawGlyphSwitch(*S, KeepExisting, N == "TVelComboBoxController");
    }
  if (N == "TGlyphScrollBar")
    if (auto* B = dynamic_cast<TGlyphScrollBar*>(Control)) DrawGlyphScrollBar(*B, KeepExisting);
  if (N == "TLabelBox") {
    SetFontColorOf(Control, Text);
    SetColorOf(Control, Color);
  }
  if (qobject_cast<QLabel*>(Control)) SetFontColorOf(Control, Text);
  if (N == "TCheckBox" || N == "TRadioGroup") SetFontColorOf(Control, Text);
  if (N == "TPanel") SetColorOf(Control, BackgroundColor);
  if (C && C->PublishesColor() && N != "TVelColorPlate") C->SetColor(Color);
  if (N == "TEdit") {
    SetColorOf(Control, Color);
    SetFontColorOf(Control, Text);
  }
  if (N == "TGlyphScrollBarWithCaption" && V) {
    V->SetColor(Color);
    if (TVelWidget* B = V->InnerScrollBar()) B->SetColor(Color);
    if (TVelWidget* L = V->CaptionLabel()) {
      L->SetFontColor(Color);
      L->SetColor(Color);
    }
  }
  if (N == "TEnvelopeGraphBox" && V) {
    V->SetColor(FPalette.PanelColor);
    V->SetRulerColor(0x323232);
  }
  if (C && C->PublishesFontLight()) C->SetFontLight(FFontLight);
}

void TStyleGui::Subscribe(TGlyphSwitch& S) {
  if (S.GUISkinner() != this) {
    if (TGUISkinner* Previous = S.GUISkinner()) Previous->Unsubscribe(&S);
    S.SetGUISkinner(this);
  }
  if (std::find(FSubscribers.begin(), FSubscribers.end(), &S) == FSubscribers.end())
    FSubscribers.push_back(&S);
}

void TStyleGui::Unsubscribe(QWidget* Control) {
  auto It = std::find_if(FSubscribers.begin(), FSubscribers.end(),
                         [&](TGlyphSwitch* S) { return static_cast<QWidget*>(S) == Control; });
  if (It == FSubscribers.end()) {
    PlatformShowMessage("TStyleGUI.Unsubscribe error, can't find component");
    return;
  }
  if (auto* S = dynamic_cast<TGlyphSwitch*>(Control))
    S->SetGUISkinner(nullptr);
  else
    PlatformShowMessage("TStyleGUI.Unsubscribe error, not subscribed component");
  FSubscribers.erase(It);
}

void TStyleGui::UpdateGui(QWidget* Container, bool KeepExisting, TColor Color) {
  if (Color == SkinnerBackground) Color = BackgroundColor;
  if (Container == nullptr) {
    PlatformShowMessage("StyleGui Update Container NULL");
    return;
  }
  std::vector<QWidget*> Children;
  for (QObject* O : Container->children())
    if (auto* W = qobject_cast<QWidget*>(O); W && !W->isWindow()) Children.push_back(W);
  Guard("Exception in TStyleGui.UpdateGui", [&] {
    if (Container->isWindow()) SetColorOf(Container, BackgroundColor);
    const std::string N = SkinClassName(Container);
    if (N == "TVelPanel" || N == "TVelRadioGroup" || N == "TGlyphScrollBarWithCaption")
      Color = ColorOfWidget(Container);
    for (QWidget* W : Children) {
      if (W == this) continue;
      const std::string CN = SkinClassName(W);
      if (CN == "TVelPanel" || CN == "TGlyphScrollBarWithCaption") SetColorOf(W, FPalette.PanelColor);
    }
  });
  Guard("TStyleGui.UpdateGui Exception, container: " + Container->objectName().toStdString(), [&] {
    auto Handle = [&](QWidget* W) {
      if (auto* S = dynamic_cast<TGlyphSwitch*>(W))
        Subscribe(*S);
      else
        StyleControl(W, KeepExisting, Color);
    };
    Handle(Container);
    for (QWidget* W : Children) {
      Handle(W);
      if (IsWindowControl(W) && SkinClassName(W) != "TVelColorPlate" && W != this)
        UpdateGui(W, KeepExisting, Color);
    }
  });
}

void TStyleGui::DrawSwitchFrame(TGlyphSwitch& S, int32_t State, int32_t Frame, bool WithArrows,
                                TImage64& B, TImage64& C) {
  const int32_t W = B.Width, H = B.Height;
  const bool On = (State & 1) != 0, Pressed = State == 2 || State == 3, Active = State >= 2;
  const TSwitchKind Kind = S.Kind();
  const TStylePalette& P = FPalette;
  Guard("Exception in TStyleGui.DrawGlyphSwitch 1", [&] {
    if (Kind == skTumblerWithoutButton) {
      B.Fill(SkinPixel(S.Color(), true));
    } else if (Kind == skTumbler || Kind == skSelector) {
      DrawGradientRadial(B, W / 2, H / 2, 2 * W, 2 * H, SkinPixel(P.FaceColor, true),
                         SkinPixel(P.FaceShadeColor, true));
      TImage64 E;
      if (E.Alloc(W, H)) {
        if (Active) {
          DrawGradientBorder(E, 0, 0, W, H, 10, SkinPixel(0x101010, true), SkinPixel(0, true));
          DrawImageBlendedAdd(B, 0, 0, E);
        }
        if (Pressed) {
          DrawGradientBorder(E, 0, 0, W, H, 7, SkinPixel(0xFFFFFF, true), SkinPixel(0xA0A0A0, true));
          DrawImageMultiplied(B, 0, 0, E);
        }
      }
      E.Dispose();
    } else {
      TColor Top = P.FaceColor, Bottom = P.FaceShadeColor;
      if (State == 4 || State == 5) Top = P.ButtonHoverColor;
      if (Pressed) std::swap(Top, Bottom);
      DrawGradient(B, 0, 0, 0, H, SkinPixel(Top, true), SkinPixel(Bottom, true));
    }
  });

  std::string Text = Kind == skSelector ? GetSemicolonItem(S.Caption(), Frame) : S.Caption();
  if (!Text.empty() && Text[0] == '#') std::erase(Text, ' ');
  if (const size_t T = Text.find('~'); T != std::string::npos) Text.resize(T);

  const bool HasIcon = !S.IconGlyph.Empty();
  TRawBitmap Mask;
  if (HasIcon) S.IconGlyph.Image.CopyTo(Mask);
  const TPixel64 Clear{};
  const int32_t CapX = WithArrows ? 4 : W / 2;
  const int32_t Align = WithArrows ? 0 : 2;
  const int32_t FontSize = H <= 24 ? 12 : 13;

  auto DrawCaption = [&](const std::string& T, const TPixel64& Colour) {
    Guard("Exception in DrawGlyphSwitch-DrawText", [&] {
      std::string Rest = T;
      if (Rest.size() >= 4 && Rest[0] == '>') {
        const TPixel64 Mark = SkinPixel(0x909090, true);
        DrawLine(C, W - 8, H - 4, W - 5, H - 4, Mark);
        DrawLine(C, W - 5, H - 7, W - 5, H - 4, Mark);
        DrawLine(C, W - 5, H - 7, W - 8, H - 4, Mark);
        Rest.erase(0, 1);
      }
      if (Rest == "X") {
        DrawLine(C, 3, 3, W - 4, H - 4, Colour);
        DrawLine(C, 3, H - 4, W - 4, 3, Colour);
      } else if (!Rest.empty() && Rest[0] == '#') {
        const int32_t GW = Rest.rfind("###", 0) == 0 ? 48 : Rest.rfind("##", 0) == 0 ? 32 : 16;
        const int32_t Rows = int32_t(Rest.size()) / (GW / 2);
        DrawHexGlyph(C, CapX, (H - Rows - 1) / 2, GW, Rest, Colour, true);
      } else {
        DrawText(C, CapX, H / 2, Rest, FontSize, FontStyle, Colour, Align);
      }
    });
  };

  Guard("Exception in TStyleGui.DrawGlyphSwitch 1.1", [&] {
    if (Kind == skTumblerWithoutButton && Active) {
      C.Fill(SkinPixel(P.GlowColor & 0xFFFFFF, false));
      const TPixel64 Glow = SkinPixel(P.GlowColor, false);
      if (HasIcon)
        DrawBitmap(C, 0, 0, Mask, Clear, Glow);
      else
        DrawCaption(Text, Glow);
      C.GaussianBlur(4.0f);
      C.ScaleAlpha(4.0f);
      DrawImageBlended(B, 0, 0, C);
    }
    C.Fill(Clear);
  });

  TColor CapColour = P.TextOffColor;
  if (On || Pressed)
    CapColour = (Kind == skTumbler || Kind == skTumblerWithoutButton) ? P.TumblerTextOnColor : P.TextColor;
  const TPixel64 Cap = SkinPixel(CapColour, true);

  Guard("Exception in TStyleGui.DrawGlyphSwitch 2", [&] {
    if (HasIcon)
      DrawBitmap(C, W / 2, H / 2, Mask, Cap, Clear);
    else if (!Text.empty())
      DrawCaption(Text, Cap);
    else if (On)
      FillRect(C, 1, 0, W - 1, H / 2, Cap);
    else
      FillRect(C, 1, H / 2, W - 1, H / 2 + 5, Cap);
    if (WithArrows)
      for (int32_t K = 0; K <= 4; ++K) {
        DrawLine(C, W - K - 10, H / 2 - 6 + K, W + K - 10, H / 2 - 6 + K, Cap);
        DrawLine(C, W - K - 10, H / 2 + 6 - K, W + K - 10, H / 2 + 6 - K, Cap);
      }
  });

  Guard("Exception in TStyleGui.DrawGlyphSwitch 3", [&] {
    DrawImageBlended(B, 0, 0, C);
    if (Kind != skTumblerWithoutButton) {
      FrameLines(B, 0, 0, W - 1, H - 1, SkinPixel(P.FrameOuterColor, false));
      FrameLines(B, 1, 1, W - 2, H - 2, SkinPixel(P.FrameInnerColor, false));
    }
  });
}

void TStyleGui::DrawGlyphSwitch(TGlyphSwitch& S, bool KeepExisting, bool WithArrows) {
  if (KeepExisting && !S.OnGlyph().Empty()) return;
  Guard("Exception in TStyleGui.DrawGlyphSwitch, name=" + S.Switch().Name +
            " Width=" + std::to_string(S.width()),
        [&] {
          const int32_t W = S.width(), H = S.height(), N = S.FrameCount();
          if (W <= 0 || H <= 0) return;
          TImage64 B, C;
          B.Init();
          C.Init();
          if (!B.Alloc(W, H) || !C.Alloc(W, H)) {
            B.Dispose();
            C.Dispose();
            return;
          }
          for (int32_t State = 0; State < 6; ++State) {
            TImage32 Picture;
            if (!Picture.Alloc(W, H * N)) break;
            for (int32_t J = 0; J < N; ++J) {
              B.Fill(TPixel64{});
              C.Fill(TPixel64{});
              DrawSwitchFrame(S, State, J, WithArrows, B, C);
              Guard("Exception in TStyleGui.DrawGlyphSwitch 4", [&] {
                TImage32 Frame;
                ToImage32(B, Frame);
                Picture.DrawImage(Frame, 0, H * J);
                Frame.Dispose();
              });
            }
            // The pictures are 24-bit: opaque.
            Picture.SetAlpha(255);
            S.Glyphs[State].Take(Picture);
          }
          B.Dispose();
          C.Dispose();
          S.update();
        });
}

void TStyleGui::DrawGlyphScrollBar(TGlyphScrollBar& SB, bool) {
  const std::string Name = SB.ScrollBar().Name;
  SB.HasButtons = false;
  const int32_t W = SB.width(), H = SB.height();
  if (W <= 0 || H <= 0) return;
  const int32_t T = std::max(std::min(W, H) * 4 / 5, 2) / 2 * 2;
  TColor Ground = BackgroundColor;
  Guard("Exception in TStyleGui.DrawGlyphScrollBar 0, name=" + Name, [&] {
    QWidget* Parent = SB.parentWidget();
    const std::string PN = SkinClassName(Parent);
    if (Parent && (PN == "TVelPanel" || PN == "TGlyphScrollBarWithCaption")) Ground = ColorOfWidget(Parent);
  });
  const TStylePalette& P = FPalette;
  Guard("Exception in TStyleGui.DrawGlyphScrollBar 1, name=" + Name, [&] {
    TImage64 R;
    if (!R.Alloc(W, H)) return;
    R.Fill(SkinPixel(Ground, true));
    const TPixel64 Inner = SkinPixel(P.FrameInnerColor, false), Outer = SkinPixel(P.FrameOuterColor, false);
    if (SB.Kind == sbVertical) {
      const int32_t X0 = W / 2 - 3;
      DrawRectangleRounded(R, X0, 2, W - 7, H - 2, T / 4, Inner);
      DrawRectangleRounded(R, X0 + 1, 3, W - 8, H - 3, T / 4, Outer);
      DrawLineAdd(R, X0 + 2, 4, X0 + 2, H - 4, SkinPixel(0x303030, false));
      DrawLineAdd(R, W - 6, 4, W - 6, H - 4, SkinPixel(0x505050, false));
    } else {
      const int32_t Y0 = H / 2 - 3;
      DrawRectangleRounded(R, 2, Y0, W - 2, H - 7, H / 8, Inner);
      DrawRectangleRounded(R, 3, Y0 + 1, W - 3, H - 8, H / 8, Outer);
      DrawLineAdd(R, 4, Y0 + 2, W - 4, Y0 + 2, SkinPixel(0x303030, false));
      DrawLineAdd(R, 4, H - 6, W - 4, H - 6, SkinPixel(0x505050, false));
      if (SB.GradientColor1 != clNone)
        DrawGradientLine(R, 4, H / 2, W - 4, H / 2, SkinPixel(SB.GradientColor1, true),
                         SkinPixel(SB.GradientColor2, true));
      const TPixel64 Tick = SkinPixel(P.TickColor, false);
      for (int32_t I = 0; I <= 10; ++I) {
        const int32_t X = (W - T) * I / 10 + T / 2;
        DrawLine(R, X, I % 5 == 0 ? 0 : 1, X, 2, Tick);
      }
    }
    R.SetAlpha(65535);
    TImage32 Rail;
    ToImage32(R, Rail);
    SB.PicRail.Take(Rail);
    R.Dispose();
  });
  TImage64 Th;
  const int32_t TW = SB.Kind == sbVertical ? W : T, TH = SB.Kind == sbVertical ? T : H;
  Guard("Exception in TStyleGui.DrawGlyphScrollBar 2, name=" + Name, [&] {
    if (!Th.Alloc(TW, TH)) return;
    Th.Fill(TPixel64{});
    FillCircle(Th, TW / 2, TH / 2, 5 * T / 12, SkinPixel(0xFFFFFF, true));
    TImage64 G;
    if (G.Alloc(TW, TH)) {
      if (TH > 1)
        DrawGradient(G, 0, 0, 0, TH - 1, SkinPixel(0xFFFFFF, true), SkinPixel(0xC0C0C0, true));
      else
        G.Fill(SkinPixel(0xFFFFFF, true));
      DrawImageMultiplied(Th, 0, 0, G);
    }
    G.Dispose();
  });
  Guard("Exception in TStyleGui.DrawGlyphScrollBar 3, name=" + Name, [&] {
    if (Th.Pixels == nullptr) return;
    DrawOutline(Th, SkinPixel(P.ThumbOutlineColor, false));
    TImage32 Thumb;
    ToImage32(Th, Thumb);
    SB.PicThumb.Take(Thumb);
    SB.update();
  });
  Th.Dispose();
}

void TStyleGui::mousePressEvent(QMouseEvent* E) {
  const Qt::KeyboardModifiers M = E->modifiers();
  if (E->button() == Qt::RightButton && (M & Qt::ShiftModifier) && (M & Qt::ControlModifier)) {
    PlatformShowMessage("Caught!");
    if (parentWidget()) UpdateGui(parentWidget()->window(), false, BackgroundColor);
    update();
  }
  TGUISkinner::mousePressEvent(E);
}

}  // namespace kromel
