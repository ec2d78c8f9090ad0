// Search matching over the catalogue's files and the texts of the results dialog. Portable: the
// dialogs, searchMode and going to a hit belong to the Win32 layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

constexpr int32_t SEARCH_BY_ID_NUMBER = 1;
constexpr int32_t SEARCH_BY_NAME = 2;       // NameText
constexpr int32_t SEARCH_BY_FILE_NAME = 3;  // FileName
constexpr size_t SEARCH_TEXT_LIMIT = 255;   // what the dialog lets the user type

struct SearchHit {
    uint32_t ItemId;     // the hit item's Id; the results dialog shows findItemById(ItemId)
    uint32_t itemIndex;  // the hit item itself, in model.items
};

// Reads the ID number to look for as a decimal integer: leading white space, an optional sign,
// the digits up to the first other byte; no digits read as 0. Out-of-range values stop at the
// int32 limits, as the 32-bit library conversion does.
int32_t readSearchNumber(const char* text);

// The files (Kind exactly 2) that match, in catalogue order. Mode 1: IdNumber equals the number
// in text; modes 2 and 3: text occurs in NameText or FileName, a-z and A-Z taken as equal and
// every other byte compared as it is; an absent FileName contains nothing. Other modes: none.
std::vector<SearchHit> runSearchMatch(const CatalogueModel& model, const char* text, int32_t mode);

// True when a and b are the same text with a-z and A-Z taken as equal: how going to a hit finds
// the hit's row in the file list by its name.
bool sameNameIgnoringCase(const char* a, const char* b);

// "file:     %s" with the item's FileName (empty when absent).
std::string searchResultRowText(const CryptItem& item);
// "no items." for 0, else "%ld item%c": "1 item " and "3 items".
std::string searchCountText(uint32_t count);
