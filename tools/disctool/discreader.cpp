// The disc tool's reading side: catalogue records and the dump. Everything is parsed by the
// viewer's own code, so the dump shows what the viewer sees.
#include "discreader.h"

#include <cstring>

#include "catalogue/catalogue.h"
#include "startup/scramble.h"
#include "startup/storedvalues.h"

namespace {

// Texts shown on one line: printable bytes as they are, others as \xNN.
std::string shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\\') out += "\\\\";
        else if (c >= 0x20 && c != 0x7F) out += static_cast<char>(c);
        else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        }
    }
    return out;
}

std::string hex(const uint8_t* p, size_t n) {
    std::string out;
    char b[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02X", p[i]);
        out += b;
    }
    return out;
}

std::string section(const std::string& file, const SectionSpan& span) {
    std::string bytes = file.substr(span.offset, span.size);
    foldWithPayloadKey(&bytes);
    return bytes;
}

void printHeader(FILE* out, const PayloadHeader& h) {
    std::fprintf(out, "header:\n  flags 0x%08X  textFlags 0x%08X\n", h.flags, h.textFlags);
    std::fprintf(out, "  splashColour 0x%06X  logoKeyColour 0x%06X  textColour 0x%06X  shadowColour 0x%06X\n",
                 h.splashColour, h.logoKeyColour, h.textColour, h.shadowColour);
    std::fprintf(out, "  fontHeight %d  shadow %d,%d  text %d,%d  logo %d,%d\n", h.fontHeight,
                 h.shadowX, h.shadowY, h.textX, h.textY, h.logoX, h.logoY);
    std::fprintf(out, "  fontFileName \"%s\"  fontFaceName \"%s\"\n", shown(h.fontFileName).c_str(),
                 shown(h.fontFaceName).c_str());
    std::fprintf(out, "  backgroundPath \"%s\"\n  logoPath \"%s\"\n  aboutPath \"%s\"\n",
                 shown(h.backgroundPath).c_str(), shown(h.logoPath).c_str(), shown(h.aboutPath).c_str());
    for (int i = 0; i < 3; ++i) std::fprintf(out, "  aboutLine%d \"%s\"\n", i + 1, shown(h.aboutLines[i]).c_str());
    std::fprintf(out, "  splashText \"%s\"\n", shown(h.splashText).c_str());
    const size_t keyLength = strnlen(h.contentKey, sizeof h.contentKey);
    if (h.flags & FLAG_PASSWORD) {
        std::fprintf(out, "  contentKey (password check block) %s\n",
                     hex(reinterpret_cast<const uint8_t*>(h.contentKey), storedvalues::PASSWORD_CHECK_LENGTH).c_str());
    } else {
        std::fprintf(out, "  contentKey \"%s\"\n", shown(std::string(h.contentKey, keyLength)).c_str());
    }
}

}  // namespace

// The records as the viewer's own catalogue loader reads them, so that what the tool shows and
// checks is what the viewer will see.
bool readCatalogueRecords(const uint8_t* plain, uint32_t size, uint32_t count,
                          std::vector<DiscEntry>* entries, std::string* error) {
    CatalogueModel model;
    const CatalogueLoadResult result = loadCatalogueRecords(plain, plain ? size : 0, count, &model);
    for (const CryptItem& item : model.items) {
        DiscEntry e;
        e.id = item.Id;
        e.parentId = item.ParentId;
        e.kind = item.Kind;
        e.size = item.Size;
        e.aux = item.Aux;
        e.encFlags = item.EncFlags;
        e.idNumber = item.IdNumber;
        const uint32_t* ids = userIdsOf(model, item);
        e.userIds.assign(ids, ids + item.UserIdCount);
        e.fileName = item.FileName;
        e.note = item.Note;
        e.nameText = item.NameText;
        e.contentPath = item.ContentPath;
        e.contentOffset = item.ContentOffset;
        entries->push_back(e);
    }
    if (result != CatalogueLoadResult::Ok) {
        *error = "catalogue record " + std::to_string(model.items.size()) + " runs past the section";
        return false;
    }
    return true;
}

