// The disc tool's reading commands: list a disc's tree, and export the whole disc or one folder
// into a folder with the viewer's own rules (password, export right, disc-wide switch) and its
// own parsing, catalogue model and extraction.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/catalogue.h"
#include "startup/payload.h"
#include "startup/users.h"

// A disc as the viewer holds it after loading: header, accounts and catalogue.
struct LoadedDisc {
    PayloadHeader header = {};
    UserList users;
    CatalogueModel catalogue;
    std::string viewerFolder;  // where relative content paths start
};

// Reads viewerFile's payload through the viewer's parsers. A damaged catalogue keeps the items
// read before the damage (reported on standard error), as the viewer does.
bool loadDisc(const std::string& viewerFile, LoadedDisc* disc, std::string* error);

struct ExtractRequest {
    std::string viewerFile;
    std::string destination;
    std::string password;
    bool passwordGiven = false;
    std::string folder;  // path in the disc below the root, '/' between names; empty: whole disc
};

struct ExtractSummary {
    uint64_t files = 0, bytes = 0;
    uint64_t failures = 0;  // files and folders not written, names refused included
    bool aborted = false;
};

// Logs in as the viewer would, checks the export right and the disc-wide switch, and exports
// the folder below destination (created when missing). Messages go to standard error. False
// when nothing could be exported; summary tells what happened otherwise. abortFlag, when given,
// stops the export between files and chunks.
bool extractDisc(const ExtractRequest& request, ExtractSummary* summary, std::string* error,
                 const volatile int32_t* abortFlag = nullptr);

// The command lines: "list VIEWER.EXE" and "extract VIEWER.EXE --to FOLDER [--password P]
// [--folder PATH]". Exit codes: 0 done, 1 failed (or some item not exported), 2 usage.
int runListCommand(int argc, char** argv);
int runExtractCommand(int argc, char** argv);
