// Text dumps of a tetrahedralization: a 3D-object (OBJ) mesh and a pair list.
#pragma once
#include <string>

#include "images/image128.h"
#include "matching/tetrahedralization.h"

namespace kromel {

// Vertices are Points' colours; four faces per filled slot, 1-based.
std::string TetrahedralizationOBJText(const TImage128& Points, const TTetrahedralization& T);
bool DumpTetrahedralizationOBJ(const TImage128& Points, const TTetrahedralization& T,
                               const std::string& FileName);
void BuildMatchingText(const TTetrahedralization& T, std::string& S);

}  // namespace kromel
