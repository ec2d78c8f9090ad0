// Reads a written disc back for inspection: the catalogue records, and a text dump of the
// trailer, header, users and catalogue through the viewer's own payload parsing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "discwriter.h"

// Reads count records from the unfolded catalogue section. False with error (and the records
// read so far in entries) when a record would run past the section.
bool readCatalogueRecords(const uint8_t* plain, uint32_t size, uint32_t count,
                          std::vector<DiscEntry>* entries, std::string* error);

// Prints the disc held in viewerBytes (a whole viewer file); false with error when the payload
// is missing or damaged (what could be read is printed first).
bool dumpDisc(const std::string& viewerBytes, FILE* out, std::string* error);
