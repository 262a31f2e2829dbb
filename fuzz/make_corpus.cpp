// Writes the seed corpora of the fuzz targets with the program's own
// writers: fuzz_make_corpus <repo>/fuzz/corpus. Files are overwritten.
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/byte_codecs.h"
#include "foundation/byte_stream.h"
#include "foundation/text_scan.h"
#include "foundation/text_tokens.h"
#include "foundation/utf16.h"
#include "foundation/wide_string_list.h"
#include "foundation/wide_string_utils.h"
#include "images/image32.h"
#include "images/image64.h"
#include "images/sample.h"
#include "seed_writer.h"

using namespace kromel;
using kromel::fuzz::Put;

namespace {

std::string ReadAll(std::FILE* F) {
  std::string S;
  std::rewind(F);
  for (int C; (C = std::fgetc(F)) != EOF;) S += char(C);
  return S;
}

template <class TImage>
std::string Chunks(const std::vector<std::pair<int32_t, int32_t>>& Sizes) {
  std::FILE* F = std::tmpfile();
  for (auto [W, H] : Sizes) {
    TImage I;
    I.Init();
    if (W > 0 && H > 0) {
      I.Alloc(W, H);
      auto* B = reinterpret_cast<uint8_t*>(I.Pixels);
      for (size_t K = 0; K < size_t(I.Size) * sizeof(*I.Pixels); ++K) B[K] = uint8_t(K * 37 + 1);
    }
    I.WriteToFile(F);
    I.Dispose();
  }
  std::string S = ReadAll(F);
  std::fclose(F);
  return S;
}

void ImageChunks() {
  Put("image_chunk", "rgba8_2x1", Chunks<TImage32>({{2, 1}}));
  Put("image_chunk", "rgba16_1x2", Chunks<TImage64>({{1, 2}}));
  Put("image_chunk", "empty", Chunks<TImage32>({{0, 0}}));
  Put("image_chunk", "three_in_a_row", Chunks<TImage32>({{1, 1}, {0, 0}, {3, 2}}));
  Put("image_chunk", "cut_short", Chunks<TImage64>({{4, 4}}).substr(0, 40));
}

std::string Samples(const std::vector<std::pair<int64_t, bool>>& Chunks) {
  std::FILE* F = std::tmpfile();
  for (auto [Count, Words] : Chunks) {
    TSample32 S;
    S.Init();
    S.SampleRate = 48000;
    if (Count > 0) {
      S.Alloc(Count);
      for (int64_t K = 0; K < Count; ++K) S.Data[K] = float(K % 7) / 4.0f - 0.75f;
    }
    if (Words) S.WriteToFile16(F);
    else S.WriteToFile(F);
    S.Dispose();
  }
  std::string Bytes = ReadAll(F);
  std::fclose(F);
  return Bytes;
}

void SampleChunks() {
  Put("sample_chunk", "singles_5", Samples({{5, false}}));
  Put("sample_chunk", "words_4", Samples({{4, true}}));
  Put("sample_chunk", "empty", Samples({{0, false}}));
  Put("sample_chunk", "both_in_a_row", Samples({{2, false}, {3, true}, {0, true}}));
  Put("sample_chunk", "cut_short", Samples({{8, false}}).substr(0, 30));
}

void WideStreams() {
  auto Stream = [](const std::vector<std::string>& Texts) {
    TMemoryStream S;
    for (const auto& T : Texts) WriteWideStringToStream(T, S);
    return S.Bytes();
  };
  Put("wide_stream", "ascii", Stream({"Kromel"}));
  Put("wide_stream", "empty", Stream({""}));
  Put("wide_stream", "accents_and_pair", Stream({"Farbe \xC3\xA4\xE2\x82\xAC", "\xF0\x9F\x98\x80"}));
  Put("wide_stream", "count_too_big", Stream({"abc"}).substr(0, 8));
}

void Utf7() {
  for (auto [Name, Text] : std::vector<std::pair<std::string, std::string>>{
           {"ascii", "Hi Mom -\xE2\x98\xBA-!"},
           {"cjk", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"},
           {"plus", "1 + 1 = 2, A+B"},
           {"pair", "x\xF0\x9F\x98\x80y"}})
    Put("utf7", Name, WideStringToUTF7(Text));
  Put("utf7", "malformed", "+AGE-+ZeVnLIqe-+");
}

void WideStringLists() {
  TWideStringList L;
  L.Add("Shadows");
  L.Add("Mitteltöne");
  L.Add("\xE2\x82\xAC 5");
  const std::string Text = L.GetTextStr();
  const std::u16string U = Utf8ToUtf16(Text);
  Put("wide_string_list", "file_form", Utf16ToLEBytes(U));
  Put("wide_string_list", "bom_utf16le", "\xFF\xFE" + Utf16ToLEBytes(U));
  std::u16string Swapped = U;
  SwapWideCharBytes(Swapped);
  Put("wide_string_list", "bom_utf16be", "\xFE\xFF" + Utf16ToLEBytes(Swapped));
  Put("wide_string_list", "bom_utf8", "\xEF\xBB\xBF" + Text);
  Put("wide_string_list", "utf7_items", WideStringToUTF7("Mitteltöne") + "\n" + WideStringToUTF7("a+b") + "\n");
}

void Base64Lines() {
  std::string Bytes;
  for (int K = 0; K < 100; ++K) Bytes += char(K * 11);
  TMemoryStream S(Bytes);
  std::string Text;
  for (const auto& Line : EncodeStreamToLines(S)) Text += Line + "\n";
  Put("base64_lines", "blob_lines", Text);
  Put("base64_lines", "uu_line", EncodeBufferText(0, Bytes.data(), 45) + "\n");
  Put("base64_lines", "padded", EncodeBufferText(1, "ab", 2) + "\r\n");
}

void JsonScan() {
  Put("json_scan", "string", "name\n{\"name\":\"Warm \\\"look\\\" \\u00e9\\n\",\"size\":12}");
  Put("json_scan", "number", "size\n{\"name\":\"x\",\"size\":-12.5,\"ok\":true}");
  Put("json_scan", "pair", "t\n{\"t\":\"\\ud83d\\ude00 \\ud800 \\/\\\\\"}");
}

void XmlScan() {
  const std::string Preset = "<preset version=\"2\"><name>Warm &amp; soft</name>" +
                             XMLIntElement("level", 42) + XMLIntElement("level", 7) + "</preset>";
  Put("xml_scan", "element", ".preset.name\n" + Preset);
  Put("xml_scan", "second", ".preset.level\n" + Preset);
  Put("xml_scan", "attribute", ".preset:version\n" + Preset);
  Put("xml_scan", "cdata_comment",
      ".a.b\n<a><!-- note --><b><![CDATA[x<y]]></b><c/><b>2</b></a>");
  Put("xml_scan", "mismatch", ".a.b\n<a><b>1</c></a>");
}

}  // namespace

int main(int argc, char** argv) {
  return kromel::fuzz::WriteSeeds(argc, argv,
                                  {ImageChunks, SampleChunks, WideStreams, Utf7, WideStringLists,
                                   Base64Lines, JsonScan, XmlScan});
}