bool dumpDisc(const std::string& file, FILE* out, std::string* error) {
    const uint64_t fileSize = file.size();
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    PayloadTrailer t;
    PayloadLayout layout;
    const LayoutResult result =
        payloadLayout(fileSize >= TRAILER_SIZE ? bytes + fileSize - TRAILER_SIZE : nullptr, fileSize,
                      &t, &layout);
    if (result == LayoutResult::BadMagic) {
        *error = "no payload: the file does not end in a trailer with the magic number";
        return false;
    }
    std::fprintf(out, "file size %llu\ntrailer:\n", static_cast<unsigned long long>(fileSize));
    std::fprintf(out, "  T0 catalogueOffset %u\n  T1 catalogueSize %u\n  T2 itemCount %u\n"
                      "  T3 userSize %u\n  T4 userCount %u\n  T5 licenceSize %u\n  T6 headerSize %u\n"
                      "  T7 backgroundSize %u\n  T8 logoSize %u\n  T9 aboutSize %u\n  T10 fontSize %u\n"
                      "  T11 %u\n  T12 magic %u\n",
                 t.catalogueOffset, t.catalogueSize, t.itemCount, t.userSize, t.userCount, t.licenceSize,
                 t.headerSize, t.backgroundSize, t.logoSize, t.aboutSize, t.fontSize, t.unused11, t.magic);
    const char* names[8] = {"catalogue", "users", "licence", "header", "background", "logo", "about", "font"};
    const SectionSpan* spans[8] = {&layout.catalogue, &layout.users, &layout.licence, &layout.header,
                                   &layout.background, &layout.logo, &layout.about, &layout.font};
    std::fprintf(out, "sections:\n");
    for (int i = 0; i < 8; ++i)
        std::fprintf(out, "  %-10s at %llu, %u bytes\n", names[i],
                     static_cast<unsigned long long>(spans[i]->offset), spans[i]->size);
    if (result == LayoutResult::Damaged) {
        *error = "damaged payload: a section runs past the trailer";
        return false;
    }

    PayloadHeader h;
    unfoldHeader(bytes + layout.header.offset, storedvalues::plainPayloadKey, &h);
    printHeader(out, h);

    std::vector<ParsedUser> users;
    const UserParseResult userResult =
        parseUserSection(bytes + layout.users.offset, layout.users.size, t.userCount,
                         storedvalues::plainPayloadKey, &users);
    std::fprintf(out, "users: %u\n", t.userCount);
    for (const ParsedUser& u : users) {
        std::fprintf(out, "  user %u: word0 %u flags 0x%X word3 %u expiry %04u-%02u-%02u\n", u.userId,
                     u.word0, u.flags, u.word3, u.expiry[0], u.expiry[1], u.expiry[3]);
        std::fprintf(out, "    name%s \"%s\"\n    passwordText%s \"%s\"\n    key%s \"%s\"\n    note%s \"%s\"\n",
                     u.hasName ? "" : " (absent)", shown(u.name).c_str(),
                     u.hasPasswordText ? "" : " (absent)", shown(u.passwordText).c_str(),
                     u.hasKey ? "" : " (absent)", shown(u.key).c_str(),
                     u.hasNote ? "" : " (absent)", shown(u.note).c_str());
    }
    if (userResult != UserParseResult::Ok) {
        *error = "damaged user section";
        return false;
    }

    const std::string licence = section(file, layout.licence);
    std::fprintf(out, "licence: %u bytes%s\n", layout.licence.size, (h.flags & FLAG_LICENCE) ? "" : " (not read)");
    if (!licence.empty()) std::fprintf(out, "  \"%s\"\n", shown(std::string(licence.c_str())).c_str());
    std::fprintf(out, "background: %u bytes%s\nlogo: %u bytes%s\nabout picture: %u bytes%s\nfont: %u bytes%s\n",
                 layout.background.size, (h.flags & FLAG_BACKGROUND) ? "" : " (not read)",
                 layout.logo.size, (h.flags & FLAG_LOGO) ? "" : " (not read)",
                 layout.about.size,
                 (h.flags & FLAG_CUSTOM_ABOUT) && (h.flags & FLAG_ABOUT_PICTURE) ? "" : " (not read)",
                 layout.font.size, (h.textFlags & TEXT_CUSTOM_FONT) ? "" : " (not read)");

    const std::string catalogue = section(file, layout.catalogue);
    std::vector<DiscEntry> entries;
    std::string catalogueError;
    const bool catalogueOk =
        readCatalogueRecords(reinterpret_cast<const uint8_t*>(catalogue.data()),
                             static_cast<uint32_t>(catalogue.size()), t.itemCount, &entries, &catalogueError);
    std::fprintf(out, "catalogue: %u records\n", t.itemCount);
    for (const DiscEntry& e : entries) {
        std::fprintf(out, "  %u parent %u kind 0x%X size %u aux %u enc 0x%X idNumber %d \"%s\"", e.id,
                     e.parentId, e.kind, e.size, e.aux, e.encFlags, e.idNumber, shown(e.fileName).c_str());
        if ((e.kind & KIND_NO_CONTENT_MASK) == 0)
            std::fprintf(out, " -> \"%s\" @%u", shown(e.contentPath).c_str(), e.contentOffset);
        std::fprintf(out, "\n");
        if (!e.nameText.empty()) std::fprintf(out, "      nameText \"%s\"\n", shown(e.nameText).c_str());
        if (!e.note.empty()) std::fprintf(out, "      note \"%s\"\n", shown(e.note).c_str());
        if (!e.userIds.empty()) {
            std::fprintf(out, "      users");
            for (uint32_t id : e.userIds) std::fprintf(out, " %u", id);
            std::fprintf(out, "\n");
        }
    }
    if (!catalogueOk) {
        *error = catalogueError;
        return false;
    }
    return true;
}
