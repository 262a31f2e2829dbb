// Note numbers and frequencies. Note 0 is "C-2", 60 "C3", 69 "A3", 128
// "G#8" and -1 "---". The table starts one semitone above 7.7175 Hz and
// steps by 1.059463094, so A3 is 440.033 Hz.
#pragma once
#include <cstdint>
#include <string>

namespace kromel {

// The table entry of Note (-1..128); 0 outside.
double NoteFreq(int32_t Note);
// "---" for -1, else the pitch class and the octave (Note / 12 - 2);
// "---" outside -1..128.
std::string NoteName(int32_t Note);

// Equal temperament (the table's contents at start).
void InitNoteFrequencies();
// Just intonation from the equal-tempered note 0, ratio sets A and B.
void InitNoteFrequenciesJust();
void InitNoteFrequenciesJust2();

// Against the equal-tempered grid whatever the table holds. A frequency
// that is not positive and finite gives note -1 and 0 cents.
int32_t FrequencyToNote(float Frequency);
float FrequencyToCents(float Frequency);
// The table's note 0..127 nearest in hertz (ties keep the lower) with the
// deviation in cents: "A3 46 cents"; "---" for a frequency that is not
// positive and finite.
std::string NoteNameAndCents(float Frequency);

}  // namespace kromel
