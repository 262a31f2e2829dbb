#include "app/main_form_wiring.h"
#include "app/guarded.h"
#include "app/menu_bar.h"
#include "app/x11_monitor_profile.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "app/analyzer_window.h"
#include "app/main_form.h"
#include "engine/kromel_preset.h"
#include "colour/log_gamma.h"
#include "foundation/debug_log.h"
#include "engine/mask_unit.h"
#include "engine/model_curves.h"
#include "engine/rgb_curves.h"
#include "fileio/file_dialogs.h"
#include "foundation/platform_helpers.h"
#include "images/owned_image.h"
#include "lut/lut.h"
#include "lut/lut_apply.h"
#include "platform/main_thread.h"
#include "platform/message_sink.h"
#include "platform/translate.h"
#include "session/session_core.h"
#include "session/session_presets.h"
#include "widgets/cursors.h"
#include "widgets/image_with_zoom.h"

namespace kromel {

namespace {

const char* const ReferenceFilter =
    "*.jpg;*.jpeg;*.tif;*.tiff;*.png;*.bmp;*.exr|*.jpg;*.jpeg;*.tif;*.tiff;*.png;*.bmp;*.exr|*.*|*.*";
const char* const ProfileFilter = "*.icc;*.icm|*.icc;*.icm";


// The page selector's index as the tools see it.
TToolPage ToolPageOf(int32_t Page) {
  switch (Page) {
    case 0: return TToolPage::ChannelMixer;
    case 2: return TToolPage::ABGrid;
    case 3: return TToolPage::CLGrid;
    case 4: return TToolPage::Curves;
    case 5: return TToolPage::Curves2D;
    case 6: return TToolPage::Mask;
    default: return TToolPage::Other;
  }
}

// A, R, G, B bytes (the display transforms' output) into B, G, R, A pixels.
void ArgbToBgra(uint8_t* Row, int32_t Count) {
  for (int32_t I = 0; I < Count; ++I) {
    uint8_t* P = Row + 4 * I;
    const uint8_t A = P[0], R = P[1], G = P[2], B = P[3];
    P[0] = B;
    P[1] = G;
    P[2] = R;
    P[3] = A;
  }
}

// The colour (BGRA) in the mask selector's model, for the readout.
std::string ByteText(uint32_t C) {
  char Buf[32];
  std::snprintf(Buf, sizeof(Buf), "%u %u %u", (C >> 16) & 255u, (C >> 8) & 255u, C & 255u);
  return Buf;
}

}  // namespace

TMainFormWiring::TMainFormWiring(TKromelMainForm& Form)
    : QObject(&Form), Reference(Form.Session()), FForm(Form), FSession(Form.Session()),
      FPresets(Form.Presets()) {
  TImageWithZoom& P = FForm.Preview();
  P.OnMouseDown = [this](QWidget*, TMouseButton B, TShiftState S, int32_t X, int32_t Y) {
    PreviewMouseDownEvent(B, S, X, Y);
  };
  P.OnMouseMove = [this](QWidget*, TShiftState S, int32_t X, int32_t Y) { PreviewMouseMoveEvent(S, X, Y); };
  P.OnMouseUp = [this](QWidget*, TMouseButton B, TShiftState S, int32_t X, int32_t Y) {
    PreviewMouseUpEvent(B, S, X, Y);
  };
  P.OnSelection = [this] { Guarded("ImageWithZoom1Selection", [&] { PreviewSelection(); }); };
  P.OnMouseLeave = [this](QWidget*) {
    Picker.PointerOverPreview = false;
    UpdatePicker();
  };
  // The view's colour management: the image profile to the monitor's,
  // through the proofing profile while proofing is on.
  P.ToDisplay = [this](const TImage64& Source, TImage32& Target) {
    cmsHTRANSFORM T = Colour.ViewTransform16();
    if (T == nullptr) {
      Source.CopyToImage32(Target);
      return;
    }
    for (int32_t Y = 0; Y < Source.Height; ++Y) {
      uint8_t* Row = reinterpret_cast<uint8_t*>(Target.Pixels + size_t(Y) * size_t(Target.Width));
      cmsDoTransform(T, Source.Pixels + size_t(Y) * size_t(Source.Width), Row, cmsUInt32Number(Source.Width));
      ArgbToBgra(Row, Source.Width);
    }
  };
  P.ResultToDisplay = [this](TImage32& Image) {
    // Null when the pixels are shown as they are: nothing to do per frame.
    cmsHTRANSFORM T = Colour.ViewTransform();
    if (T == nullptr || Image.Pixels == nullptr) return;
    std::vector<uint8_t> Out(size_t(Image.Width) * 4);
    for (int32_t Y = 0; Y < Image.Height; ++Y) {
      TVPixel32* Row = Image.Pixels + size_t(Y) * size_t(Image.Width);
      cmsDoTransform(T, Row, Out.data(), cmsUInt32Number(Image.Width));
      ArgbToBgra(Out.data(), Image.Width);
      std::copy(Out.begin(), Out.end(), reinterpret_cast<uint8_t*>(Row));
    }
  };
  Guarded("ManageColorProfile", [&] {
    Colour.ICCMode = std::clamp(FSession.SessionSettings().Main.ICCMode, 0, 3);
    Colour.CustomICC = FSession.SessionSettings().Main.CustomICC;
    Colour.DiscardImageProfiles = FSession.SessionSettings().Main.DiscardImageProfile;
    Colour.ProofingProfileFileName = FSession.SessionSettings().Main.ProofingProfileFileName;
    Colour.MakeLABTransforms();
    // The display's own profile when X publishes one, else the built-in sRGB.
    Colour.SetSystemMonitorProfile(X11MonitorProfileBytes());
    Colour.ManageColorProfile(false, true);
    Colour.LoadInputProfile(FSession.ImageProfileData, FSession.ImageProfileSourceFile);
  });
  FAnalyzer = new TAnalyzerWindow(FSession, &FForm);
  FAnalyzer->resize(300, 720);
  FPickerLabel = new QLabel(&FForm);
  FPickerLabel->setObjectName("PickerLabel");
  FPickerLabel->setMinimumWidth(340);
  FForm.statusBar()->addPermanentWidget(FPickerLabel);
  BuildToolBar();
  BuildMenus();
  FSession.Subscribe(this);
  SetTool(0);
}

TMainFormWiring::~TMainFormWiring() {
  FSession.Unsubscribe(this);
  TImageWithZoom& P = FForm.Preview();
  P.OnMouseDown = nullptr;
  P.OnMouseMove = nullptr;
  P.OnMouseUp = nullptr;
  P.OnSelection = nullptr;
  P.OnMouseLeave = nullptr;
  P.ToDisplay = nullptr;
  P.ResultToDisplay = nullptr;
  delete FAnalyzer;
  FAnalyzer = nullptr;
}

// ---- tools

void TMainFormWiring::BuildToolBar() {
  FToolBar = FForm.addToolBar(QString::fromStdString(_("Tools")));
  FToolBar->setObjectName("ToolsPanel");
  FToolGroup = new QActionGroup(this);
  FToolGroup->setExclusive(true);
  const struct {
    int32_t Code;
    const char* Text;
    const char* Hint;
  } Items[] = {{ToolMovePoint, "1", "Move single point"},
               {ToolMoveFour, "4", "Move four points around current color"},
               {ToolPullIn, "In", "Pull points into current color"},
               {ToolPushOut, "Out", "Push points away from current color"},
               {ToolMarquee, "[ ]", "Select grid points by marquee selection over image"},
               {ToolAddSwatch, "+", "Add color to color swatches palette"},
               {ToolZoomIn, "Z+", "Zoom in"},
               {ToolZoomOut, "Z-", "Zoom out"},
               {ToolZoomWindow, "Z[]", "Zoom window"},
               {ToolAlphaMarquee, "A[]", "Alpha channel marquee selection"},
               {ToolChartGrid, "#", "Color chart grid tool"}};
  for (const auto& I : Items) {
    QAction* A = FToolBar->addAction(QString::fromStdString(I.Text));
    A->setToolTip(QString::fromStdString(_(I.Hint)));
    A->setCheckable(true);
    FToolGroup->addAction(A);
    const int32_t Code = I.Code;
    QObject::connect(A, &QAction::triggered, this,
                     [this, Code] { Guarded("ToolVelRadioGroupChange", [&] { SetTool(Code); }); });
    FToolActions.emplace_back(Code, A);
  }
  FToolBar->addSeparator();
  FReplaceCombo = new QComboBox(FToolBar);
  FReplaceCombo->setObjectName("ABGridTATTypeRadioGroup");
  for (const char* T : {"No replace", "Exact", "Color", "Hue", "Luminance"})
    FReplaceCombo->addItem(QString::fromStdString(_(T)));
  FReplaceCombo->setToolTip(QString::fromStdString(_("Color replace tool")));
  FToolBar->addWidget(FReplaceCombo);
  QObject::connect(FReplaceCombo, &QComboBox::currentIndexChanged, this, [this](int I) {
    Guarded("ABGridTATTypeRadioGroupClick", [&] { SetABReplaceType(I - 1); });
  });
  FMaskPickerAction = FToolBar->addAction(QString::fromStdString(_("Mask picker")));
  FMaskPickerAction->setToolTip(QString::fromStdString(_("Pick the mask color from the image")));
  FMaskPickerAction->setCheckable(true);
  QObject::connect(FMaskPickerAction, &QAction::toggled, this,
                   [this](bool On) { Guarded("ToolsMask1ColorPickerButtonClick", [&] { SetMaskPicker(On); }); });
}

void TMainFormWiring::SyncToolPage() { Tools.Page = ToolPageOf(FForm.CurrentPage()); }

void TMainFormWiring::SetTool(int32_t Code) {
  SyncToolPage();
  if (Code < 0) {
    if (Tools.ToolItem >= 0) Tools.ToolItem = ParkedIndex(Tools.ToolItem);
  } else {
    Tools.ToolItem = Code % 32;
    Tools.ToolSubTool = Code / 32;
    Tools.ToolChanged();
    if (FReplaceCombo && FReplaceCombo->currentIndex() != 0) {
      const QSignalBlocker Block(FReplaceCombo);
      FReplaceCombo->setCurrentIndex(0);
    }
  }
  if (FMaskPickerAction && FMaskPickerAction->isChecked() != Tools.MaskPicker) {
    const QSignalBlocker Block(FMaskPickerAction);
    FMaskPickerAction->setChecked(Tools.MaskPicker);
  }
  const int32_t Now = Tools.Code();
  for (auto& [C, A] : FToolActions) {
    const QSignalBlocker Block(A);
    A->setChecked(C == Now);
  }
  FForm.Preview().SelectionEnabled = Tools.SelectionMode;
  UpdateToolCursor();
}

void TMainFormWiring::SetMaskPicker(bool Down) {
  SyncToolPage();
  if (Down) {
    Tools.DeactivateTools();
    Tools.MaskPicker = true;
    for (auto& [C, A] : FToolActions) {
      const QSignalBlocker Block(A);
      A->setChecked(false);
    }
    FForm.Preview().SelectionEnabled = false;
  } else {
    Tools.ResetPickers();
  }
  UpdateToolCursor();
}

void TMainFormWiring::SetABReplaceType(int32_t Type) {
  SyncToolPage();
  if (Type >= 0) {
    Tools.ABTatType = Type;
    if (Tools.ToolItem >= 0) Tools.ToolItem = ParkedIndex(Tools.ToolItem);
    for (auto& [C, A] : FToolActions) {
      const QSignalBlocker Block(A);
      A->setChecked(false);
    }
    FForm.Preview().SelectionEnabled = false;
  } else {
    if (Tools.ABTatType >= 0) Tools.ABTatType = ParkedIndex(Tools.ABTatType);
    if (Tools.ToolItem < 0) SetTool(ParkedIndex(Tools.ToolItem));
  }
  if (FReplaceCombo && FReplaceCombo->currentIndex() != std::max(Type, -1) + 1) {
    const QSignalBlocker Block(FReplaceCombo);
    FReplaceCombo->setCurrentIndex(std::max(Type, -1) + 1);
  }
  UpdateToolCursor();
}

void TMainFormWiring::SetCurvesTatType(int32_t Type) {
  SyncToolPage();
  if (Type >= 0) {
    Tools.CurvesTatType = Type;
    if (Tools.ToolItem >= 0) Tools.ToolItem = ParkedIndex(Tools.ToolItem);
    if (Tools.ABTatType >= 0) Tools.ABTatType = ParkedIndex(Tools.ABTatType);
    for (auto& [C, A] : FToolActions) {
      const QSignalBlocker Block(A);
      A->setChecked(false);
    }
    FForm.Preview().SelectionEnabled = false;
  } else {
    if (Tools.CurvesTatType >= 0) Tools.CurvesTatType = ParkedIndex(Tools.CurvesTatType);
    if (Tools.ToolItem < 0) SetTool(ParkedIndex(Tools.ToolItem));
  }
  UpdateToolCursor();
}

void TMainFormWiring::UpdateToolCursor() {
  SyncToolPage();
  const TToolCursors C = ToolCursors(Tools, IsAltKeyDown(), IsShiftKeyDown(), FCurvesDrag.Active());
  int32_t Image = C.Image;
  if (Tools.MaskPicker) Image = 5;
  FPreviewCursor = IsSpaceKeyDown() ? 14 : Image;
  SetCursorIndex(FForm.Preview(), FPreviewCursor);
}

uint32_t TMainFormWiring::StageColour(int32_t Stage, uint32_t Colour, bool Wait) {
  TKromelPresetCalculator& Calc = FSession.Pipeline().Calculator;
  // A run holds the stages; the main thread serves its calls meanwhile.
  std::unique_lock<TPresetLock> Lock(Calc.PresetLock, std::defer_lock);
  for (int32_t Round = 0; Round < (Wait ? 5000 : 1) && !Lock.try_lock(); ++Round) {
    if (!Wait) break;
    DrainMainThreadCalls();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!Lock.owns_lock()) return Colour;
  const T3DLut* L = nullptr;
  if (Stage >= 0 && Stage < 6)
    L = Calc.LutStep[Stage].get();
  else if (Stage == 6)
    L = Calc.LutMaskSource.get();
  else if (Stage == 7)
    L = Calc.LutMaskKey.get();
  if (L == nullptr || L->Count <= 0) return Colour;
  return (ProcessColorBGRA32InGammaProfile(*L, Colour) & 0x00FFFFFFu) | (Colour & 0xFF000000u);
}

void TMainFormWiring::PreviewMouseDownEvent(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  Guarded("TMainForm.Image1MouseDown", [&] {
    SyncToolPage();
    const int32_t Code = Tools.Code();
    if (Code == ToolAlphaMarquee) return;
    if (FSession.Image.IsEmpty()) return;
    const bool Alt = (Shift & ssAlt) != 0;
    FPreviewMouseDown = true;
    if (!Tools.MaskPicker && (Code == ToolZoomIn || Code == ToolZoomOut)) {
      FForm.Preview().ZoomAt(X, Y, ZoomFactorOfPress(Code, Alt));
      return;
    }
    if (Y < 0 || Y >= FForm.Preview().height()) return;
    bool FromReference = false;
    const int32_t Radius = std::clamp(FSession.Preferences().PickerArea, 0, 5);
    const uint32_t C = FForm.Preview().GetColorAt(X, Y, Radius, FromReference);
    FPressX = X;
    FPressY = Y;
    ColorSourceMouseDown(C, Button, Shift, FromReference);
  });
}

void TMainFormWiring::ColorSourceMouseDown(uint32_t Colour, TMouseButton Button, TShiftState Shift,
                                           bool FromReference) {
  Guarded("ColorSourceMouseDown", [&] {
    const int32_t Code = Tools.Code();
    const bool Alt = (Shift & ssAlt) != 0, ShiftKey = (Shift & ssShift) != 0;
    if (Button != mbLeft) return;
    if (Tools.Page == TToolPage::Mask) {
      int32_t Selector = -1;
      FSession.EditPreset([&](TKromelPreset& P) {
        if (TMaskAdjustments* M = P.MaskUnit()) Selector = M->MaskType->Value;
        return true;
      });
      if (Tools.MaskPicker || Selector == 20 || Selector == 21)
        MaskPickClick(FPresets, Selector == 21 ? 21 : 20, StageColour(6, Colour), ShiftKey, Alt);
      FForm.PagesChanged();
      return;
    }
    // The reference colour of the replace tools.
    const bool GridTool = Code == 0 || Code == 1 || Code == 2 || Code == 3 || Code == 6 || Code == 34;
    if (FromReference || (Alt && !ShiftKey && !GridTool)) {
      const uint32_t T = FromReference ? Colour : StageColour(1, Colour);
      BrushColor = ((T >> 16) & 255u) | (T & 0xFF00u) | ((T & 255u) << 16);
      return;
    }
    if (Tools.Page == TToolPage::ChannelMixer && Code == ToolMovePoint) {
      const TImageProfile Profile = this->Colour.GetImageColorSpace();
      const float R = GammaToLinearByProfile(Profile, float((Colour >> 16) & 255u) / 255.0f);
      const float G = GammaToLinearByProfile(Profile, float((Colour >> 8) & 255u) / 255.0f);
      const float B = GammaToLinearByProfile(Profile, float(Colour & 255u) / 255.0f);
      FMixerDrag.Start(FPresets, R, G, B, ShiftKey, FPressX, FPressY);
      return;
    }
    if (Tools.Page == TToolPage::Curves && Tools.CurvesTatType >= 3 && ShiftKey) {
      FCurvesDrag.Start(FPresets, StageColour(2, Colour), Tools.CurvesTatType, FPressY);
      UpdateToolCursor();
      return;
    }
    if (Tools.Page != TToolPage::ABGrid) return;
    const uint32_t C1 = StageColour(1, Colour);
    if (Code == ToolPullIn || Code == ToolPushOut) {
      ABGridPullPushClick(FPresets, C1, Code == ToolPushOut, ShiftKey);
    } else if (Code == ToolMovePoint || Code == ToolMarquee || Code == ToolMoveFour) {
      FGridDrag.Start(FPresets, C1, Code == ToolMoveFour, ShiftKey, FPressX, FPressY);
    } else if (Code < 0 && Tools.ABTatType >= 0) {
      ABColourReplaceClick(FPresets, C1, BrushColor, Tools.ABTatType);
    }
    FForm.PagesChanged();
  });
}

void TMainFormWiring::PreviewMouseMoveEvent(TShiftState, int32_t X, int32_t Y) {
  if (FForm.Preview().Layout.Panning()) return;
  if (FGridDrag.Active() || FMixerDrag.Active() || FCurvesDrag.Active()) {
    Guarded("ColorSourceMouseMove", [&] {
      FGridDrag.Move(X, Y);
      FMixerDrag.Move(X, Y);
      FCurvesDrag.Move(Y);
    });
    return;
  }
  Guarded("TMainForm.Image1MouseMove", [&] {
    Picker.PickerUnprocessed = false;
    const TImageWithZoom& P = FForm.Preview();
    if (X > 0 && X < P.width() && Y > 0 && Y < P.height()) {
      bool Unprocessed = false;
      const int32_t Radius = std::clamp(FSession.Preferences().PickerArea, 0, 5);
      Picker.PickerColor = P.GetColorAt(X, Y, Radius, Unprocessed);
      Picker.PickerUnprocessed = Unprocessed || P.Layout.ShowBefore;
      Picker.PointerOverPreview = true;
      UpdatePicker();
    }
  });
}

void TMainFormWiring::PreviewMouseUpEvent(TMouseButton, TShiftState, int32_t, int32_t) {
  FPreviewMouseDown = false;
  Guarded("ColorSourceMouseUp", [&] {
    const bool Changed = FGridDrag.End() | FMixerDrag.End() | FCurvesDrag.End();
    if (Changed) FForm.PagesChanged();
  });
}

void TMainFormWiring::PreviewSelection() {
  TImageWithZoom& P = FForm.Preview();
  const TRect R = P.Layout.SelectionRect();
  const int32_t W = std::abs(R.Right - R.Left), H = std::abs(R.Bottom - R.Top);
  const int32_t Code = Tools.Code();
  if (Code == ToolZoomWindow) {
    if (ZoomWindowRefits(W, H))
      P.ZoomFit();
    else
      P.Layout.ZoomToRect({R.Left, R.Top}, {R.Right, R.Bottom});
    P.update();
  } else if (Code == ToolAlphaMarquee) {
    // The rectangle's image pixels become opaque (Alt: transparent); a
    // rectangle under 5 pixels takes the whole image. Shift adds to the
    // selection, otherwise the rest becomes transparent.
    TImage64& I = FSession.Image;
    if (I.IsEmpty()) return;
    int32_t X1 = 0, Y1 = 0, X2 = I.Width, Y2 = I.Height;
    if (!AlphaRectIsWholeImage(W, H)) {
      int32_t Ax = -1, Ay = -1, Bx = -1, By = -1;
      P.Layout.PaneAt(std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), Ax, Ay);
      P.Layout.PaneAt(std::max(R.Left, R.Right), std::max(R.Top, R.Bottom), Bx, By);
      if (Ax < 0 || Ay < 0 || Bx < 0 || By < 0) return;
      X1 = std::clamp(Ax, 0, I.Width);
      Y1 = std::clamp(Ay, 0, I.Height);
      X2 = std::clamp(Bx + 1, 0, I.Width);
      Y2 = std::clamp(By + 1, 0, I.Height);
    }
    const bool Alt = IsAltKeyDown(), Add = IsShiftKeyDown();
    {
      TKromelSession::TRendererBlockGuard Block(FSession);
      for (int32_t Y = 0; Y < I.Height; ++Y)
        for (int32_t X = 0; X < I.Width; ++X) {
          const bool Inside = X >= X1 && X < X2 && Y >= Y1 && Y < Y2;
          uint16_t& A = I.Pixels[size_t(Y) * size_t(I.Width) + size_t(X)].A;
          if (Inside)
            A = Alt ? 0 : 65535;
          else if (!Add && !Alt)
            A = 0;
        }
    }
    FSession.SourceImageChanged();
  }
}

