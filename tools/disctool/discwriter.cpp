// Writes discs that the viewer's loader reads back: the payload sections in their stored form,
// the trailer, and the encrypted content in data files beside the viewer.
#include "discwriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

#include "startup/scramble.h"
#include "startup/storedvalues.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t USER_MAX_PASSWORD_TEXT = 1023;  // the password dialog's buffer, salt included

void putLe32(std::string* out, uint32_t v) {
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    out->append(b, 4);
}

void putLe16(std::string* out, uint16_t v) {
    const char b[2] = {static_cast<char>(v), static_cast<char>(v >> 8)};
    out->append(b, 2);
}

void putText(std::string* out, const std::string& text) {
    putLe32(out, static_cast<uint32_t>(text.size()));
    out->append(text);
}

void foldWith(const char* key, std::string* bytes) {
    if (bytes->empty()) return;
    xorFold(key, reinterpret_cast<uint8_t*>(&(*bytes)[0]), static_cast<int32_t>(bytes->size()));
}

std::string folded(std::string bytes) {
    foldWithPayloadKey(&bytes);
    return bytes;
}

bool putField(char* field, size_t size, const std::string& text, const char* what,
              std::string* error) {
    if (text.size() >= size) {
        *error = std::string(what) + " is longer than " + std::to_string(size - 1) + " bytes";
        return false;
    }
    if (text.find('\0') != std::string::npos) {
        *error = std::string(what) + " contains a zero byte";
        return false;
    }
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size());
    return true;
}

bool hasContent(const DiscEntry& e) {
    return !e.sourcePath.empty() || e.contentBytes.has_value();
}

// Encrypts one chunk in place by the entry's EncFlags, as the viewer chooses its decryption:
// BitCrypt wins over SCRAMBLE; neither stores the bytes as they are.
void encryptChunk(uint32_t encFlags, const char* key, uint8_t* data, uint32_t length) {
    if (encFlags & ENC_BITCRYPT)
        xorFold(key, data, static_cast<int32_t>(length));
    else if (encFlags & ENC_SCRAMBLE)
        scrambleBlocks(key, data, static_cast<int32_t>(length));
}

