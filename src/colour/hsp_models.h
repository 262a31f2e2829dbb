// The HSP colour models: hue and saturation from the hexcone of the linear
// channels, lightness P = CIE L* of the Rec. 709 luminance (0..100). The
// inverses solve in closed form for the triple of exactly the requested
// luminance, so hue and saturation changes keep the lightness inside the
// RGB cube.
//
// RGB is sRGB-encoded, nominally 0..1; hue is a fraction of a turn.
// Polar forms: (H, S, P). Cartesian forms: (P, X, Y) with
// X = 100*S'*cos(phi), Y = 100*S'*sin(phi), phi = 2*pi*H + pi/4 (Itten:
// 2*pi*H - pi/6), S' the model's saturation measure.
#pragma once

namespace kromel {

// Polar forms. "n": plain saturation, greys by the exact L* formula;
// "2": squared saturation; "p": hue origin moved by +1/6 (red reads 1/6).
void RGBtoHSPnSingle(float R, float G, float B, float& H, float& S, float& P);
void HSPntoRGBSingle(float H, float S, float P, float& R, float& G, float& B);
void RGBtoHSP2Single(float R, float G, float B, float& H, float& S, float& P);
void HSP2toRGBSingle(float H, float S, float P, float& R, float& G, float& B);
void RGBtoHSPnpSingle(float R, float G, float B, float& H, float& S, float& P);
// Plain (not squared) saturation despite the name.
void RGBtoHSP2pSingle(float R, float G, float B, float& H, float& S, float& P);
// Square-root hue, squared saturation, lightness P/100 on 0..1.
void RGBtoHSP3XYSingle(float R, float G, float B, float& H, float& S, float& P);
void HSP3XYtoRGBSingle(float H, float S, float P, float& R, float& G, float& B);
// Extended squared saturation; P at most 100.
void HSPetoRGBSingle(float H, float S, float P, float& R, float& G, float& B);

// Working models (cartesian). The inverses of HSPn and HSP limit (X, Y) by
// the HSP gamut table, HSP3 and HSP Itten by their own, each only while its
// switch is on and the table is present.
void RGBtoHSPnXYSingle(float R, float G, float B, float& P, float& X, float& Y);
void HSPnXYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B);
void RGBtoHSP2XYSingle(float R, float G, float B, float& P, float& X, float& Y);
void HSP2XYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B);
// Extended saturation: 1 when the smallest channel is 0 in the dark half or
// the largest is 1 in the light half. No gamut table. A negative P gives the
// colour of luminance 1 - LStarToLinear(|P|) in linear light, unencoded.
void RGBtoHSPneXYSingle(float R, float G, float B, float& P, float& X, float& Y);
void HSPneXYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B);
void RGBtoHSPeXYSingle(float R, float G, float B, float& P, float& X, float& Y);
void HSPeXYtoRGBSingle(float P, float X, float Y, float& R, float& G, float& B);
void RGBtoHSP3ModelSingle(float R, float G, float B, float& P, float& X, float& Y);
void HSP3ModeltoRGBSingle(float P, float X, float Y, float& R, float& G, float& B);
// Itten wheel: red to yellow takes a third of the turn.
void RGBtoHSPIttenSingle(float R, float G, float B, float& P, float& X, float& Y);
void HSPIttentoRGBSingle(float P, float X, float Y, float& R, float& G, float& B);

// The HSPn, HSP3 and Itten pairs in double precision with the sRGB and L*
// steps by formula and no gamut limit: what their gamut tables measure.
void RGBtoHSPnXYDouble(double R, double G, double B, double& P, double& X, double& Y);
void HSPnXYtoRGBDouble(double P, double X, double Y, double& R, double& G, double& B);
void RGBtoHSP3ModelDouble(double R, double G, double B, double& P, double& X, double& Y);
void HSP3ModeltoRGBDouble(double P, double X, double Y, double& R, double& G, double& B);
void RGBtoHSPIttenDouble(double R, double G, double B, double& P, double& X, double& Y);
void HSPIttentoRGBDouble(double P, double X, double Y, double& R, double& G, double& B);

}  // namespace kromel