// ---- picker

void TMainFormWiring::RefreshMainLut() {
  if (!FMainLut) FMainLut = std::make_unique<T3DLut>();
  if (!FSession.CopyMainLut(*FMainLut)) FMainLut.reset();
}

std::string TMainFormWiring::PickerText() const {
  std::string S = _("Before: ") + ByteText(Picker.PickerColor) + "   " + _("After: ") +
                  ByteText(Picker.PickerColorAfter);
  if (cmsHTRANSFORM T = Colour.RGB8ToLabTransform()) {
    float Lab[3] = {0, 0, 0};
    const uint32_t C = Picker.PickerColorAfter | 0xFF000000u;
    cmsDoTransform(T, &C, Lab, 1);
    char Buf[64];
    std::snprintf(Buf, sizeof(Buf), "   Lab: %.1f %.1f %.1f", double(Lab[0]), double(Lab[1]), double(Lab[2]));
    S += Buf;
  }
  return S;
}

void TMainFormWiring::UpdatePicker() {
  if (!FMainLut) RefreshMainLut();
  if (!FMainLut) return;
  Guarded("UpdatePicker", [&] {
    Picker.UpdateAfter(*FMainLut);
    SyncToolPage();
    CurvesMarkers = {};
    MaskMarkers = {-1, -1, -1};
    if (Picker.PointerOverPreview) {
      if (Tools.Page == TToolPage::Curves) {
        TCurvesPickerInput In;
        In.Stage2Colour = Picker.PickerUnprocessed ? Picker.PickerColor : StageColour(2, Picker.PickerColor, false);
        In.Stage3Colour = Picker.PickerUnprocessed ? Picker.PickerColor : StageColour(3, Picker.PickerColor, false);
        CurvesMarkers = CurvesPickerMarkers(In);
      } else if (Tools.Page == TToolPage::Mask) {
        int32_t Selector = -1;
        FSession.EditPreset([&](TKromelPreset& P) {
          if (TMaskAdjustments* M = P.MaskUnit()) Selector = M->MaskType->Value;
          return true;
        });
        MaskMarkers = MaskPickerMarkers(Selector, Picker.PickerColor, StageColour(7, Picker.PickerColor, false));
      }
      Picker.SetGridPosition(StageColour(Tools.Page == TToolPage::ABGrid ? 1 : 2, Picker.PickerColor, false));
    }
    // The editors draw the markers of the curves they show.
    FSession.EditPreset([&](TKromelPreset& K) {
      if (K.ModelCurves) {
        TControlledParameterCurve* SatLum[4] = {K.ModelCurves->Luminance, K.ModelCurves->SatLuma,
                                                K.ModelCurves->LumaSat, K.ModelCurves->Saturation};
        for (size_t I = 0; I < 4; ++I)
          if (SatLum[I]) SatLum[I]->Curve.SetPickerPosition(CurvesMarkers.SatLum[I]);
      }
      if (K.RGBCurves) {
        TControlledParameterCurve* MRGB[4] = {K.RGBCurves->Master, K.RGBCurves->Red, K.RGBCurves->Green,
                                              K.RGBCurves->Blue};
        for (size_t I = 0; I < 4; ++I)
          if (MRGB[I]) MRGB[I]->Curve.SetPickerPosition(CurvesMarkers.MRGB[I]);
      }
      if (Tools.Page == TToolPage::Mask)
        if (TMaskAdjustments* M = K.MaskUnit()) {
          TControlledParameterCurve* Curves[3] = {M->Curve1, M->Curve2, M->Curve3};
          for (size_t I = 0; I < 3; ++I)
            if (Curves[I]) Curves[I]->Curve.SetPickerPosition(MaskMarkers[I]);
        }
      return true;
    });
    for (auto& [Editor, Axes] : FPickerGrids) {
      // Grid units are ten model units.
      const float X = Axes == TPickerAxes::BL ? Picker.GridB : Picker.GridA;
      const float Y = Axes == TPickerAxes::AB ? Picker.GridB : Picker.GridL;
      Editor->PickerVisible = Picker.PointerOverPreview && std::isfinite(X) && std::isfinite(Y);
      if (Editor->PickerVisible) {
        Editor->PickerX = int32_t(std::nearbyint(std::clamp(X * 10.0f, -1e6f, 1e6f)));
        Editor->PickerY = int32_t(std::nearbyint(std::clamp(Y * 10.0f, -1e6f, 1e6f)));
      }
      if (Editor->OnInvalidate) Editor->OnInvalidate();
    }
    if (FPickerLabel)
      FPickerLabel->setText(Picker.PointerOverPreview ? QString::fromStdString(PickerText()) : QString());
    if (FAnalyzer && FAnalyzer->isVisible()) FAnalyzer->SetPickerColour(Picker.PickerColorAfter);
  });
}

