// Small TIFF and DNG files written byte by byte, for fixtures no other tool
// here makes. Used by the image-file tests and the fuzz seed generator.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kromel::fileio_test {

// A little-endian TIFF writer: one image IFD written before its data,
// an optional EXIF IFD, and strips of raw samples. Enough for plain RGB
// TIFFs and for uncompressed DNGs.
class TTiffWriter {
public:
  enum : uint16_t { BYTE = 1, ASCII = 2, SHORT = 3, LONG = 4, RATIONAL = 5, SRATIONAL = 10 };

  void Bytes(uint16_t Tag, std::vector<uint8_t> V, bool Exif = false) {
    const uint32_t N = uint32_t(V.size());
    Add(Tag, BYTE, N, std::move(V), Exif);
  }
  void Ascii(uint16_t Tag, const std::string& S, bool Exif = false) {
    std::vector<uint8_t> V(S.begin(), S.end());
    V.push_back(0);
    const uint32_t N = uint32_t(V.size());
    Add(Tag, ASCII, N, std::move(V), Exif);
  }
  void Shorts(uint16_t Tag, const std::vector<uint16_t>& Values, bool Exif = false) {
    std::vector<uint8_t> V;
    for (uint16_t X : Values) Put16(V, X);
    Add(Tag, SHORT, uint32_t(Values.size()), std::move(V), Exif);
  }
  void Longs(uint16_t Tag, const std::vector<uint32_t>& Values, bool Exif = false) {
    std::vector<uint8_t> V;
    for (uint32_t X : Values) Put32(V, X);
    Add(Tag, LONG, uint32_t(Values.size()), std::move(V), Exif);
  }
  void Rationals(uint16_t Tag, const std::vector<std::pair<uint32_t, uint32_t>>& Values,
                 bool Exif = false) {
    std::vector<uint8_t> V;
    for (auto [N, D] : Values) {
      Put32(V, N);
      Put32(V, D);
    }
    Add(Tag, RATIONAL, uint32_t(Values.size()), std::move(V), Exif);
  }
  void SRationals(uint16_t Tag, const std::vector<std::pair<int32_t, int32_t>>& Values) {
    std::vector<uint8_t> V;
    for (auto [N, D] : Values) {
      Put32(V, uint32_t(N));
      Put32(V, uint32_t(D));
    }
    Add(Tag, SRATIONAL, uint32_t(Values.size()), std::move(V), false);
  }

  // The file: header, image IFD, EXIF IFD, long values, then Strip as one
  // strip (tags 273, 279 and, when there are EXIF entries, 34665 are set
  // here).
  std::vector<uint8_t> Build(const std::vector<uint8_t>& Strip) {
    std::vector<TEntry> Main = FMain;
    SetLong(Main, 273, 0);
    SetLong(Main, 279, uint32_t(Strip.size()));
    if (!FExif.empty()) SetLong(Main, 34665, 0);
    Sort(Main);
    std::vector<TEntry> Exif = FExif;
    Sort(Exif);
    const uint32_t MainAt = 8;
    const uint32_t ExifAt = MainAt + IfdSize(Main);
    uint32_t DataAt = ExifAt + (Exif.empty() ? 0 : IfdSize(Exif));
    std::vector<uint8_t> Extra;
    auto Place = [&](std::vector<TEntry>& Entries) {
      for (TEntry& E : Entries)
        if (E.Data.size() > 4) {
          E.Offset = DataAt + uint32_t(Extra.size());
          Extra.insert(Extra.end(), E.Data.begin(), E.Data.end());
          if (Extra.size() % 2) Extra.push_back(0);
        }
    };
    Place(Main);
    Place(Exif);
    const uint32_t StripAt = DataAt + uint32_t(Extra.size());
    for (TEntry& E : Main) {
      if (E.Tag == 273) E.Data = Le32(StripAt);
      if (E.Tag == 34665) E.Data = Le32(ExifAt);
    }
    std::vector<uint8_t> Out = {'I', 'I', 42, 0};
    Put32(Out, MainAt);
    WriteIfd(Out, Main);
    if (!Exif.empty()) WriteIfd(Out, Exif);
    Out.insert(Out.end(), Extra.begin(), Extra.end());
    Out.insert(Out.end(), Strip.begin(), Strip.end());
    return Out;
  }

private:
  struct TEntry {
    uint16_t Tag, Type;
    uint32_t Count;
    std::vector<uint8_t> Data;
    uint32_t Offset = 0;
  };
  static void Put16(std::vector<uint8_t>& V, uint16_t X) {
    V.push_back(uint8_t(X));
    V.push_back(uint8_t(X >> 8));
  }
  static void Put32(std::vector<uint8_t>& V, uint32_t X) {
    for (int I = 0; I < 4; ++I) V.push_back(uint8_t(X >> (8 * I)));
  }
  static std::vector<uint8_t> Le32(uint32_t X) {
    std::vector<uint8_t> V;
    Put32(V, X);
    return V;
  }
  static uint32_t IfdSize(const std::vector<TEntry>& E) { return 2 + 12 * uint32_t(E.size()) + 4; }
  static void Sort(std::vector<TEntry>& E) {
    std::sort(E.begin(), E.end(), [](const TEntry& A, const TEntry& B) { return A.Tag < B.Tag; });
  }
  static void SetLong(std::vector<TEntry>& Entries, uint16_t Tag, uint32_t Value) {
    for (TEntry& E : Entries)
      if (E.Tag == Tag) {
        E = {Tag, LONG, 1, Le32(Value)};
        return;
      }
    Entries.push_back({Tag, LONG, 1, Le32(Value)});
  }
  void Add(uint16_t Tag, uint16_t Type, uint32_t Count, std::vector<uint8_t> Data, bool Exif) {
    (Exif ? FExif : FMain).push_back({Tag, Type, Count, std::move(Data)});
  }
  static void WriteIfd(std::vector<uint8_t>& Out, const std::vector<TEntry>& Entries) {
    Put16(Out, uint16_t(Entries.size()));
    for (const TEntry& E : Entries) {
      Put16(Out, E.Tag);
      Put16(Out, E.Type);
      Put32(Out, E.Count);
      if (E.Data.size() > 4) {
        Put32(Out, E.Offset);
      } else {
        std::vector<uint8_t> V = E.Data;
        V.resize(4, 0);
        Out.insert(Out.end(), V.begin(), V.end());
      }
    }
    Put32(Out, 0);
  }
  std::vector<TEntry> FMain, FExif;
};

