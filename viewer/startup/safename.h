// Names that come from a disc are untrusted: only a plain file name may become part of a path.
#pragma once

// True for a name that names a file inside a folder and nothing else: not empty, not "." or
// "..", no "\\", "/", ":" or control character, no trailing dot or blank, and not a reserved
// device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an extension).
bool isSafeFileName(const char* name);