void TMainFormWiring::AddPickerGrid(TDotGridEditor& Editor, TPickerAxes Axes) {
  RemovePickerGrid(Editor);
  FPickerGrids.emplace_back(&Editor, Axes);
}

void TMainFormWiring::RemovePickerGrid(TDotGridEditor& Editor) {
  FPickerGrids.erase(std::remove_if(FPickerGrids.begin(), FPickerGrids.end(),
                                    [&](const auto& P) { return P.first == &Editor; }),
                     FPickerGrids.end());
}

// ---- analyzer

void TMainFormWiring::ShowAnalyzer(bool Visible) {
  if (FAnalyzerAction && FAnalyzerAction->isChecked() != Visible) {
    const QSignalBlocker Block(FAnalyzerAction);
    FAnalyzerAction->setChecked(Visible);
  }
  // Showing computes the pictures (the window's show event); hiding stores
  // the switches.
  FAnalyzer->setVisible(Visible);
}

// ---- colour management

void TMainFormWiring::ColourChanged() {
  if (FSoftProofingAction) {
    const bool On = Colour.ProofingItemsEnabled;
    for (QAction* A : {FSoftProofingAction, FGamutAction, FBlackPointAction}) {
      const QSignalBlocker Block(A);
      A->setEnabled(On);
    }
    const QSignalBlocker B1(FSoftProofingAction), B2(FGamutAction), B3(FBlackPointAction);
    FSoftProofingAction->setChecked(Colour.SoftProofing);
    FGamutAction->setChecked(Colour.GamutWarning);
    FBlackPointAction->setChecked(Colour.BlackPointCompensation);
    FLoadProofingAction->setText(QString::fromStdString(Colour.LoadProofingCaption()));
  }
  FSession.SessionSettings().Main.ICCMode = Colour.ICCMode;
  FSession.SessionSettings().Main.CustomICC = Colour.CustomICC;
  TImageWithZoom& P = FForm.Preview();
  P.InvalidateBefore();
  P.ReferenceChanged();
  if (FSession.Ready.load()) FSession.UpdateImage(true, false);
  FForm.UpdateCaption();
}

