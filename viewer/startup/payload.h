// The payload appended to the viewer's executable: the 52-byte trailer at the end of the file,
// the sections it locates, the 5652-byte header block and the user records. Portable: parsing
// works on bytes already read, and every size is checked before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t PAYLOAD_MAGIC = 7654322;
constexpr uint32_t TRAILER_SIZE = 52;
constexpr uint32_t HEADER_SIZE = 5652;
constexpr uint32_t USER_FIXED_SIZE = 32;
constexpr char PASSWORD_SALT[] = "Qm4z";

// Trailer: thirteen little-endian 32-bit values, in plain.
struct PayloadTrailer {
    uint32_t catalogueOffset;  // T0: absolute offset of the first section
    uint32_t catalogueSize;    // T1
    uint32_t itemCount;        // T2
    uint32_t userSize;         // T3
    uint32_t userCount;        // T4
    uint32_t licenceSize;      // T5
    uint32_t headerSize;       // T6 (the viewer reads HEADER_SIZE bytes from its start)
    uint32_t backgroundSize;   // T7
    uint32_t logoSize;         // T8
    uint32_t aboutSize;        // T9
    uint32_t fontSize;         // T10
    uint32_t unused11;         // T11: not read
    uint32_t magic;            // T12: PAYLOAD_MAGIC
};
static_assert(sizeof(PayloadTrailer) == TRAILER_SIZE, "trailer is 52 bytes");

// Disc flags word (header offset 0).
constexpr uint32_t FLAG_BACKGROUND = 0x1;
constexpr uint32_t FLAG_BG_TILED = 0x2;
constexpr uint32_t FLAG_BG_QUARTERS = 0x4;
constexpr uint32_t FLAG_BG_TOP_LEFT = 0x10;
constexpr uint32_t FLAG_BG_TOP_CENTRE = 0x20;
constexpr uint32_t FLAG_BG_BOTTOM_LEFT = 0x40;
constexpr uint32_t FLAG_BG_BOTTOM_CENTRE = 0x80;
constexpr uint32_t FLAG_BG_CENTRED = 0x100;
constexpr uint32_t FLAG_LOGO = 0x200;
constexpr uint32_t FLAG_LOGO_TOP_LEFT = 0x400;
constexpr uint32_t FLAG_LOGO_TOP_CENTRE = 0x800;
constexpr uint32_t FLAG_LOGO_BOTTOM_LEFT = 0x1000;
constexpr uint32_t FLAG_LOGO_BOTTOM_CENTRE = 0x2000;
constexpr uint32_t FLAG_LOGO_CENTRED = 0x4000;
constexpr uint32_t FLAG_LOGO_AT_POSITION = 0x8000;
constexpr uint32_t FLAG_LOGO_TRANSPARENT = 0x10000;
constexpr uint32_t FLAG_TEXT_SHOWN = 0x20000;
constexpr uint32_t FLAG_TEXT_SHADOW = 0x40000;
constexpr uint32_t FLAG_EXPORT_DISABLED = 0x400000;
constexpr uint32_t FLAG_CLEAR_RECENT_DOCS = 0x800000;
constexpr uint32_t FLAG_PASSWORD = 0x1000000;
constexpr uint32_t FLAG_LICENCE = 0x2000000;
constexpr uint32_t FLAG_CUSTOM_ABOUT = 0x10000000;
constexpr uint32_t FLAG_ABOUT_PICTURE = 0x20000000;

// Text flags word (header offset 4).
constexpr uint32_t TEXT_TOP_LEFT = 0x2;
constexpr uint32_t TEXT_TOP_CENTRE = 0x4;
constexpr uint32_t TEXT_BOTTOM_LEFT = 0x8;
constexpr uint32_t TEXT_BOTTOM_CENTRE = 0x10;
constexpr uint32_t TEXT_CENTRED = 0x20;
constexpr uint32_t TEXT_CUSTOM_FONT = 0x40;

constexpr size_t TEXT_FIELD_SIZE = 255;
constexpr size_t SPLASH_TEXT_SIZE = 2789;

