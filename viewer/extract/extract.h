// Turning a stored item into a plain file, and planning the export of a folder with its whole
// sub-tree. Portable: the viewer and the disc tool's extract share it. Names from the catalogue
// are untrusted: a name that is not a plain file name, or a path that would be too long, is
// refused and never used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

enum class ExtractResult {
    Done,
    ContentNotOpened,   // the data file could not be opened
    TargetNotCreated,   // the target file could not be created
    ContentTooShort,    // the data file ends before ContentOffset + Size; target deleted
    UnsupportedMethod,  // marked encrypted with a method this viewer cannot undo; nothing written
    NoMemory,           // the stream buffer could not be had (already reported); target deleted
    WriteFailed,        // the target refused bytes (disk full); target deleted
    Aborted,            // the abort flag was raised: before anything was written, or between chunks
                        // (target deleted)
};

// Writes the plain content of item into target (created or truncated). contentPath is where the
// caller found the item's data file. BitCrypt wins over SCRAMBLE; an item with neither and
// without ENC_ENCRYPTED is copied as stored. Whatever fails after the target was created
// deletes it, so no partial file is left or counted as exported.
ExtractResult extractItemContentTo(const CryptItem& item, const char* contentPath, const char* contentKey,
                                   const char* target, const volatile int32_t* abortFlag = nullptr);

// The data file of an item for a reader whose viewer folder is viewerFolder: absolute paths as
// stored, relative ones below the viewer folder. separator is the platform's; stored paths use
// backslashes and are converted for '/'.
std::string resolveContentPath(const std::string& viewerFolder, const std::string& contentPath, char separator);

// A name may become part of a path: see isSafeFileName.
bool isUsableName(const CryptItem& item);

enum class ExportStepKind {
    MakeFolder,   // create path (and any missing parent)
    WriteFile,    // extract item into path
    RefusedName,  // item's name cannot be used; path is the folder it would have gone into
    RefusedLength,  // the path would exceed the length limit; path is the folder it would have gone into
};

struct ExportStep {
    ExportStepKind kind;
    std::string path;
    const CryptItem* item;
};

// The steps that export folder (a root or folder-like item with its tree node) below
// destination: its own folder, its files (Kind 2, catalogue order), then each sub-folder in tree
// order, depth first. A refused folder takes its whole sub-tree with it. maxPath is the longest
// file path the target system takes, maxFolderPath the longest folder path (Windows keeps room
// for a short file name inside a folder it creates).
std::vector<ExportStep> planFolderExport(const CatalogueModel& model, const CryptItem& folder,
                                         const std::string& destination, char separator, size_t maxPath,
                                         size_t maxFolderPath = SIZE_MAX);

// The target of one file exported straight into folder (the selected rows of the file list).
ExportStep planFileExport(const CryptItem& item, const std::string& folder, char separator, size_t maxPath);

// What carrying out a plan does at each step; the viewer shows message boxes, the disc tool
// prints. context is handed back unchanged.
struct ExportActions {
    bool (*makeFolder)(const std::string& path, void* context);  // false: reported, sub-tree passed over
    ExtractResult (*writeFile)(const CryptItem& item, const std::string& target, void* context);
    void (*refused)(const ExportStep& step, void* context);
    void* context;
};

enum class ExportEnd { Finished, Aborted };

// Carries out steps in order. A folder that cannot be made takes everything planned inside it
// with it (its one report is enough). abortFlag, when given, is tested before every step; a
// write that ends Aborted (between chunks) stops the run as well.
ExportEnd runExportPlan(const std::vector<ExportStep>& steps, const ExportActions& actions,
                        const volatile int32_t* abortFlag);
