// Parses the payload appended to the viewer: the trailer, the section layout, the header block
// and the user records. Works on bytes already read; never reads past the bytes it is given.
#include "startup/payload.h"

#include <cstring>

#include "startup/report.h"
#include "startup/scramble.h"

namespace {

uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t readLe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Reads forward through a byte run and refuses any read that would pass its end.
struct Cursor {
    const uint8_t* data;
    uint32_t size;
    uint32_t pos;

    uint32_t left() const { return size - pos; }

    bool take(uint32_t n, const uint8_t** out) {
        if (n > left()) return false;
        *out = data + pos;
        pos += n;
        return true;
    }
};

// A 32-bit value stored folded on its own.
bool takeFoldedWord(Cursor* c, const char* key, uint32_t* value) {
    const uint8_t* p;
    if (!c->take(4, &p)) return false;
    uint8_t word[4];
    std::memcpy(word, p, 4);
    xorFold(key, word, 4);
    *value = readLe32(word);
    return true;
}

// A length word and that many bytes, each folded on its own. The bytes are unfolded with
// payloadKey here; secondKey, when given, folds them once more before the text is cut at its
// first zero byte (the format's buffers are zero-terminated).
bool takeFoldedText(Cursor* c, const char* payloadKey, const char* secondKey, bool* present,
                    std::string* text) {
    uint32_t length;
    if (!takeFoldedWord(c, payloadKey, &length)) return false;
    const uint8_t* p;
    if (!c->take(length, &p)) return false;
    std::string bytes(reinterpret_cast<const char*>(p), length);
    uint8_t* raw = reinterpret_cast<uint8_t*>(&bytes[0]);
    xorFold(payloadKey, raw, static_cast<int32_t>(length));
    if (secondKey) xorFold(secondKey, raw, static_cast<int32_t>(length));
    *present = length != 0;
    text->assign(bytes.c_str());
    return true;
}

void terminateField(char* field, size_t size) {
    field[size - 1] = 0;
}

}  // namespace

// Trailer (last 52 bytes, plain): T0..T12 as 32-bit little-endian values, T12 the magic.
// Sections from T0 without gaps: catalogue T1, users T3, licence T5, header T6, background T7,
// logo T8, About picture T9, font T10; the header is read as HEADER_SIZE bytes whatever T6 says.
LayoutResult payloadLayout(const uint8_t* tail, uint64_t fileSize, PayloadTrailer* trailer,
                           PayloadLayout* layout) {
    if (fileSize < TRAILER_SIZE || !tail) return LayoutResult::BadMagic;
    uint32_t t[13];
    for (int i = 0; i < 13; ++i) t[i] = readLe32(tail + 4 * i);
    if (t[12] != PAYLOAD_MAGIC) return LayoutResult::BadMagic;

    PayloadTrailer tr;
    tr.catalogueOffset = t[0];
    tr.catalogueSize = t[1];
    tr.itemCount = t[2];
    tr.userSize = t[3];
    tr.userCount = t[4];
    tr.licenceSize = t[5];
    tr.headerSize = t[6];
    tr.backgroundSize = t[7];
    tr.logoSize = t[8];
    tr.aboutSize = t[9];
    tr.fontSize = t[10];
    tr.unused11 = t[11];
    tr.magic = t[12];
    *trailer = tr;

    const uint32_t sizes[8] = {tr.catalogueSize, tr.userSize,   tr.licenceSize, tr.headerSize,
                               tr.backgroundSize, tr.logoSize, tr.aboutSize,   tr.fontSize};
    SectionSpan* spans[8] = {&layout->catalogue,  &layout->users, &layout->licence,
                             &layout->header,     &layout->background, &layout->logo,
                             &layout->about,      &layout->font};
    const uint64_t trailerStart = fileSize - TRAILER_SIZE;
    uint64_t offset = tr.catalogueOffset;
    bool fits = true;
    for (int i = 0; i < 8; ++i) {
        spans[i]->offset = offset;
        spans[i]->size = sizes[i];
        if (offset + sizes[i] > trailerStart) fits = false;
        offset += sizes[i];
    }
    if (layout->header.offset + HEADER_SIZE > trailerStart) fits = false;
    return fits ? LayoutResult::Ok : LayoutResult::Damaged;
}