struct FileCloser {
    void operator()(FILE* f) const {
        if (f) std::fclose(f);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

struct DataFile {
    FilePtr file;
    uint64_t size = 0;
};

}  // namespace

uint32_t encFlagsOf(ContentMethod method) {
    switch (method) {
    case ContentMethod::BitCrypt: return ENC_ENCRYPTED | ENC_FULL | ENC_BITCRYPT;
    case ContentMethod::Scramble: return ENC_ENCRYPTED | ENC_FULL | ENC_SCRAMBLE;
    case ContentMethod::Plain: return 0;
    }
    return 0;
}

void addPresenceFlags(DiscSpec* spec) {
    if (!spec->background.bytes.empty()) spec->flags |= FLAG_BACKGROUND;
    if (!spec->logo.bytes.empty()) spec->flags |= FLAG_LOGO;
    bool customAbout = false;
    for (const auto& line : spec->aboutLines) customAbout = customAbout || !line.empty();
    if (!spec->about.bytes.empty()) {
        spec->flags |= FLAG_ABOUT_PICTURE;
        customAbout = true;
    }
    if (customAbout) spec->flags |= FLAG_CUSTOM_ABOUT;
    if (!spec->splashText.empty()) spec->flags |= FLAG_TEXT_SHOWN;
    if (!spec->password.empty()) spec->flags |= FLAG_PASSWORD;
    if (!spec->licence.empty()) spec->flags |= FLAG_LICENCE;
    if (!spec->font.bytes.empty()) spec->textFlags |= TEXT_CUSTOM_FONT;
}

std::string discContentKey(const DiscSpec& spec) {
    if (spec.password.empty()) return spec.contentKey;
    return spec.password + PASSWORD_SALT;
}

std::string passwordCheckBlock(const std::string& masterPassword) {
    std::string block(storedvalues::plainPasswordCheck, storedvalues::PASSWORD_CHECK_LENGTH);
    const std::string key = masterPassword + PASSWORD_SALT;
    xorFoldIndexed(key.c_str(), reinterpret_cast<uint8_t*>(&block[0]),
                   static_cast<int32_t>(block.size()));
    return block;
}

void foldWithPayloadKey(std::string* bytes) {
    foldWith(storedvalues::plainPayloadKey, bytes);
}

// Catalogue record (plain): Id, ParentId, Kind, Size, Aux, EncFlags, IdNumber, UserIdCount
// (32-bit each); file name, note, name text (32-bit length + bytes each); UserIdCount user IDs;
// for files only: content path (length + bytes) and content offset.
std::string encodeCatalogueRecord(const DiscEntry& e) {
    if (e.rawRecord) return *e.rawRecord;
    std::string r;
    putLe32(&r, e.id);
    putLe32(&r, e.parentId);
    putLe32(&r, e.kind);
    putLe32(&r, e.size);
    putLe32(&r, e.aux);
    putLe32(&r, e.encFlags);
    putLe32(&r, static_cast<uint32_t>(e.idNumber));
    putLe32(&r, static_cast<uint32_t>(e.userIds.size()));
    putText(&r, e.fileName);
    putText(&r, e.note);
    putText(&r, e.nameText);
    for (uint32_t id : e.userIds) putLe32(&r, id);
    if ((e.kind & KIND_NO_CONTENT_MASK) == 0) {
        putText(&r, e.contentPath);
        putLe32(&r, e.contentOffset);
    }
    return r;
}

// User record: fixed part (word0, user ID, flags, word3, SYSTEMTIME expiry), then name,
// password text, key, note as length + bytes; every piece folded on its own, the key folded
// with the password text before its payloadKey fold.
std::string encodeUserRecord(const DiscUser& u, const std::string& contentKey) {
    std::string fixed;
    putLe32(&fixed, u.word0);
    putLe32(&fixed, u.userId);
    putLe32(&fixed, u.flags);
    putLe32(&fixed, u.word3);
    for (uint16_t v : u.expiry) putLe16(&fixed, v);

    const std::string passwordText = u.passwordText ? *u.passwordText : u.password + PASSWORD_SALT;
    std::string key = u.key ? *u.key : contentKey;
    foldWith(passwordText.c_str(), &key);

    std::string r = folded(fixed);
    const std::string* texts[4] = {&u.name, &passwordText, &key, &u.note};
    for (const std::string* text : texts) {
        std::string length;
        putLe32(&length, static_cast<uint32_t>(text->size()));
        r += folded(length);
        r += folded(*text);
    }
    return r;
}

bool encodeHeader(const DiscSpec& spec, PayloadHeader* h, std::string* error) {
    std::memset(h, 0, sizeof *h);
    h->flags = spec.flags;
    h->textFlags = spec.textFlags;
    h->splashColour = spec.splashColour;
    h->logoKeyColour = spec.logoKeyColour;
    h->textColour = spec.textColour;
    h->shadowColour = spec.shadowColour;
    h->fontHeight = spec.fontHeight;
    h->shadowX = spec.shadowX;
    h->shadowY = spec.shadowY;
    h->textX = spec.textX;
    h->textY = spec.textY;
    h->logoX = spec.logoX;
    h->logoY = spec.logoY;
    if (!putField(h->fontFileName, TEXT_FIELD_SIZE, spec.font.fileName, "font file name", error) ||
        !putField(h->fontFaceName, TEXT_FIELD_SIZE, spec.font.faceName, "font face name", error) ||
        !putField(h->backgroundPath, TEXT_FIELD_SIZE, spec.background.storedPath, "background path", error) ||
        !putField(h->logoPath, TEXT_FIELD_SIZE, spec.logo.storedPath, "logo path", error) ||
        !putField(h->aboutPath, TEXT_FIELD_SIZE, spec.about.storedPath, "About picture path", error) ||
        !putField(h->splashText, SPLASH_TEXT_SIZE, spec.splashText, "splash text", error))
        return false;
    for (int i = 0; i < 3; ++i)
        if (!putField(h->aboutLines[i], TEXT_FIELD_SIZE, spec.aboutLines[i], "About line", error))
            return false;

    if (spec.contentKeyField) {
        if (spec.contentKeyField->size() > TEXT_FIELD_SIZE) {
            *error = "contentKey field is longer than 255 bytes";
            return false;
        }
        std::memcpy(h->contentKey, spec.contentKeyField->data(), spec.contentKeyField->size());
    } else if (!spec.password.empty()) {
        // After a master login the content key is password + salt, and it must fit the field.
        if (discContentKey(spec).size() >= TEXT_FIELD_SIZE) {
            *error = "the master password is longer than 250 characters";
            return false;
        }
        const std::string block = passwordCheckBlock(spec.password);
        std::memcpy(h->contentKey, block.data(), block.size());
    } else if (!putField(h->contentKey, TEXT_FIELD_SIZE, spec.contentKey, "content key", error)) {
        return false;
    }
    return true;
}

bool buildPayloadParts(const DiscSpec& spec, PayloadParts* parts, std::string* error) {
    *parts = PayloadParts();
    PayloadHeader header;
    if (!encodeHeader(spec, &header, error)) return false;
    parts->header.assign(reinterpret_cast<const char*>(&header), sizeof header);
    foldWithPayloadKey(&parts->header);

    for (const DiscEntry& e : spec.entries) parts->catalogue += encodeCatalogueRecord(e);
    foldWithPayloadKey(&parts->catalogue);
    parts->itemCount = static_cast<uint32_t>(spec.entries.size());

    const std::string contentKey = discContentKey(spec);
    for (const DiscUser& u : spec.users) {
        const std::string text = u.passwordText ? *u.passwordText : u.password + PASSWORD_SALT;
        if (text.size() > USER_MAX_PASSWORD_TEXT) {
            *error = "the password of user " + u.name + " is too long";
            return false;
        }
        parts->users += encodeUserRecord(u, contentKey);
    }
    parts->userCount = static_cast<uint32_t>(spec.users.size());

    parts->licence = folded(spec.licence);
    parts->background = folded(spec.background.bytes);
    parts->logo = folded(spec.logo.bytes);
    parts->about = folded(spec.about.bytes);
    parts->font = folded(spec.font.bytes);
    parts->unused11 = spec.unused11;

    const uint64_t total = uint64_t(parts->catalogue.size()) + parts->users.size() +
                           parts->licence.size() + parts->header.size() +
                           parts->background.size() + parts->logo.size() + parts->about.size() +
                           parts->font.size();
    if (total > 0x7FFFFFFFull) {
        *error = "the payload is larger than 2 GiB";
        return false;
    }
    return true;
}

PayloadTrailer trailerFor(const PayloadParts& p, uint32_t catalogueOffset) {
    PayloadTrailer t;
    t.catalogueOffset = catalogueOffset;
    t.catalogueSize = static_cast<uint32_t>(p.catalogue.size());
    t.itemCount = p.itemCount;
    t.userSize = static_cast<uint32_t>(p.users.size());
    t.userCount = p.userCount;
    t.licenceSize = static_cast<uint32_t>(p.licence.size());
    t.headerSize = static_cast<uint32_t>(p.header.size());
    t.backgroundSize = static_cast<uint32_t>(p.background.size());
    t.logoSize = static_cast<uint32_t>(p.logo.size());
    t.aboutSize = static_cast<uint32_t>(p.about.size());
    t.fontSize = static_cast<uint32_t>(p.font.size());
    t.unused11 = p.unused11;
    t.magic = PAYLOAD_MAGIC;
    return t;
}

std::string encodeTrailer(const PayloadTrailer& t) {
    std::string out;
    for (uint32_t v : {t.catalogueOffset, t.catalogueSize, t.itemCount, t.userSize, t.userCount,
                       t.licenceSize, t.headerSize, t.backgroundSize, t.logoSize, t.aboutSize,
                       t.fontSize, t.unused11, t.magic})
        putLe32(&out, v);
    return out;
}

std::string assemblePayload(const PayloadParts& p, uint32_t catalogueOffset) {
    std::string out = p.catalogue + p.users + p.licence + p.header + p.background + p.logo +
                      p.about + p.font;
    out += encodeTrailer(trailerFor(p, catalogueOffset));
    return out;
}

bool contentPathUnder(const std::string& outFolder, const std::string& contentPath,
                      std::string* hostPath) {
    if (contentPath.empty() || contentPath[0] == '\\' || contentPath[0] == '/' ||
        contentPath.find(':') != std::string::npos)
        return false;
    std::string result = outFolder;
    size_t start = 0;
    while (start <= contentPath.size()) {
        size_t end = contentPath.find_first_of("\\/", start);
        if (end == std::string::npos) end = contentPath.size();
        const std::string part = contentPath.substr(start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find('\0') != std::string::npos)
            return false;
        result += "/" + part;
        start = end + 1;
    }
    *hostPath = result;
    return true;
}

bool readWholeFile(const std::string& path, std::string* bytes, std::string* error) {
    FilePtr f(std::fopen(path.c_str(), "rb"));
    if (!f) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes->clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) bytes->append(buffer, n);
    if (std::ferror(f.get())) {
        *error = "cannot read " + path;
        return false;
    }
    return true;
}

