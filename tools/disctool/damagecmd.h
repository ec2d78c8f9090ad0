// The disc tool's "damage" command: writes a disc that is whole but for exactly one damaged
// thing, so that the viewer's handling of each kind of bad input can be checked end to end.
#pragma once

#include <string>

enum class DamageKind {
    Truncated,               // the payload cut short, the trailer kept at the end
    TrailerPastEnd,          // T0 points past the end of the file
    UserLengthPastSection,   // the first user's name length runs past the user section
    UserCountTooLarge,       // T4 one more than the records stored
    CatalogueCountTooLarge,  // T2 two more than the records stored
    HostileNames,            // catalogue names that must never become paths, and good.txt
    ShortData,               // one file's data file ends inside its content
    MissingData,             // one file's data file is gone
};

// The kind named on the command line ("truncated", "trailer-past-end", ...); false when unknown.
bool parseDamageKind(const std::string& name, DamageKind* kind);

// Builds the disc of folder with the viewer at viewerPath into outFolder, then damages it.
// Every file goes into a data file of its own, so that damaging one leaves the others whole.
// description says what was damaged; false with error when the disc cannot be written.
bool writeDamagedDisc(DamageKind kind, const std::string& viewerPath, const std::string& folder,
                      const std::string& outFolder, std::string* description, std::string* error);

// "damage KIND --viewer VIEWER.EXE --from FOLDER --out FOLDER". Exit codes: 0 written, 1 failed,
// 2 usage.
int runDamageCommand(int argc, char** argv);