void unfoldHeader(const uint8_t* stored, const char* payloadKey, PayloadHeader* header) {
    uint8_t bytes[HEADER_SIZE];
    std::memcpy(bytes, stored, HEADER_SIZE);
    xorFold(payloadKey, bytes, static_cast<int32_t>(HEADER_SIZE));

    PayloadHeader h;
    h.flags = readLe32(bytes + 0);
    h.textFlags = readLe32(bytes + 4);
    h.splashColour = readLe32(bytes + 8);
    h.logoKeyColour = readLe32(bytes + 12);
    h.textColour = readLe32(bytes + 16);
    h.shadowColour = readLe32(bytes + 20);
    h.fontHeight = static_cast<int32_t>(readLe32(bytes + 24));
    h.shadowX = static_cast<int32_t>(readLe32(bytes + 28));
    h.shadowY = static_cast<int32_t>(readLe32(bytes + 32));
    h.textX = static_cast<int32_t>(readLe32(bytes + 36));
    h.textY = static_cast<int32_t>(readLe32(bytes + 40));
    h.logoX = static_cast<int32_t>(readLe32(bytes + 44));
    h.logoY = static_cast<int32_t>(readLe32(bytes + 48));
    h.unused52 = readLe32(bytes + 52);
    const size_t textStart = offsetof(PayloadHeader, fontFileName);
    std::memcpy(reinterpret_cast<uint8_t*>(&h) + textStart, bytes + textStart, HEADER_SIZE - textStart);

    // A stored text that fills its whole field would run into the next one; every field keeps
    // its last byte as the terminator.
    terminateField(h.fontFileName, sizeof h.fontFileName);
    terminateField(h.fontFaceName, sizeof h.fontFaceName);
    terminateField(h.backgroundPath, sizeof h.backgroundPath);
    terminateField(h.logoPath, sizeof h.logoPath);
    terminateField(h.aboutPath, sizeof h.aboutPath);
    for (auto& line : h.aboutLines) terminateField(line, sizeof line);
    terminateField(h.splashText, sizeof h.splashText);
    terminateField(h.contentKey, sizeof h.contentKey);
    *header = h;
}

// User record, every piece folded on its own with payloadKey:
//   fixed part, 32 bytes: word0, user ID, flags, word3 (32-bit each), expiry SYSTEMTIME (8 x 16-bit)
//   name, password text, user key, note: each a 32-bit length n, then n bytes
// The user key is folded a second time with the record's password text.
UserParseResult parseUserSection(const uint8_t* stored, uint32_t size, uint32_t count,
                                 const char* payloadKey, std::vector<ParsedUser>* users) {
    users->clear();
    Cursor c{stored, stored ? size : 0, 0};
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p;
        if (!c.take(USER_FIXED_SIZE, &p)) return UserParseResult::Damaged;
        uint8_t fixed[USER_FIXED_SIZE];
        std::memcpy(fixed, p, USER_FIXED_SIZE);
        xorFold(payloadKey, fixed, static_cast<int32_t>(USER_FIXED_SIZE));

        ParsedUser u;
        u.word0 = readLe32(fixed + 0);
        u.userId = readLe32(fixed + 4);
        u.flags = readLe32(fixed + 8);
        u.word3 = readLe32(fixed + 12);
        for (int k = 0; k < 8; ++k) u.expiry[k] = readLe16(fixed + 16 + 2 * k);

        if (!takeFoldedText(&c, payloadKey, nullptr, &u.hasName, &u.name) ||
            !takeFoldedText(&c, payloadKey, nullptr, &u.hasPasswordText, &u.passwordText) ||
            !takeFoldedText(&c, payloadKey, u.passwordText.c_str(), &u.hasKey, &u.key) ||
            !takeFoldedText(&c, payloadKey, nullptr, &u.hasNote, &u.note))
            return UserParseResult::Damaged;

        if (!u.hasKey) report("ERROR: 98234v", "User %s password corrupt.", u.name.c_str());
        users->push_back(std::move(u));
    }
    return UserParseResult::Ok;
}