bool writeContentFiles(DiscSpec* spec, const std::string& outFolder, std::string* error) {
    const std::string key = discContentKey(*spec);
    std::map<std::string, DataFile> files;
    std::vector<uint8_t> buffer(CHUNK_SIZE);

    for (DiscEntry& e : spec->entries) {
        if (!hasContent(e)) continue;
        if (e.kind & KIND_NO_CONTENT_MASK) {
            *error = "item " + e.fileName + " has content but is not a file";
            return false;
        }
        std::string hostPath;
        if (!contentPathUnder(outFolder, e.contentPath, &hostPath)) {
            *error = "content path \"" + e.contentPath + "\" of " + e.fileName +
                     " does not name a file inside the disc folder";
            return false;
        }
        DataFile& data = files[hostPath];
        if (!data.file) {
            std::error_code ec;
            fs::create_directories(fs::path(hostPath).parent_path(), ec);
            data.file.reset(std::fopen(hostPath.c_str(), "wb"));
            if (!data.file) {
                *error = "cannot create " + hostPath + ": " + std::strerror(errno);
                return false;
            }
        }
        if (data.size > 0xFFFFFFFFull) {
            *error = "data file " + e.contentPath + " is too large for another item's offset";
            return false;
        }
        e.contentOffset = static_cast<uint32_t>(data.size);

        FilePtr source;
        if (!e.sourcePath.empty()) {
            source.reset(std::fopen(e.sourcePath.c_str(), "rb"));
            if (!source) {
                *error = "cannot open " + e.sourcePath + ": " + std::strerror(errno);
                return false;
            }
        }
        uint64_t written = 0;
        size_t memoryPos = 0;
        for (;;) {
            // Chunks hold whole 16-byte blocks, so only the last one has a SCRAMBLE tail.
            size_t n;
            if (source) {
                n = std::fread(buffer.data(), 1, buffer.size(), source.get());
                if (n < buffer.size() && std::ferror(source.get())) {
                    *error = "cannot read " + e.sourcePath;
                    return false;
                }
            } else {
                n = std::min(buffer.size(), e.contentBytes->size() - memoryPos);
                std::memcpy(buffer.data(), e.contentBytes->data() + memoryPos, n);
                memoryPos += n;
            }
            if (n == 0) break;
            if (written + n > 0xFFFFFFFFull) {
                *error = e.sourcePath + " is larger than 4 GiB - 1 bytes";
                return false;
            }
            encryptChunk(e.encFlags, key.c_str(), buffer.data(), static_cast<uint32_t>(n));
            if (std::fwrite(buffer.data(), 1, n, data.file.get()) != n) {
                *error = "cannot write " + hostPath + ": " + std::strerror(errno);
                return false;
            }
            written += n;
            if (n < buffer.size()) break;
        }
        e.size = static_cast<uint32_t>(written);
        data.size += written;
    }
    for (auto& entry : files) {
        if (std::fclose(entry.second.file.release()) != 0) {
            *error = "cannot finish " + entry.first;
            return false;
        }
    }
    return true;
}

