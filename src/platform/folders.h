// Per-user folders: the temporary folder (in place of a fixed system temp
// path) and the configuration folder of the settings store.
#pragma once
#include <string>

namespace kromel {

// $TMPDIR when set and non-empty, else "/tmp"; no trailing slash.
std::string TempFolder();
// $XDG_CONFIG_HOME/kromel, else $HOME/.config/kromel; no trailing slash.
std::string ConfigFolder();
bool DirectoryExists(const std::string& Path);
bool FileExists(const std::string& Path);

}  // namespace kromel