// Header block, 5652 bytes, XOR-folded as one unit. Texts are zero-terminated in their fields.
struct PayloadHeader {
    uint32_t flags;                        // 0
    uint32_t textFlags;                    // 4
    uint32_t splashColour;                 // 8 (COLORREF)
    uint32_t logoKeyColour;                // 12
    uint32_t textColour;                   // 16
    uint32_t shadowColour;                 // 20
    int32_t fontHeight;                    // 24
    int32_t shadowX, shadowY;              // 28, 32
    int32_t textX, textY;                  // 36, 40
    int32_t logoX, logoY;                  // 44, 48
    uint32_t unused52;                     // 52
    char fontFileName[TEXT_FIELD_SIZE];    // 56
    char fontFaceName[TEXT_FIELD_SIZE];    // 311
    char backgroundPath[TEXT_FIELD_SIZE];  // 566
    char logoPath[TEXT_FIELD_SIZE];        // 821
    char aboutPath[TEXT_FIELD_SIZE];       // 1076
    char aboutLines[3][TEXT_FIELD_SIZE];   // 1331, 1586, 1841
    char splashText[SPLASH_TEXT_SIZE];     // 2096
    char contentKey[TEXT_FIELD_SIZE];      // 4885
    uint8_t unused5140[512];               // 5140
};
static_assert(sizeof(PayloadHeader) == HEADER_SIZE, "header is 5652 bytes");
static_assert(offsetof(PayloadHeader, fontFileName) == 56, "layout");
static_assert(offsetof(PayloadHeader, fontFaceName) == 311, "layout");
static_assert(offsetof(PayloadHeader, backgroundPath) == 566, "layout");
static_assert(offsetof(PayloadHeader, aboutLines) == 1331, "layout");
static_assert(offsetof(PayloadHeader, splashText) == 2096, "layout");
static_assert(offsetof(PayloadHeader, contentKey) == 4885, "layout");

// Where each section lies in the viewer file, all checked against the file size.
struct SectionSpan {
    uint64_t offset;
    uint32_t size;
};

struct PayloadLayout {
    SectionSpan catalogue, users, licence, header, background, logo, about, font;
};

enum class LayoutResult {
    Ok,
    BadMagic,  // no trailer, or its last value is not PAYLOAD_MAGIC
    Damaged,   // a section runs past the trailer, or the header block does not fit
};

// Reads the trailer from the last 52 bytes of a file of fileSize bytes (tail holds them) and
// computes every section's span. Offsets are summed in 64 bits, so no sum can wrap.
// BadMagic: fileSize below 52 or T12 wrong (trailer and layout untouched). Damaged: some
// section, or the HEADER_SIZE bytes read from the header's start, reach past the trailer's
// start (trailer and layout are filled all the same). layout.header.size is T6 as stored.
LayoutResult payloadLayout(const uint8_t* tail, uint64_t fileSize, PayloadTrailer* trailer,
                           PayloadLayout* layout);

// Unfolds the 5652 header bytes read from the header section. The last byte of every text
// field is set to 0, so each text ends within its field.
void unfoldHeader(const uint8_t* stored, const char* payloadKey, PayloadHeader* header);

// One user record after unfolding. A text that was stored with length 0 is absent (has* false).
// Texts end at their first zero byte, as the zero-terminated buffers of the format do.
struct ParsedUser {
    uint32_t word0, userId, flags, word3;
    uint16_t expiry[8];  // SYSTEMTIME: year, month, day of week, day, hour, minute, second, ms
    bool hasName, hasPasswordText, hasKey, hasNote;
    std::string name, passwordText, key, note;
};

enum class UserParseResult {
    Ok,
    Damaged,  // a length word or fixed part runs past the user section
};

// Parses count records from the stored user section (size bytes, still folded). The user key
// is unfolded a second time with the record's password text. A record whose key length is 0
// is reported as "ERROR: 98234v" / "User %s password corrupt." and still returned, without key.
// On Damaged, users holds the whole records read before the damage.
UserParseResult parseUserSection(const uint8_t* stored, uint32_t size, uint32_t count,
                                 const char* payloadKey, std::vector<ParsedUser>* users);