bool writeViewerWithPayload(const std::string& viewerPath, const std::string& outPath,
                            const PayloadParts& parts, std::string* error) {
    std::string viewer;
    if (!readWholeFile(viewerPath, &viewer, error)) return false;
    if (viewer.size() > 0x7FFFFFFFull) {
        *error = viewerPath + " is too large to be a viewer";
        return false;
    }
    const std::string payload = assemblePayload(parts, static_cast<uint32_t>(viewer.size()));
    FilePtr out(std::fopen(outPath.c_str(), "wb"));
    if (!out) {
        *error = "cannot create " + outPath + ": " + std::strerror(errno);
        return false;
    }
    if (std::fwrite(viewer.data(), 1, viewer.size(), out.get()) != viewer.size() ||
        std::fwrite(payload.data(), 1, payload.size(), out.get()) != payload.size() ||
        std::fclose(out.release()) != 0) {
        *error = "cannot write " + outPath;
        return false;
    }
    return true;
}

bool writeDisc(DiscSpec* spec, const std::string& viewerPath, const std::string& outFolder,
               std::string* error) {
    // Settings are checked before anything is created.
    PayloadParts parts;
    if (!buildPayloadParts(*spec, &parts, error)) return false;
    std::error_code ec;
    if (!fs::is_regular_file(viewerPath, ec)) {
        *error = "no viewer file at " + viewerPath;
        return false;
    }
    fs::create_directories(outFolder, ec);
    if (!fs::is_directory(outFolder, ec)) {
        *error = "cannot create folder " + outFolder;
        return false;
    }
    const std::string outPath = (fs::path(outFolder) / fs::path(viewerPath).filename()).string();
    if (fs::exists(outPath, ec) && fs::equivalent(outPath, viewerPath, ec)) {
        *error = "the output would overwrite the viewer it copies: " + viewerPath;
        return false;
    }
    if (!writeContentFiles(spec, outFolder, error)) return false;
    if (!buildPayloadParts(*spec, &parts, error)) return false;
    return writeViewerWithPayload(viewerPath, outPath, parts, error);
}