// Little-endian 16-bit samples.
inline std::vector<uint8_t> WordsToLE(const std::vector<uint16_t>& Words) {
  std::vector<uint8_t> B;
  for (uint16_t W : Words) {
    B.push_back(uint8_t(W));
    B.push_back(uint8_t(W >> 8));
  }
  return B;
}

// An uncompressed 16-bit RGB TIFF, IFD first, with the given samples.
inline std::vector<uint8_t> MakeRGB16Tiff(uint32_t W, uint32_t H,
                                          const std::vector<uint16_t>& Samples) {
  TTiffWriter T;
  T.Longs(256, {W});
  T.Longs(257, {H});
  T.Shorts(258, {16, 16, 16});
  T.Shorts(259, {1});
  T.Shorts(262, {2});
  T.Shorts(277, {3});
  T.Longs(278, {H});
  T.Shorts(284, {1});
  return T.Build(WordsToLE(Samples));
}

// What a test DNG says about its camera.
struct TDngFixture {
  uint32_t Width = 32;
  uint32_t Height = 24;
  // Raw value of each colour of the RGGB pattern.
  uint16_t Red = 20000, Green = 20000, Blue = 20000;
  // AsShotNeutral; none when empty.
  std::vector<std::pair<uint32_t, uint32_t>> Neutral = {{1, 2}, {1, 1}, {4, 5}};
  std::string Make = "Kromel";
  std::string Model = "TestCam";
  std::string Software = "Fixture 1";
  std::string Artist = "Tester";
  std::string LensMake = "Kromel Optics";
  std::string LensModel = "Test 50mm";
  std::pair<uint32_t, uint32_t> FNumber = {28, 10};
  std::pair<uint32_t, uint32_t> ExposureTime = {1, 8000};
  std::pair<uint32_t, uint32_t> FocalLength = {50, 1};
  uint16_t ISO = 400;
  // TIFF Orientation (1: as stored, 6: turn clockwise, ...).
  uint16_t Orientation = 1;
  // The top-left quarter a quarter as bright, so that turns show.
  bool DarkCorner = false;
};

// An uncompressed Bayer DNG whose colour matrix makes the camera's colours
// linear sRGB, so LibRaw's camera matrix is close to the identity.
inline std::vector<uint8_t> MakeTestDng(const TDngFixture& S) {
  TTiffWriter T;
  T.Longs(254, {0});
  T.Longs(256, {S.Width});
  T.Longs(257, {S.Height});
  T.Shorts(258, {16});
  T.Shorts(259, {1});
  T.Shorts(262, {32803});
  T.Ascii(271, S.Make);
  T.Ascii(272, S.Model);
  T.Shorts(274, {S.Orientation});
  T.Shorts(277, {1});
  T.Longs(278, {S.Height});
  T.Shorts(284, {1});
  T.Ascii(305, S.Software);
  T.Ascii(315, S.Artist);
  T.Shorts(33421, {2, 2});
  T.Bytes(33422, {0, 1, 1, 2});
  T.Bytes(50706, {1, 4, 0, 0});
  T.Bytes(50707, {1, 1, 0, 0});
  T.Ascii(50708, S.Make + " " + S.Model);
  T.Bytes(50710, {0, 1, 2});
  T.Shorts(50711, {1});
  T.Longs(50717, {65535});
  // XYZ (D65) to linear sRGB, in ten-thousandths.
  T.SRationals(50721, {{32405, 10000}, {-15371, 10000}, {-4985, 10000},
                       {-9693, 10000}, {18760, 10000}, {416, 10000},
                       {556, 10000}, {-2040, 10000}, {10572, 10000}});
  T.Shorts(50778, {21});
  if (!S.Neutral.empty()) T.Rationals(50728, S.Neutral);
  T.Rationals(33434, {S.ExposureTime}, true);
  T.Rationals(33437, {S.FNumber}, true);
  T.Shorts(34855, {S.ISO}, true);
  T.Rationals(37386, {S.FocalLength}, true);
  T.Ascii(42035, S.LensMake, true);
  T.Ascii(42036, S.LensModel, true);
  std::vector<uint16_t> Samples;
  for (uint32_t Y = 0; Y < S.Height; ++Y)
    for (uint32_t X = 0; X < S.Width; ++X) {
      const uint16_t V = Y % 2 == 0 ? (X % 2 == 0 ? S.Red : S.Green)
                                    : (X % 2 == 0 ? S.Green : S.Blue);
      const bool Dark = S.DarkCorner && X < S.Width / 4 && Y < S.Height / 4;
      Samples.push_back(Dark ? V / 4 : V);
    }
  return T.Build(WordsToLE(Samples));
}

}  // namespace kromel::fileio_test
