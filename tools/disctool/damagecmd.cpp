// Damaged discs: a valid disc is built with the writer library, then exactly one thing is
// broken in its payload bytes, its catalogue or its data files.
#include "damagecmd.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "discwriter.h"

namespace fs = std::filesystem;

namespace {

struct KindName {
    const char* name;
    DamageKind kind;
};

const KindName KIND_NAMES[] = {
    {"truncated", DamageKind::Truncated},
    {"trailer-past-end", DamageKind::TrailerPastEnd},
    {"user-length-past-section", DamageKind::UserLengthPastSection},
    {"user-count-too-large", DamageKind::UserCountTooLarge},
    {"catalogue-count-too-large", DamageKind::CatalogueCountTooLarge},
    {"hostile-names", DamageKind::HostileNames},
    {"short-data", DamageKind::ShortData},
    {"missing-data", DamageKind::MissingData},
};

const char USAGE[] =
    "usage: disctool damage KIND --viewer VIEWER.EXE --from FOLDER --out FOLDER\n"
    "KIND: truncated | trailer-past-end | user-length-past-section | user-count-too-large |\n"
    "      catalogue-count-too-large | hostile-names | short-data | missing-data\n";

const uint32_t ROOT_ID = 1;
const char NAMES_DATA[] = "data\\names.dat";

std::string le32(uint32_t v) {
    const char b[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
    return std::string(b, 4);
}

bool usesUsers(DamageKind kind) {
    return kind == DamageKind::UserLengthPastSection || kind == DamageKind::UserCountTooLarge;
}

// Names that no export or View/Open may turn into a path, each a file of the root with its
// own content, so that a file written under any of them would show.
void addHostileEntries(std::vector<DiscEntry>* entries) {
    uint32_t nextId = 1;
    for (const DiscEntry& e : *entries) nextId = std::max(nextId, e.id + 1);
    auto addFile = [&](uint32_t parentId, const std::string& name) {
        DiscEntry e;
        e.id = nextId++;
        e.parentId = parentId;
        e.kind = KIND_FILE;
        e.encFlags = encFlagsOf(ContentMethod::BitCrypt);
        e.fileName = name;
        e.contentPath = NAMES_DATA;
        e.contentBytes = "written under the name " + name + "\r\n";
        entries->push_back(e);
    };
    for (const char* name : {"..\\evil.txt", "C:\\absolute.txt", "\\\\server\\share.txt", "CON", "nul.txt",
                             "COM1.log", "a/b.txt", "trailing."})
        addFile(ROOT_ID, name);
    // The viewer keeps 255 bytes of a longer name; what is left is still too long for a path.
    addFile(ROOT_ID, std::string(296, 'n') + ".txt");
    DiscEntry folder;
    folder.id = nextId++;
    folder.parentId = ROOT_ID;
    folder.kind = KIND_FOLDER;
    folder.fileName = "..";
    entries->push_back(folder);
    addFile(folder.id, "inside.txt");
    addFile(ROOT_ID, "good.txt");
}

// The first file with content in catalogue order.
const DiscEntry* firstFileWithContent(const std::vector<DiscEntry>& entries) {
    for (const DiscEntry& e : entries)
        if (e.kind == KIND_FILE && e.size > 0) return &e;
    return nullptr;
}

bool writeBytes(const std::string& path, const std::string& bytes, std::string* error) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        *error = "cannot create " + path;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

// The stored payload of parts with one thing broken, for a viewer file of viewerSize bytes.
std::string damagedPayload(DamageKind kind, PayloadParts parts, uint32_t viewerSize, std::string* description) {
    PayloadTrailer trailer = trailerFor(parts, viewerSize);
    switch (kind) {
    case DamageKind::Truncated: {
        const std::string whole = assemblePayload(parts, viewerSize);
        const size_t sections = whole.size() - TRAILER_SIZE;
        *description = "payload cut from " + std::to_string(sections) + " to " + std::to_string(sections / 2) +
                       " bytes before the trailer";
        return whole.substr(0, sections / 2) + encodeTrailer(trailer);
    }
    case DamageKind::TrailerPastEnd: {
        const std::string whole = assemblePayload(parts, viewerSize);
        trailer.catalogueOffset = static_cast<uint32_t>(viewerSize + whole.size() + 4096);
        *description = "T0 is " + std::to_string(trailer.catalogueOffset) + ", past the end of the file";
        return whole.substr(0, whole.size() - TRAILER_SIZE) + encodeTrailer(trailer);
    }
    case DamageKind::UserLengthPastSection: {
        // The name length word follows the 32-byte fixed part; every piece is folded on its own.
        std::string length = le32(static_cast<uint32_t>(parts.users.size()));
        foldWithPayloadKey(&length);
        parts.users.replace(USER_FIXED_SIZE, 4, length);
        *description = "the first user's name length is " + std::to_string(parts.users.size()) +
                       ", the user section holds " + std::to_string(parts.users.size() - USER_FIXED_SIZE - 4) +
                       " bytes after it";
        return assemblePayload(parts, viewerSize);
    }
    case DamageKind::UserCountTooLarge:
        ++parts.userCount;
        *description = "T4 is " + std::to_string(parts.userCount) + ", one more than the user records";
        return assemblePayload(parts, viewerSize);
    case DamageKind::CatalogueCountTooLarge:
        *description = "T2 is " + std::to_string(parts.itemCount + 2) + ", the catalogue holds " +
                       std::to_string(parts.itemCount) + " records";
        parts.itemCount += 2;
        return assemblePayload(parts, viewerSize);
    default:
        return assemblePayload(parts, viewerSize);
    }
}

}  // namespace

bool parseDamageKind(const std::string& name, DamageKind* kind) {
    for (const KindName& k : KIND_NAMES)
        if (name == k.name) {
            *kind = k.kind;
            return true;
        }
    return false;
}

bool writeDamagedDisc(DamageKind kind, const std::string& viewerPath, const std::string& folder,
                      const std::string& outFolder, std::string* description, std::string* error) {
    DiscSpec spec;
    FolderOptions options;
    options.dataFileLimit = 1;
    if (usesUsers(kind)) {
        spec.password = "master";
        DiscUser user;
        user.userId = 1;
        user.flags = 1;
        user.name = "Ann";
        user.password = "ann";
        spec.users.push_back(user);
        options.userIds.push_back(user.userId);
    } else {
        spec.contentKey = "Orvanta open disc";
    }
    addPresenceFlags(&spec);
    if (!buildFolderCatalogue(folder, options, {}, &spec.entries, error)) return false;
    if (kind == DamageKind::HostileNames) addHostileEntries(&spec.entries);

    if (!writeDisc(&spec, viewerPath, outFolder, error)) return false;
    const std::string outPath = (fs::path(outFolder) / fs::path(viewerPath).filename()).string();

    switch (kind) {
    case DamageKind::HostileNames:
        *description = "catalogue names that are not plain file names, and good.txt";
        return true;
    case DamageKind::ShortData:
    case DamageKind::MissingData: {
        const DiscEntry* victim = firstFileWithContent(spec.entries);
        std::string dataPath;
        if (!victim || !contentPathUnder(outFolder, victim->contentPath, &dataPath)) {
            *error = folder + " holds no file with content to damage";
            return false;
        }
        std::error_code ec;
        if (kind == DamageKind::MissingData) {
            fs::remove(dataPath, ec);
            *description = victim->contentPath + " of \"" + victim->fileName + "\" deleted";
        } else {
            const uint64_t cut = uint64_t(victim->contentOffset) + victim->size / 2;
            fs::resize_file(dataPath, cut, ec);
            *description = victim->contentPath + " of \"" + victim->fileName + "\" cut to " + std::to_string(cut) +
                           " bytes; its content ends at " + std::to_string(uint64_t(victim->contentOffset) + victim->size);
        }
        if (ec) {
            *error = "cannot damage " + dataPath + ": " + ec.message();
            return false;
        }
        return true;
    }
    default:
        break;
    }

    std::string viewer;
    if (!readWholeFile(viewerPath, &viewer, error)) return false;
    PayloadParts parts;
    if (!buildPayloadParts(spec, &parts, error)) return false;
    const std::string payload = damagedPayload(kind, parts, static_cast<uint32_t>(viewer.size()), description);
    return writeBytes(outPath, viewer + payload, error);
}

int runDamageCommand(int argc, char** argv) {
    if (argc < 1) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    DamageKind kind;
    if (!parseDamageKind(argv[0], &kind)) {
        std::fprintf(stderr, "disctool: unknown damage kind %s\n%s", argv[0], USAGE);
        return 2;
    }
    std::string viewer, from, out;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "disctool: %s needs a value\n%s", opt.c_str(), USAGE);
            return 2;
        }
        const std::string value = argv[++i];
        if (opt == "--viewer") viewer = value;
        else if (opt == "--from") from = value;
        else if (opt == "--out") out = value;
        else {
            std::fprintf(stderr, "disctool: unknown option %s\n%s", opt.c_str(), USAGE);
            return 2;
        }
    }
    if (viewer.empty() || from.empty() || out.empty()) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    std::string description, error;
    if (!writeDamagedDisc(kind, viewer, from, out, &description, &error)) {
        std::fprintf(stderr, "disctool: %s\n", error.c_str());
        return 1;
    }
    std::printf("disctool: wrote %s damaged: %s\n", (fs::path(out) / fs::path(viewer).filename()).string().c_str(),
                description.c_str());
    return 0;
}