bool TMainFormWiring::ExportImageProfile(const std::string& FileName) {
  return kromel::ExportImageProfile(FSession.ImageProfileData, FileName, &FForm);
}

// ---- reference

void TMainFormWiring::ReferenceChanged() {
  FLastRefPixels = FSession.ReferenceImage.Pixels;
  FLastImageName = FSession.ImageFileName;
  TImageWithZoom& P = FForm.Preview();
  P.SetReferenceImage(FSession.ReferenceImage.Pixels ? &FSession.ReferenceImage : nullptr);
  P.Layout.RefitViews(true, false);
  P.InvalidateBefore();
  FSession.SetAnalyzerReference(FSession.ReferenceImage.Pixels ? &FSession.ReferenceImage : nullptr);
  if (FAnalyzer->isVisible()) FAnalyzer->SettingsChanged();
  P.update();
}

bool TMainFormWiring::LoadReference(const std::string& FileName) {
  const bool Ok = Reference.Load(FileName);
  if (Ok) {
    // An untagged work image took the reference's profile.
    Colour.LoadInputProfile(FSession.ImageProfileData, FSession.ImageProfileSourceFile);
    ReferenceChanged();
  }
  return Ok;
}

bool TMainFormWiring::PasteReference(const TImage32& Clipboard) {
  const bool Ok = Reference.Paste(Clipboard);
  if (Ok) {
    ReferenceChanged();
    FForm.UpdateCaption();
    ShowReference(true);
  }
  return Ok;
}

