// View/Open and View/Open With: a file is decrypted into the Temp folder of the Windows folder
// and handed to the shell; the copies are deleted when the viewer exits. Also the directory
// steps that Export shares.
#pragma once

#include "catalogue/catalogue.h"
#include "extract/extract.h"

// Extracts item to the temporary folder and opens it, with program when given.
void openItem(const CryptItem* item, const char* program);
// Writes item's plain content to target, with the viewer's folder as the current directory.
ExtractResult extractItemContent(const CryptItem* item, const char* target, const volatile int32_t* abortFlag = nullptr);
// Makes the drive and folder of the viewer's own file current.
void enterViewerFolder();
// Makes the drive of path current and path the current directory.
void enterFolder(const char* path);
// Creates every missing folder along path; false after reporting the one that failed.
bool makeDirectoryPath(const char* path);
// The program picker; the chosen program's path or an empty text.
const char* chooseProgram();
// Reports an extraction failure that the user must hear of (the rest are silent).
void reportExtractFailure(ExtractResult result, const CryptItem& item);

void runOpenCommand();
void runOpenWithCommand();
