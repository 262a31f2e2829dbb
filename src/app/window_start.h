// Whether the command line asks for the window, and running it.
#pragma once
#include <string>
#include <vector>

namespace kromel {

// True when the arguments name only files (an image, a preset, a LUT) or
// switches of the start-up (DEBUG): the program then opens its window with
// them. Any option or action runs the command line without a window.
bool WantsWindow(const std::vector<std::string>& Args);

// The files among the arguments (the debug switch and "-psn" left out).
std::vector<std::string> WindowFiles(const std::vector<std::string>& Args);

// Opens the main window with Files loaded and runs the event loop; the
// program's exit status.
int RunWindow(int Argc, char** Argv, const std::vector<std::string>& Files);

}  // namespace kromel