bool TMainFormWiring::SnapshotReference() {
  const bool Ok = Reference.SnapshotProcessed();
  if (Ok) ReferenceChanged();
  return Ok;
}

bool TMainFormWiring::SwapReference() {
  const bool Ok = Reference.Swap();
  if (Ok) {
    ReferenceChanged();
    FSession.UpdateImage(true, false);
  }
  return Ok;
}

void TMainFormWiring::ShowReference(bool Show) {
  Reference.ShowReference = Show;
  if (FShowReferenceAction && FShowReferenceAction->isChecked() != Show) {
    const QSignalBlocker Block(FShowReferenceAction);
    FShowReferenceAction->setChecked(Show);
  }
  if (Show) {
    ReferenceShown(Tools);
    SetTool(Tools.Code());
  }
  FForm.SetViewMode(Show ? TViewMode::Reference : TViewMode::Result);
  UpdatePicker();
}

// ---- session events

void TMainFormWiring::SyncReferenceProfile() {
  const void* Pixels = FSession.ReferenceImage.Pixels;
  if (Pixels != nullptr) {
    const bool NewWorkImage = FSession.ImageFileName != FLastImageName;
    if (Pixels != FLastRefPixels) {
      if (!NewWorkImage) Reference.TakeImageProfile();
    } else if (NewWorkImage) {
      Reference.ConvertImageProfile();
    }
  }
  FLastRefPixels = FSession.ReferenceImage.Pixels;
  FLastImageName = FSession.ImageFileName;
}

