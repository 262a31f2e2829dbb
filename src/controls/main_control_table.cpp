// The main window's value controls as the form resource defines them, in
// the order the window binds them to the preset.
#include "controls/main_controls.h"

namespace kromel {

namespace {

using K = TControlKind;

constexpr TControlDef Switch(const char* Name, int32_t Number, int32_t Tag, bool On,
                             const char* Section, const char* Parameter) {
  return {Name, K::Switch, Number, Tag, 0, 1, On ? 1 : 0, On ? 1 : 0, 1.0f, false,
          nullptr, 2, nullptr, 0, Section, Parameter};
}

constexpr TControlDef Selector(const char* Name, int32_t Number, int32_t Tag, const char* Items,
                               int32_t ModesCount, int32_t Position, const char* Section,
                               const char* Parameter) {
  return {Name, K::Selector, Number, Tag, 0, ModesCount - 1, Position, Position, 1.0f, false,
          Items, ModesCount, nullptr, 0, Section, Parameter};
}

constexpr TControlDef Captioned(const char* Name, int32_t Number, int32_t Tag, int32_t Min,
                                int32_t Max, int32_t Value, float Scale, const char* Section,
                                const char* Parameter) {
  return {Name, K::CaptionedBar, Number, Tag, Min, Max, Value, Value, Scale, false,
          nullptr, 0, nullptr, 0, Section, Parameter};
}

constexpr TControlDef Bar(const char* Name, int32_t Number, int32_t Tag, int32_t Min, int32_t Max,
                          int32_t Value, bool Reverse, const char* Section, const char* Parameter) {
  return {Name, K::Bar, Number, Tag, Min, Max, Value, Value, 1.0f, Reverse,
          nullptr, 0, nullptr, 0, Section, Parameter};
}

constexpr TControlDef Plate(const char* Name, int32_t Color, const char* Section,
                            const char* Parameter) {
  return {Name, K::ColorPlate, 0, 0, 0, 0, Color, Color, 1.0f, false,
          nullptr, 0, nullptr, 0, Section, Parameter};
}

constexpr TControlDef ButtonSwitch(const char* Group, int32_t Index, const char* Name,
                                   const char* Section, const char* Parameter) {
  return {Name, K::ButtonSwitch, 0, 0, 0, 1, 0, 0, 1.0f, false,
          nullptr, 2, Group, Index, Section, Parameter};
}

constexpr TControlDef Wheel(const char* Name, int32_t Number, const char* Parameter) {
  return {Name, K::ColorWheel, Number, 0, -100, 100, 0, 0, 1.0f, false,
          nullptr, 0, nullptr, 0, "Curves", Parameter};
}

const char* const LogCurves =
    "Off;LogC;ACEScc;ACEScct;BMD Film;BMDFilm 4K;BMDFilm 4.6K;VisionLOG;Cinestyle;SLog;SLog2;SLog3;"
    "RedLog;RedLogFilm;Red LOG3G10;DJI Inspire Log;DJI D-Log Ph3;DJI D-Log Ph4Pro;Cineon;V-Log;"
    "Canon Log;Canon Log 2;Canon Log 3;Linear;PQ";
const char* const InputLogCurves =
    "Off;LogC;ACEScc;ACEScct;BMD Film;BMDFilm 4K;BMDFilm 4.6K;VisionLOG;Cinestyle;SLog;SLog2;SLog3;"
    "RedLog;RedLogFilm;Red LOG3G10;DJI Inspire Log;DJI D-Log Ph3;DJI D-Log Ph4Pro;Cineon;V-Log;"
    "Canon Log;Canon Log 2;Canon Log 3;Linear;PQ;Custom;Load Custom 1DLUT";
const char* const MaskChannels =
    "Red;Green;Blue;CMYK Cyan;CMYK Magenta;CMYK Yellow;CMYK K;RGBW White;Luminance;Hue;Saturation;"
    "Warmth;LAB AB distance;LAB LAB distance;HSPe AB distance;A HSP sat;A HSP phase;RGB distance;"
    "Difference;Color difference;HSP;LCH;3D HSL";
const char* const ColorModels =
    "LAB;LABn;LXY;MXY;MABe;MXYe;SXYe;HSPn;HSPne;HSP;HSPe;HSP3;HSP Itten;YUV;CMYK;RGBW";

const char* const Pages = "PagesRadioGroup";
const char* const SatLum = "SatLumRadioGroup";
const char* const MRGB = "CurvesMRGBRadioGroup";

}  // namespace

const std::vector<TRadioGroupDef>& MainRadioGroupTable() {
  // Only "[x21]Channels" is given; the other page switches take free numbers.
  static const std::vector<TRadioGroupDef> Groups = {
      {Pages,
       {"[x21]Channels", "[x116]Volume", "[x117]A/B", "[x118]C/L", "[x119]Curves",
        "[x120]2DCurves", "[x121]Mask"}},
      {SatLum, {"[x11]Luminance", "[x12]Sat/Luma", "[x91]Luma/Sat", "[x66]Sat/Sat"}},
      {MRGB, {"[x13]Master", "[x14]Red", "Green", "Blue"}},
  };
  return Groups;
}

const std::vector<std::pair<int32_t, int32_t>>& MainFormerNumbers() {
  // Streams written before the master controls took their numbers.
  static const std::vector<std::pair<int32_t, int32_t>> Moved = {
      {125, 47}, {128, 46}, {129, 49}, {130, 50}, {131, 51}};
  return Moved;
}

const std::vector<TControlDef>& MainControlTable() {
  static const std::vector<TControlDef> Table = {
      // Page on/off switches.
      ButtonSwitch(Pages, 4, "PagesCurvesSwitch", nullptr, "CurvesEnabled"),
      ButtonSwitch(Pages, 5, "Pages2DCurvesSwitch", "2DCurves", "Enabled"),
      ButtonSwitch(Pages, 6, "PagesMaskSwitch", "Mask", "Enabled"),
      ButtonSwitch(Pages, 0, "PagesChannelsSwitch", "ChannelMixer", "Enabled"),
      ButtonSwitch(Pages, 1, "PagesVolumeSwitch", "Volume", "Enabled"),
      ButtonSwitch(Pages, 2, "PagesABSwitch", "ABGrid", "Enabled"),
      ButtonSwitch(Pages, 3, "PagesCLSwitch", "CLGrid", "Enabled"),

      // Channel mixer page.
      Captioned("ChannelMixerLightenGlyphScrollBar", 22, 1, 0, 200, 100, 1, "ChannelMixer", "Lighten"),
      Captioned("ChannelMixerDarkenGlyphScrollBar", 23, 1, 0, 200, 100, 1, "ChannelMixer", "Darken"),
      Captioned("ChannelMixerGammaGlyphScrollBar", 24, 1, 50, 400, 240, 0.01f, "ChannelMixer",
                "ChannelMixerGamma"),
      Captioned("ChannelMixerSaturationLimitGlyphScrollBar", 57, 1, 0, 100, 100, 1, "ChannelMixer",
                "SaturationLimit"),
      Captioned("ChannelMixerRedOffsetLabelBox", 67, 1, -10000, 10000, 0, 0.0001f, "ChannelMixer",
                "OffsetR"),
      Captioned("ChannelMixerGreenOffsetLabelBox", 68, 1, -10000, 10000, 0, 0.0001f, "ChannelMixer",
                "OffsetG"),
      Captioned("ChannelMixerBlueOffsetLabelBox", 69, 1, -10000, 10000, 0, 0.0001f, "ChannelMixer",
                "OffsetB"),
      Switch("ChannelMixerAutoGammaGlyphSwitch", 71, 1, true, "ChannelMixer", "AutoGamma"),
      Selector("ChannelMixerLumaModeComboBox", 53, 1, "Gamma;Multiply;Add", 3, 1, "ChannelMixer",
               "LumaMode"),
      Selector("ChannelMixerModeComboBox", 76, 1, "RGB Matrix;Camera calibration", 2, 0,
               "ChannelMixer", "CameraCalibration"),
      Switch("ChannelMixerClipProtectGlyphSwitch", 58, 1, false, "ChannelMixer", "ClipProtect"),
      Switch("ChannelMixerClipMaskGlyphSwitch", 79, 1, false, "ChannelMixer", "NegativeMasking"),

      // Volume page.
      Captioned("VolumeLightenGlyphScrollBar", 18, 2, 0, 200, 100, 1, "Volume", "Lighten"),
      Captioned("VolumeDarkenGlyphScrollBar", 19, 2, 0, 200, 100, 1, "Volume", "Darken"),
      Captioned("VolumeGammaGlyphScrollBar", 20, 2, 50, 400, 240, 0.01f, "Volume", "Gamma"),
      Captioned("VolumeChangeLimitGlyphScrollBar", 108, 2, 0, 100, 100, 0.01f, "Volume", "Limit"),
      Selector("VolumeLumaModeComboBox", 32, 2, "Add;Multiply;Gamma", 3, 2, "Volume", "LumaMode"),
      Selector("VolumeModeComboBox", 72, 1, "Single;Shadows-Highlights;Darkest;Lightest", 4, 0,
               "Volume", "Mode"),

      // Basic corrections page: RAW/log panel and basic panel.
      Selector("InputLogComboBox", 25, 1, InputLogCurves, 27, 0, "LogDecoder", "InputLog"),
      Plate("LogMaximumColorShape", 16777215, "LogDecoder", "MaxColor"),
      Captioned("LogRecoveryGlyphScrollBar", 26, 1, 0, 100, 100, 1, "Clipping", "HighlightRecovery"),
      Captioned("ColorRecoveryGlyphScrollBar", 52, 1, 0, 100, 0, 1, "Clipping", "ColorRecovery"),
      Selector("OutputLogComboBox", 73, 1, LogCurves, 25, 0, "LogEncoder", "OutputLog"),
      Selector("FilmCurveComboBoxController", 105, 1, "Off;ACR2012;Exp+1;Exp+2", 4, 0, "FilmCurve",
               "FilmCurve"),
      Captioned("TransformWhiteBalanceKnob", 1, 1, -1000, 1000, 0, 1, "Basic", "Temperature"),
      Captioned("TransformTintKnob", 2, 1, -1000, 1000, 0, 1, "Basic", "Tint"),
      Captioned("TransformExposureKnob", 106, 1, -100, 100, 0, 0.05f, "Basic", "Exposure"),
      Captioned("TransformHueTwistKnob", 70, 3, 0, 100, 0, 1, "Basic", "HueTwist"),
      Captioned("BlacksGlyphScrollBar", 55, 1, -1000, 1000, 0, 1, "Basic", "Blacks"),
      Captioned("DynamicRangeScrollBar", 104, 1, -100, 100, 0, 1, "Basic", "DynamicRange"),
      Captioned("TransformSaturationKnob", 5, 3, 0, 200, 100, 1, "ModelSaturation", "Saturation"),
      Captioned("TransformContrastKnob", 4, 3, -100, 100, 0, 1, "RGBContrast", "Contrast"),
      Captioned("TransformPivotKnob", 56, 3, 0, 100, 50, 1, "RGBContrast", "Pivot"),

      // A/B grid page.
      Captioned("TransformBrightnessKnob", 3, 1, -100, 100, 0, 1, "ABGrid", "Brightness"),
      Bar("ShadowsHighlightsBalanceScrollBar", 10, 0, -100, 100, 0, true, "ABGrid", "HSThreshold"),
      Switch("AffectHighlightsCheckBox", 8, 0, true, "ABGrid", "AffectHighlights"),
      Switch("AffectShadowsCheckBox", 7, 0, true, "ABGrid", "AffectShadows"),
      Switch("DoubleCheckBox", 9, 0, false, "ABGrid", "Double"),
      Selector("ABLumaModeComboBox", 33, 0, "Gamma;Multiply;Add;Compress", 4, 0, "ABGrid",
               "LumaMode"),

      // C/L grid page.
      Captioned("CLGridRotationGlyphScrollBar", 35, 1, -90, 90, 0, 1, "CLGrid", "GridRotation"),

      // Curves page.
      ButtonSwitch(SatLum, 0, "SatLumLuminanceSwitch", "ModelCurves", "LuminanceCurveEnabled"),
      ButtonSwitch(SatLum, 2, "SatLumLumaSatSwitch", "ModelCurves", "LumaSatCurveEnabled"),
      ButtonSwitch(SatLum, 1, "SatLumSatLumaSwitch", "ModelCurves", "SatLumaCurveEnabled"),
      ButtonSwitch(SatLum, 3, "SatLumSaturationSwitch", "ModelCurves", "SaturationCurveEnabled"),
      Selector("CurvesMasterModeGlyphSwitch", 39, 0,
               "Normal;Uniform;Color;CMYK;CMYK2;RGBW;RGBW2;3-Way;S/M/H", 9, 0, "Curves",
               "CurveMode"),
      Selector("CurvesMasterBeforeAfterGlyphSwitch", 43, 0, "Before;After", 2, 0, "Curves",
               "MasterBefore"),
      ButtonSwitch(MRGB, 0, "CurvesMRGBMasterSwitch", "Curves", "MasterEnabled"),
      ButtonSwitch(MRGB, 1, "CurvesMRGBRGBSwitch", "Curves", "RGBEnabled"),
      Bar("CurvesRGBDepthGlyphScrollBar", 29, 0, 0, 200, 100, false, "Curves", "RGBDepth"),
      Bar("RGBCurvesHueGlyphScrollBar", 59, 0, -180, 180, 0, false, "Curves", "HueRotation"),
      Bar("RGBCurvesGamutExtensionScrollBar", 90, 0, -100, 100, 0, false, "Curves",
          "RGBGamutExtension"),
      Wheel("ColorWheelOffset", 92, "Offset"),
      Wheel("ColorWheelGamma", 95, "Gamma"),
      Wheel("ColorWheelGain", 98, "Gain"),
      {"RingsMultiRangeScrollBar", K::MultiRange, 101, 0, 0, 1000, 3, 0, 1.0f, false, nullptr, 0,
       nullptr, 0, "Curves", "Ranges"},

      // 2D curves page.
      Captioned("Curves2DDepthScrollBar", 30, 0, 0, 200, 100, 1, "2DCurves", "Blend"),
      Switch("Curves2DRGGlyphSwitch", 82, 0, true, "2DCurves", "RGEnabled"),
      Switch("Curves2DRBGlyphSwitch", 81, 0, true, "2DCurves", "RBEnabled"),
      Switch("Curves2DGBGlyphSwitch", 83, 0, true, "2DCurves", "GBEnabled"),
      Switch("Curves2DProportionalGlyphSwitch", 17, 0, true, "2DCurves", "Proportional"),

      // Mask page.
      Switch("Mask1EnableCurveGlyphSwitch", 62, 0, true, "Mask", "Curve1Enable"),
      Switch("Mask2EnableCurveGlyphSwitch", 63, 0, true, "Mask", "Curve2Enable"),
      Switch("Mask3EnableCurveGlyphSwitch", 64, 0, true, "Mask", "Curve3Enable"),
      Selector("Mask1ChannelComboBoxController", 36, 0, MaskChannels, 23, 8, "Mask", "MaskType"),
      Switch("MaskPreviewGlyphSwitch", 48, 0, false, "Mask", "Preview"),
      Switch("MaskInvertGlyphSwitch", 38, 0, false, "Mask", "Invert"),
      Plate("ToolsMask1ColorShape", 9879270, "Mask", "ReferenceColor"),
      Selector("MaskMethodComboBox", 42, 0, "Fade;Limit;Fit", 3, 0, "Mask", "MaskMethod"),

      // External LUT and master panel. The master's switch and amounts take
      // the numbers the stream migrations use (46, 47, 49..51); the others
      // free ones.
      Switch("ExternalLUTGlyphSwitch", 122, 0, false, "ExternalLUT", "ExtLUTSwitch"),
      Captioned("ExtLutBlendScrollBar", 123, 1, -200, 200, 100, 1, "ExternalLUT", "Blend"),
      Selector("UtilityLUTModeComboBox", 124, 1, "Input;After WB;Middle;Output;Mask;Masked alt.", 6,
               0, nullptr, "ExternalLUTPosition"),
      Switch("MasterGlyphSwitch", 47, 0, false, "Master", "MasterSwitch"),
      Selector("LutModeComboBox", 126, 0,
               "Normal;Lighten;Darken;Less Sat;More Sat;Multiply;Screen;Overlay;Soft Light;"
               "Linear Light;LL Difference",
               11, 0, "Master", "BlendingMode"),
      Selector("MasterColorModelComboBox", 127, 0, "LAB;SXY;HSP;YUV", 4, 0, "Master", "ColorModel"),
      Captioned("GrandMasterOpacityScrollBar", 46, 0, -200, 200, 100, 1, "Master", "Blend"),
      Captioned("MasterLuminanceScrollBar", 49, 0, -200, 200, 100, 1, "Master", "Luminance"),
      Captioned("MasterHueScrollBar", 50, 0, -200, 200, 100, 1, "Master", "Hue"),
      Captioned("MasterSaturationScrollBar", 51, 0, -200, 200, 100, 1, "Master", "Saturation"),
      Switch("MasterSmoothGlyphSwitch", 132, 0, false, "Master", "Smooth"),

      // Window-wide selectors.
      Selector("ColorModelComboBox", 6, 0, ColorModels, 16, 10, nullptr, "ColorModel"),
      Selector("MaskDestinationComboBox", 40, 0,
               "All;Channel mixer;CM+Vol;CM-CL;CM-Curves;Curves;All except ExtLUT;To Image Input;"
               "To Image Output",
               9, 0, nullptr, "MaskDestination"),

      // Registered controls bound to no parameter.
      Switch("Curves2DPinAllGlyphSwitch", 27, 0, false, nullptr, nullptr),
      Switch("PinAllButton", 28, 0, false, nullptr, nullptr),
      Switch("GridCLPinAllButton", 31, 0, false, nullptr, nullptr),
      Switch("VolumeCheckBox", 115, 2, false, nullptr, nullptr),
      Switch("ToolsMaskEnableGlyphSwitch", 137, 0, false, nullptr, nullptr),
  };
  return Table;
}

}  // namespace kromel
