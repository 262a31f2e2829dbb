#include "audio/note_table.h"

#include <gtest/gtest.h>

using namespace kromel;

TEST(NoteTable, EqualTemperament) {
  InitNoteFrequencies();
  EXPECT_EQ(NoteFreq(-1), 0.0);
  EXPECT_NEAR(NoteFreq(0), 8.1764, 1e-4);
  EXPECT_NEAR(NoteFreq(60), 261.645, 1e-3);
  EXPECT_NEAR(NoteFreq(69), 440.033, 1e-3);
  EXPECT_NEAR(NoteFreq(128), 13290.7, 0.1);
  EXPECT_EQ(NoteFreq(129), 0.0);
  EXPECT_EQ(NoteName(-1), "---");
  EXPECT_EQ(NoteName(0), "C-2");
  EXPECT_EQ(NoteName(60), "C3");
  EXPECT_EQ(NoteName(69), "A3");
  EXPECT_EQ(NoteName(128), "G#8");
}

TEST(NoteTable, FrequencyToNoteAndCents) {
  EXPECT_EQ(FrequencyToNote(440), 69);
  EXPECT_EQ(FrequencyToNote(261.63f), 60);
  EXPECT_NEAR(FrequencyToCents(440), -0.13, 0.01);
  // Outside the logarithm's domain: defined values.
  EXPECT_EQ(FrequencyToNote(0), -1);
  EXPECT_EQ(FrequencyToCents(-5), 0.0f);
}

TEST(NoteTable, NoteNameAndCents) {
  InitNoteFrequencies();
  const struct {
    float Hz;
    const char* Text;
  } Cases[] = {
      {440, "A3 0 cents"},   {452, "A3 46 cents"},      {455, "A#3 -42 cents"},
      {20000, "G8 807 cents"}, {0, "---"},            {-1, "---"},
  };
  for (const auto& C : Cases) EXPECT_EQ(NoteNameAndCents(C.Hz), C.Text) << C.Hz;
}

TEST(NoteTable, JustIntonationReplacesTheTable) {
  InitNoteFrequenciesJust();
  EXPECT_NEAR(NoteFreq(64) / NoteFreq(60), 1.25, 1e-12);
  EXPECT_NEAR(NoteFreq(0), 8.1764, 1e-4);
  EXPECT_NEAR(NoteFreq(128), NoteFreq(116) * 2 * 1.5625 / 1.5625, 1e-9);
  InitNoteFrequenciesJust2();
  EXPECT_NEAR(NoteFreq(61) / NoteFreq(60), 1.08, 1e-12);
  InitNoteFrequencies();
  EXPECT_NEAR(NoteFreq(69), 440.033, 1e-3);
}