void TMainFormWiring::SourceImageChanged() {
  Guarded("ConvertImageProfile", [&] { SyncReferenceProfile(); });
  Guarded("LoadInputProfile", [&] {
    Colour.LoadInputProfile(FSession.ImageProfileData, FSession.ImageProfileSourceFile);
    FSession.SetAnalyzerReference(FSession.ReferenceImage.Pixels ? &FSession.ReferenceImage : nullptr);
    FForm.Preview().InvalidateBefore();
    FForm.Preview().ReferenceChanged();
  });
}

void TMainFormWiring::LutCalculated(bool Succeeded) {
  if (!Succeeded) return;
  RefreshMainLut();
  UpdatePicker();
}

// ---- menus

void TMainFormWiring::BuildMenus() {
  QMenuBar* Bar = FForm.menuBar();
  auto MenuOf = [Bar](const char* Title) { return FindOrAddMenu(Bar, Title); };
  auto Add = [this](QMenu* Menu, const char* Text, const char* Key, auto Fn) {
    return AddMenuAction(Menu, Text, QKeySequence(QString::fromLatin1(Key ? Key : "")), this, Fn);
  };
  QMenu* File = MenuOf("&File");
  QMenu* Edit = MenuOf("&Edit");
  QMenu* View = MenuOf("&View");
  QMenu* Image = MenuOf("&Image");

  File->addSeparator();
  Add(File, "Load reference image", "Ctrl+Shift+R", [this](bool) {
    std::string Folder;
    if (!Reference.FileName.empty()) Folder = std::filesystem::path(Reference.FileName).parent_path().string();
    const std::string F = NewOpenFileDialog(ReferenceFilter, Folder);
    if (F.empty()) return;
    if (LoadReference(F)) ShowReference(true);
  });
  Add(File, "Load next reference image in folder", "Alt+Shift+Right", [this](bool) {
    if (Reference.LoadAdjacent(false)) ReferenceChanged();
  });
  Add(File, "Load previous reference image in folder", "Alt+Shift+Left", [this](bool) {
    if (Reference.LoadAdjacent(true)) ReferenceChanged();
  });

  Add(Edit, "Paste image as reference", "Ctrl+Shift+V", [this](bool) {
    TImage32 C;
    Image32FromQImage(QApplication::clipboard()->image(), C);
    PasteReference(C);
  });

  View->addSeparator();
  FShowReferenceAction = Add(View, "Show Reference", "=", [this](bool On) { ShowReference(On); });
  FShowReferenceAction->setCheckable(true);
  FAnalyzerAction = Add(View, "Analyzer window", "Ctrl+Shift+A", [this](bool On) { ShowAnalyzer(On); });
  FAnalyzerAction->setCheckable(true);
  QMenu* Cms = View->addMenu(QString::fromStdString(_("Color Management")));
  auto* ModeGroup = new QActionGroup(this);
  const struct {
    const char* Text;
    int32_t Mode;
  } Modes[] = {{"Automatic monitor color profile", ICCModeAutomatic},
               {"Load monitor color profile...", ICCModeLoaded},
               {"Discard monitor color profile", ICCModeDiscarded},
               {"Disable color management", ICCModeDisabled}};
  for (const auto& M : Modes) {
    const int32_t Mode = M.Mode;
    QAction* A = Add(Cms, M.Text, "", [this, Mode](bool) {
      Colour.ICCMode = Mode;
      if (Mode == ICCModeLoaded) {
        const std::string F = NewOpenFileDialog(ProfileFilter, {});
        if (!F.empty()) Colour.CustomICC = F;
      }
      Colour.ManageColorProfile(false, true);
      ColourChanged();
    });
    A->setCheckable(true);
    A->setChecked(Mode == Colour.ICCMode);
    ModeGroup->addAction(A);
  }
  QAction* Discard = Add(Cms, "Discard image profiles for displaying", "", [this](bool On) {
    Colour.DiscardImageProfiles = On;
    Colour.MakeCMSTransforms();
    ColourChanged();
  });
  Discard->setCheckable(true);
  Cms->addSeparator();
  FLoadProofingAction = Add(Cms, "Load proofing profile...", "", [this](bool) {
    std::string Folder;
    if (!Colour.ProofingProfileFileName.empty() && Colour.ProofingProfileFileName != "<none>")
      Folder = std::filesystem::path(Colour.ProofingProfileFileName).parent_path().string();
    const std::string F = NewOpenFileDialog(ProfileFilter, Folder);
    if (F.empty()) return;
    Colour.LoadProofingProfile(F);
    ColourChanged();
  });
  auto ProofToggle = [this](bool& Flag) {
    return [this, &Flag](bool) {
      if (!Colour.ProofingProfileFileName.empty() && !Colour.HasProofingProfile())
        Colour.LoadProofingProfile(Colour.ProofingProfileFileName);
      Flag = !Flag;
      Colour.MakeCMSTransforms();
      ColourChanged();
    };
  };
  FSoftProofingAction = Add(View, "Soft proofing", "Ctrl+Y", ProofToggle(Colour.SoftProofing));
  FGamutAction = Add(View, "Gamut warning", "Ctrl+Shift+Y", ProofToggle(Colour.GamutWarning));
  FBlackPointAction = Add(View, "Black Point Compensation", "", [this](bool On) {
    Colour.BlackPointCompensation = On;
    Colour.MakeCMSTransforms();
    ColourChanged();
  });
  for (QAction* A : {FSoftProofingAction, FGamutAction, FBlackPointAction}) {
    A->setCheckable(true);
    A->setEnabled(false);
  }
  FBlackPointAction->setChecked(true);

  Add(Image, "Snapshot processed image as reference", "", [this](bool) { SnapshotReference(); });
  Add(Image, "Swap work and reference images", "Alt+=", [this](bool) { SwapReference(); });
  Image->addSeparator();
  Add(Image, "Export image profile...", "", [this](bool) {
    if (FSession.ImageProfileData.size == 0 || FSession.ImageProfileData.data == nullptr) {
      FForm.ShowPopupNotification(_("No image profile loaded, can't export."));
      return;
    }
    std::string FilterName;
    const std::string F = NewSaveFileDialog("ICC Profile (*.icc)|*.icc|*.*|*.*", {}, "image.icc", -1, FilterName);
    if (!F.empty()) ExportImageProfile(F);
  });
}

}  // namespace kromel
