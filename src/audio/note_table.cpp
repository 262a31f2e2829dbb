#include "audio/note_table.h"

#include <array>
#include <cmath>

namespace kromel {

namespace {

constexpr long double ReferenceHz = 7.7175L;
constexpr long double Semitone = 1.059463094L;
constexpr int32_t LowestNote = -1;
constexpr int32_t HighestNote = 128;

using TNoteTable = std::array<double, HighestNote - LowestNote + 1>;

void FillEqual(TNoteTable& T) {
  T[0] = 0.0;
  long double X = ReferenceHz;
  for (int32_t N = 0; N <= HighestNote; ++N) {
    X *= Semitone;
    T[size_t(N - LowestNote)] = double(X);
  }
}

TNoteTable& Table() {
  static TNoteTable T = [] {
    TNoteTable Fresh{};
    FillEqual(Fresh);
    return Fresh;
  }();
  return T;
}

void FillJust(const std::array<double, 12>& Ratio) {
  TNoteTable& T = Table();
  T[0] = 0.0;
  double Base = double(ReferenceHz * Semitone);
  for (int32_t Octave = 0; 12 * Octave <= HighestNote; ++Octave) {
    for (int32_t K = 0; K < 12 && 12 * Octave + K <= HighestNote; ++K)
      T[size_t(12 * Octave + K - LowestNote)] = Base * Ratio[size_t(K)];
    Base *= 2;
  }
}

bool Audible(float F) { return std::isfinite(F) && F > 0.0f; }

// Semitones above the reference.
double SemitonesOf(float F) { return 12.0 * std::log2(double(F) / double(ReferenceHz)); }

}  // namespace

double NoteFreq(int32_t Note) {
  if (Note < LowestNote || Note > HighestNote) return 0.0;
  return Table()[size_t(Note - LowestNote)];
}

std::string NoteName(int32_t Note) {
  static const char* const Classes[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                          "F#", "G",  "G#", "A",  "A#", "B"};
  if (Note < 0 || Note > HighestNote) return "---";
  return std::string(Classes[Note % 12]) + std::to_string(Note / 12 - 2);
}

void InitNoteFrequencies() { FillEqual(Table()); }

void InitNoteFrequenciesJust() {
  FillJust({1, 1.04166, 1.125, 1.17187, 1.25, 1.33333, 1.38889, 1.5, 1.5625, 1.66667, 1.8, 1.875});
}

void InitNoteFrequenciesJust2() {
  FillJust({1, 1.08, 1.125, 1.2, 1.25, 1.33333, 1.44, 1.5, 1.6, 1.66667, 1.8, 1.875});
}

int32_t FrequencyToNote(float Frequency) {
  if (!Audible(Frequency)) return LowestNote;
  return int32_t(std::nearbyint(SemitonesOf(Frequency))) - 1;
}

float FrequencyToCents(float Frequency) {
  if (!Audible(Frequency)) return 0.0f;
  const double T = SemitonesOf(Frequency);
  return float((T - std::nearbyint(T)) * 100.0);
}

std::string NoteNameAndCents(float Frequency) {
  if (!Audible(Frequency)) return NoteName(LowestNote);
  int32_t Best = 0;
  for (int32_t N = 1; N < HighestNote; ++N)
    if (std::fabs(NoteFreq(N) - Frequency) < std::fabs(NoteFreq(Best) - Frequency)) Best = N;
  const float Cents = 1200.0f * std::log2(Frequency / float(NoteFreq(Best)));
  return NoteName(Best) + " " + std::to_string(int64_t(std::nearbyint(Cents))) + " cents";
}

}  // namespace kromel
