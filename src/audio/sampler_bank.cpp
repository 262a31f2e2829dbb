// Sampler bank export: one WAV file per part and a SoundFont 2 bank text.
#include <cmath>
#include <functional>

#include "audio/multi_surround_wave.h"
#include "audio/multi_wave.h"
#include "audio/note_table.h"
#include "foundation/files.h"
#include "foundation/number_format.h"
#include "foundation/paths.h"

namespace kromel {

namespace {

struct TBankPart {
  int32_t Note = -1;
  int32_t LowKey = 0, HighKey = 0, LowVel = 0, HighVel = 0;
};

int32_t RoundLayer(int32_t A, int32_t B) {
  return int32_t(std::nearbyint(double(A) / double(B) * 127.0));
}

std::string PartSuffix(int32_t Note, int32_t I) {
  return "_" + NoteName(Note) + "#" + IntToStrZeroPad(I + 1, 3);
}

std::string BankText(const std::string& Nm, const std::vector<TBankPart>& P, const char* Date) {
  std::string T = "[Samples]\n\n";
  for (size_t I = 0; I < P.size(); ++I)
    T += "    SampleName=" + Nm + PartSuffix(P[I].Note, int32_t(I)) +
         "\n        SampleRate=44100\n        Key=60\n        FineTune=0\n        Type=4\n\n";
  T += "[Instruments]\n\n    InstrumentName=" + Nm + "\n\n";
  for (size_t I = 0; I < P.size(); ++I) {
    const TBankPart& B = P[I];
    T += "        Sample=" + Nm + PartSuffix(B.Note, int32_t(I)) + "(L)\n" +
         "            Z_LowKey=" + std::to_string(B.LowKey) + "\n" +
         "            Z_HighKey=" + std::to_string(B.HighKey) + "\n" +
         "            Z_LowVelocity=" + std::to_string(B.LowVel + 1) + "\n" +
         "            Z_HighVelocity=" + std::to_string(B.HighVel) + "\n" +
         "            Z_pan=65036\n            Z_releaseVolEnv=7973\n" +
         "            Z_coarseTune=" + std::to_string(60 - B.Note) + "\n" +
         "            Z_fineTune=0\n" +
         "            Z_Modulator=(ReverseDirection,Unipolar,Linear), initialFilterFc, 0, "
         "(ReverseDirection,Unipolar,Switch), 0\n\n";
  }
  T += "[Presets]\n\n    PresetName=" + Nm + "\n        Bank=128\n        Program=0\n" +
       "        Instrument=" + Nm + "\n            L_LowKey=0\n            L_HighKey=127\n" +
       "            L_LowVelocity=0\n            L_HighVelocity=127\n";
  T += "[Info]\nVersion=2.1\nEngine=E-mu 10K1\nName=" + Nm + "\nROMName=\nROMVersion=0.0\nDate=" +
       Date + "\nDesigner=Kromel\nProduct=Multisample\nCopyright=\nEditor=Kromel\nComments=\n";
  return T;
}

// Writes the part files (Save(I, File)) and the text; the names of the part
// files written go to Written.
bool ExportBank(const std::string& FileName, std::vector<TBankPart>& Parts, const char* Date,
                const std::function<bool(int32_t, const std::string&)>& Save,
                std::vector<std::string>& Written) {
  std::string Base = FileName;
  StripFileExt(Base);
  const std::string Nm = ExtractFileNameW(Base);
  for (size_t I = 0; I < Parts.size(); ++I) {
    const std::string F = Base + PartSuffix(Parts[I].Note, int32_t(I)) + ".wav";
    if (Save(int32_t(I), F)) Written.push_back(F);
  }
  return SaveStringToFile(Base + ".txt", BankText(Nm, Parts, Date), ErrorMessageProc);
}

int32_t ValidNote(int32_t Note) { return Note >= -1 && Note <= 128 ? Note : -1; }

}  // namespace

void TMultiWave::SaveToSamplerText(const std::string& FileName) {
  std::vector<TBankPart> P(size_t(std::max(Count, 0)));
  const int32_t N = Count;
  for (int32_t I = 0; I < N; ++I) {
    TBankPart& B = P[size_t(I)];
    B.Note = ValidNote(Parts[size_t(I)].Note);
    B.LowKey = B.HighKey = B.Note;
    B.HighVel = RoundLayer(N - I, N);
    B.LowVel = RoundLayer(N - I - 1, N);
  }
  std::vector<std::string> Written;
  ExportBank(FileName, P, "Nov 02, 1999",
             [&](int32_t I, const std::string& F) { return Parts[size_t(I)].SaveToFile(F); },
             Written);
}

bool TMultiSurroundWave::SaveToSamplerText(const std::string& Name) {
  std::vector<TBankPart> P(size_t(std::max(Count, 0)));
  for (int32_t I = 0; I < Count; ++I) {
    TBankPart& B = P[size_t(I)];
    B.Note = ValidNote(Parts[size_t(I)].Note);
    const int32_t M = CountOfNote(Parts[size_t(I)].Note);
    int32_t C = 0;
    for (int32_t J = 0; J < I; ++J) C += Parts[size_t(J)].Note == Parts[size_t(I)].Note;
    B.LowKey = B.Note;
    B.HighKey = CountOfNote(Parts[size_t(I)].Note + 1) == 0 ? B.Note + 1 : B.Note;
    B.HighVel = RoundLayer(M - C, M);
    B.LowVel = RoundLayer(M - C - 1, M);
  }
  std::vector<std::string> Written;
  ExportBank(Name, P, "2008",
             [&](int32_t I, const std::string& F) { return Parts[size_t(I)].SaveToWav16(F); },
             Written);
  for (const std::string& F : Written) DeleteFileSafe(F);
  return true;
}

}  // namespace kromel
