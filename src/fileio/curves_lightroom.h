// Lightroom develop templates (.lrtemplate): the four tone curves as Lua
// tables of points on the 0..255 scale.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "fileio/curve_file_support.h"
#include "params/envelope_dots.h"

namespace kromel {

// The template text: title from the file name without folder and
// ".lrtemplate", each curve reduced on a copy to at most 14 dots, Extra
// verbatim in the settings table.
std::string LRTemplateCurvesText(const std::string& FileName, const TEnvelopeDots& Master,
                                 const TEnvelopeDots& Red, const TEnvelopeDots& Green,
                                 const TEnvelopeDots& Blue, const std::string& Extra);
// Writes the template (title from the file name without ".lrtemplate"),
// each curve reduced on a copy to at most 14 dots; Extra goes verbatim into
// the settings table. All four curves are required. Missing folders are
// made. True when the file was written.
bool SaveLRTemplateCurves(const std::string& FileName, const TEnvelopeDots* Master,
                          const TEnvelopeDots* Red, const TEnvelopeDots* Green,
                          const TEnvelopeDots* Blue, const std::string& Extra);
// Reads the ToneCurvePV2012 tables into the given curves (null: skipped);
// curves without a table keep their dots. False without a message when the
// file cannot be read; False with a message, no curve changed, when a table
// holds fewer than 2 points.
bool LoadLRTemplateCurves(const std::string& FileName, TEnvelopeDots* Master, TEnvelopeDots* Red,
                          TEnvelopeDots* Green, TEnvelopeDots* Blue);
// The points of the table whose header is line Index: reads from the next
// line up to the line holding "}" (Index is left there) or the end.
void ReadLRTemplateCurve(const std::vector<std::string_view>& Lines, size_t& Index,
                         std::vector<TCurveFilePoint>& Points);

}  // namespace kromel
