// Writes discs: a copy of viewer.exe with the payload appended, and the data files beside it.
// A disc is described by a DiscSpec; the pieces (records, sections, trailer) are exposed so that
// tests can build payloads, patch their bytes, and write damaged discs on purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/cataloguetypes.h"
#include "startup/payload.h"

enum class ContentMethod { BitCrypt, Scramble, Plain };

// EncFlags for a method: encrypted, FULL and the method bit; 0 for Plain.
uint32_t encFlagsOf(ContentMethod method);

struct DiscUser {
    uint32_t word0 = 0;
    uint32_t userId = 0;
    uint32_t flags = 0;  // USER_MAY_EXPORT 0x1, USER_HAS_EXPIRY 0x2, USER_HAS_NOTE 0x4
    uint32_t word3 = 0;
    uint16_t expiry[8] = {};  // SYSTEMTIME: year, month, day of week, day, hour, minute, second, ms
    std::string name;
    std::string password;  // as the user types it, without the salt
    std::string note;
    // Raw overrides for odd discs: the stored password text instead of password + salt, and the
    // plain user key instead of the disc's content key (an empty key stores length 0).
    std::optional<std::string> passwordText;
    std::optional<std::string> key;
};

struct DiscPicture {
    std::string bytes;       // the picture file; empty: no section bytes
    std::string storedPath;  // path as on the authoring machine, e.g. "C:\\art\\back.bmp"
};

struct DiscFont {
    std::string bytes;     // the font file; empty: no section bytes
    std::string fileName;  // header offset 56
    std::string faceName;  // header offset 311
};

// One catalogue record. A file's content is stored from sourcePath or contentBytes when either
// is given: the writer then fills size and contentOffset; otherwise they are written as given.
struct DiscEntry {
    uint32_t id = 0;
    uint32_t parentId = 0;
    uint32_t kind = KIND_FILE;
    uint32_t size = 0;
    uint32_t aux = 0;
    uint32_t encFlags = 0;
    int32_t idNumber = -1;
    std::vector<uint32_t> userIds;
    std::string fileName, note, nameText;
    std::string contentPath;  // relative to the viewer's folder, e.g. "data\\disc1.dat"
    uint32_t contentOffset = 0;

    std::string sourcePath;
    std::optional<std::string> contentBytes;
    // Plain record bytes written in place of the fields above (for damaged catalogues).
    std::optional<std::string> rawRecord;
};

struct DiscSpec {
    // Header settings; presence bits can be derived with addPresenceFlags.
    uint32_t flags = 0;
    uint32_t textFlags = 0;
    uint32_t splashColour = 0, logoKeyColour = 0, textColour = 0, shadowColour = 0;  // COLORREF
    int32_t fontHeight = 0;
    int32_t shadowX = 0, shadowY = 0;
    int32_t textX = 0, textY = 0;
    int32_t logoX = 0, logoY = 0;
    std::string splashText;
    std::string aboutLines[3];

    std::string password;    // master password; empty: the disc has no password
    std::string contentKey;  // content key of a disc without password, stored in the header
    // Raw override of the header's 255-byte contentKey field (bytes beyond it are an error).
    std::optional<std::string> contentKeyField;

    std::vector<DiscUser> users;
    std::string licence;
    DiscPicture background, logo, about;
    DiscFont font;
    std::vector<DiscEntry> entries;
    uint32_t unused11 = 0;  // T11
};

// Sets the flag bits that say what the disc description carries: background, logo, custom About (lines or
// picture), About picture, splash text shown, password, licence, custom font.
void addPresenceFlags(DiscSpec* spec);

// The key the content is encrypted with: master password + salt on a password disc (what a
// master login leaves in contentKey), otherwise spec.contentKey.
std::string discContentKey(const DiscSpec& spec);

// The header's password check block: passwordCheck folded (indexed) with password + salt.
std::string passwordCheckBlock(const std::string& masterPassword);

// Folds bytes with the plain payload key (the payload sections' stored form).
void foldWithPayloadKey(std::string* bytes);

// Plain bytes of one catalogue record (rawRecord when set).
std::string encodeCatalogueRecord(const DiscEntry& entry);

// Stored (folded) bytes of one user record; contentKey is the disc's content key.
std::string encodeUserRecord(const DiscUser& user, const std::string& contentKey);

// The plain header block; false with error when a text does not fit its field.
bool encodeHeader(const DiscSpec& spec, PayloadHeader* header, std::string* error);

// The stored sections, in payload order, and the counts for the trailer.
struct PayloadParts {
    std::string catalogue, users, licence, header, background, logo, about, font;
    uint32_t itemCount = 0;
    uint32_t userCount = 0;
    uint32_t unused11 = 0;
};

bool buildPayloadParts(const DiscSpec& spec, PayloadParts* parts, std::string* error);
PayloadTrailer trailerFor(const PayloadParts& parts, uint32_t catalogueOffset);
std::string encodeTrailer(const PayloadTrailer& trailer);
// The sections followed by the trailer, for a viewer file of catalogueOffset bytes.
std::string assemblePayload(const PayloadParts& parts, uint32_t catalogueOffset);

// Encrypts every entry's content into its data file under outFolder (each data file written
// afresh) and fills size and contentOffset. Refuses content paths that leave outFolder.
bool writeContentFiles(DiscSpec* spec, const std::string& outFolder, std::string* error);

// Writes outPath as the bytes of viewerPath followed by the payload built from parts.
bool writeViewerWithPayload(const std::string& viewerPath, const std::string& outPath,
                            const PayloadParts& parts, std::string* error);

// The whole disc: data files, then outFolder/<viewer's file name> with the payload.
bool writeDisc(DiscSpec* spec, const std::string& viewerPath, const std::string& outFolder,
               std::string* error);

// Maps a content path ("data\\disc1.dat" or "data/disc1.dat") to a path under outFolder; false
// for an empty, absolute or drive path, or one with "." or ".." components.
bool contentPathUnder(const std::string& outFolder, const std::string& contentPath,
                      std::string* hostPath);

// Building the catalogue from a folder tree: the root (Id 1), then every folder and file in
// name order, each folder before its contents.
struct FolderOptions {
    ContentMethod method = ContentMethod::BitCrypt;
    std::string dataPrefix = "data\\disc";  // data files are <prefix>1.dat, <prefix>2.dat, ...
    uint64_t dataFileLimit = 0xFFFFFFFFull;  // a data file is not grown past this many bytes
    int32_t firstIdNumber = -1;             // files are numbered from here; -1: no ID numbers
    std::string rootName = "Orvanta";
    std::vector<uint32_t> userIds;           // stored with every record
};

// Per-item extras, keyed by the path relative to the folder with '/' separators.
struct EntryExtras {
    std::string relativePath;
    std::optional<int32_t> idNumber;
    std::string nameText, note;
};

bool buildFolderCatalogue(const std::string& folder, const FolderOptions& options,
                          const std::vector<EntryExtras>& extras, std::vector<DiscEntry>* entries,
                          std::string* error);

// Reads a whole file; false with error when it cannot.
bool readWholeFile(const std::string& path, std::string* bytes, std::string* error);
