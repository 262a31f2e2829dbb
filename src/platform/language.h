// The interface language: the translation catalogues (GNU .mo files of the
// text domain, one per language under <folder>/<language>/LC_MESSAGES/) are
// read by the program itself, so switching needs no locale of the system.
// Before the first switch the translation call asks gettext as usual.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

namespace kromel {

// The language code of an item of the Preferences' language list ("Auto",
// "English", "Spanish", "Russian", "French", "Simplified Chinese",
// "Traditional Chinese"): "", "EN", "ES", "RU", "FR", "ZH_CN", "ZH_HK";
// "" for Auto and no item.
std::string LanguageCodeOfItem(int32_t Item);

// The folder that holds the catalogues.
void SetCatalogueFolder(const std::string& Folder);
std::string CatalogueFolder();

// Selects the catalogue of Code ("" is the system's language from
// LANGUAGE, LC_ALL, LC_MESSAGES or LANG). A language without a catalogue
// leaves every text English. True when a catalogue was found.
bool SelectLanguage(const std::string& Code);
// The code last selected ("" before the first switch and for Auto).
std::string CurrentLanguage();
// True once a language was selected.
bool LanguageSelected();

// The translation of Text in the selected catalogue; false when none is
// selected or it does not hold Text.
bool LookupTranslation(const char* Text, std::string& Translation);

// The messages of a .mo file (message identifier -> translation); empty
// when the file is missing or malformed.
std::unordered_map<std::string, std::string> ReadMessageCatalogue(const std::string& FileName);

}  // namespace kromel
