// The program's command line as the runtime gave it.
#pragma once
#include <string>
#include <vector>

namespace kromel {

// Stores the arguments; main() calls it first.
void SetCommandLine(int Argc, const char* const* Argv);
void SetCommandLine(std::vector<std::string> Args);
// Number of arguments after the program path.
int ParamCount();
// Argument I (0 is the program path); empty when out of range.
std::string ParamStr(int I);

}  // namespace kromel
