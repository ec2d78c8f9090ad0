// list and extract: a disc read back through the viewer's payload parsing, login decision,
// catalogue model and export plan, so the tool writes exactly what the viewer's Export writes.
#include "extractcmd.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <vector>

#include "discwriter.h"
#include "extract/extract.h"
#include "startup/scramble.h"
#include "startup/storedvalues.h"

namespace fs = std::filesystem;

namespace {

// Native paths take up to PATH_MAX bytes with the terminator.
constexpr size_t NATIVE_PATH_LIMIT = 4095;

// Names from the disc as one printable line.
std::string shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c != 0x7F) {
            out += static_cast<char>(c);
        } else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        }
    }
    return out;
}

const char* methodName(uint32_t encFlags) {
    if (encFlags & ENC_BITCRYPT) return "BitCrypt";
    if (encFlags & ENC_SCRAMBLE) return "SCRAMBLE";
    if (!(encFlags & ENC_ENCRYPTED)) return "not encrypted";
    return "unsupported method";
}

std::string sectionBytes(const std::string& file, const SectionSpan& span) {
    std::string bytes = file.substr(static_cast<size_t>(span.offset), span.size);
    xorFold(storedvalues::plainPayloadKey, reinterpret_cast<uint8_t*>(&bytes[0]), static_cast<int32_t>(bytes.size()));
    return bytes;
}

// The first child node of parent (or the first top-level node) labelled name.
int32_t childFolderNamed(const CatalogueModel& model, int32_t parent, const std::string& name) {
    for (int32_t n = model.nodes[parent].firstChild; n != NO_NODE; n = model.nodes[n].nextSibling) {
        const CryptItem* item = itemOfNode(model, n);
        if (item && item->hasFileName && item->FileName == name) return n;
    }
    return NO_NODE;
}

// The folder item at path below the first root; '/' or '\\' between names.
const CryptItem* folderAt(const CatalogueModel& model, const std::string& path, std::string* error) {
    int32_t node = model.firstTopNode;
    if (node == NO_NODE) {
        *error = "the disc has no root folder";
        return nullptr;
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        if (!name.empty()) {
            const int32_t child = childFolderNamed(model, node, name);
            if (child == NO_NODE) {
                *error = "no folder \"" + shown(name) + "\" in the disc at \"" + shown(path) + "\"";
                return nullptr;
            }
            node = child;
        }
        start = end + 1;
    }
    return itemOfNode(model, node);
}

struct ExportRun {
    std::string contentKey;
    const LoadedDisc* disc;
    ExtractSummary* summary;
    const volatile int32_t* abortFlag;
};

bool makeFolder(const std::string& path, void* context) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (fs::is_directory(path, ec)) return true;
    std::fprintf(stderr, "disctool: cannot create folder %s; nothing inside it was exported\n", path.c_str());
    ++static_cast<ExportRun*>(context)->summary->failures;
    return false;
}

ExtractResult writeFile(const CryptItem& item, const std::string& target, void* context) {
    ExportRun& run = *static_cast<ExportRun*>(context);
    const std::string content =
        resolveContentPath(run.disc->viewerFolder, item.hasContentPath ? item.ContentPath : std::string(), '/');
    const ExtractResult result = extractItemContentTo(item, content.c_str(), run.contentKey.c_str(), target.c_str(),
                                                      run.abortFlag);
    const char* why = nullptr;
    switch (result) {
    case ExtractResult::Done:
        ++run.summary->files;
        run.summary->bytes += item.Size;
        return result;
    case ExtractResult::Aborted: return result;
    case ExtractResult::ContentNotOpened: why = "cannot open its data file"; break;
    case ExtractResult::TargetNotCreated: why = "cannot create the file"; break;
    case ExtractResult::ContentTooShort: why = "its data file ends before its content"; break;
    case ExtractResult::UnsupportedMethod: why = "it is encrypted with a method the viewer cannot undo"; break;
    case ExtractResult::NoMemory: why = "no memory for the stream buffer"; break;
    case ExtractResult::WriteFailed: why = "cannot write the file (disk full?)"; break;
    }
    std::fprintf(stderr, "disctool: %s not exported: %s\n", target.c_str(), why);
    ++run.summary->failures;
    return result;
}

void refused(const ExportStep& step, void* context) {
    const char* what = step.item->Kind == KIND_FILE ? "file" : "folder (with everything in it)";
    if (step.kind == ExportStepKind::RefusedName)
        std::fprintf(stderr, "disctool: %s \"%s\" in %s not exported: the name cannot be used\n", what,
                     shown(nameOf(*step.item)).c_str(), step.path.c_str());
    else
        std::fprintf(stderr, "disctool: %s \"%s\" in %s not exported: the path would be too long\n", what,
                     shown(nameOf(*step.item)).c_str(), step.path.c_str());
    ++static_cast<ExportRun*>(context)->summary->failures;
}

// The content key after logging in as the viewer does, and the account that logged in.
bool logIn(const LoadedDisc& disc, const ExtractRequest& request, std::string* contentKey,
           const UserAccount** user, std::string* error) {
    *user = nullptr;
    if (!(disc.header.flags & FLAG_PASSWORD)) {
        *contentKey = std::string(disc.header.contentKey, strnlen(disc.header.contentKey, TEXT_FIELD_SIZE));
        return true;
    }
    if (!request.passwordGiven) {
        *error = "the disc asks for a password: give --password";
        return false;
    }
    const LoginDecision decision =
        decideLogin(disc.header.contentKey, storedvalues::plainPasswordCheck, request.password.c_str(), disc.users);
    switch (decision.outcome) {
    case LoginOutcome::Master:
    case LoginOutcome::User: break;
    case LoginOutcome::UserWithoutKey:
        *error = "User " + decision.user->name + " password corrupt.";
        return false;
    case LoginOutcome::Wrong:
        *error = "Password incorrect.";
        return false;
    }
    const std::time_t now = std::time(nullptr);
    std::tm today = {};
    gmtime_r(&now, &today);
    if (isExpiredOn(decision.user, today.tm_year + 1900, today.tm_mon + 1, today.tm_mday)) {
        *error = "the account of " + decision.user->name + " has expired";
        return false;
    }
    *contentKey = decision.newContentKey;
    *user = decision.user;
    return true;
}

volatile int32_t interrupted = 0;

void onInterrupt(int) {
    interrupted = 1;
}

const char USAGE[] =
    "usage:\n"
    "  disctool list VIEWER.EXE\n"
    "  disctool extract VIEWER.EXE --to FOLDER [--password P] [--folder PATH-IN-DISC]\n";

}  // namespace

bool loadDisc(const std::string& viewerFile, LoadedDisc* disc, std::string* error) {
    std::string file;
    if (!readWholeFile(viewerFile, &file, error)) return false;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    const uint64_t size = file.size();
    PayloadTrailer trailer;
    PayloadLayout layout;
    const LayoutResult result =
        payloadLayout(size >= TRAILER_SIZE ? bytes + size - TRAILER_SIZE : nullptr, size, &trailer, &layout);
    if (result == LayoutResult::BadMagic) {
        *error = viewerFile + " holds no disc payload";
        return false;
    }
    if (result == LayoutResult::Damaged) {
        *error = viewerFile + ": the payload is damaged (a section runs past the trailer)";
        return false;
    }
    unfoldHeader(bytes + layout.header.offset, storedvalues::plainPayloadKey, &disc->header);

    std::vector<ParsedUser> records;
    if (parseUserSection(bytes + layout.users.offset, layout.users.size, trailer.userCount,
                         storedvalues::plainPayloadKey, &records) != UserParseResult::Ok) {
        *error = viewerFile + ": the user section is damaged";
        return false;
    }
    disc->users.clear();
    for (const ParsedUser& record : records) addUser(disc->users, record);

    const std::string catalogue = sectionBytes(file, layout.catalogue);
    loadCatalogueRecords(reinterpret_cast<const uint8_t*>(catalogue.data()), catalogue.size(), trailer.itemCount,
                         &disc->catalogue);
    const fs::path folder = fs::path(viewerFile).parent_path();
    disc->viewerFolder = folder.empty() ? "." : folder.string();
    return true;
}

bool extractDisc(const ExtractRequest& request, ExtractSummary* summary, std::string* error,
                 const volatile int32_t* abortFlag) {
    LoadedDisc disc;
    if (!loadDisc(request.viewerFile, &disc, error)) return false;
    ExportRun run{std::string(), &disc, summary, abortFlag};
    const UserAccount* user = nullptr;
    if (!logIn(disc, request, &run.contentKey, &user, error)) return false;
    if (user && !(user->flags & USER_MAY_EXPORT)) {
        *error = "You do not have permissions to export.";
        return false;
    }
    if (disc.header.flags & FLAG_EXPORT_DISABLED) {
        *error = "export is switched off for this disc";
        return false;
    }
    const CryptItem* folder = folderAt(disc.catalogue, request.folder, error);
    if (!folder) return false;

    std::error_code ec;
    fs::create_directories(request.destination, ec);
    if (!fs::is_directory(request.destination, ec)) {
        *error = "cannot create " + request.destination;
        return false;
    }
    std::string destination = request.destination;
    while (destination.size() > 1 && destination.back() == '/') destination.pop_back();
    const std::vector<ExportStep> steps =
        planFolderExport(disc.catalogue, *folder, destination, '/', NATIVE_PATH_LIMIT);
    const ExportActions actions = {makeFolder, writeFile, refused, &run};
    summary->aborted = runExportPlan(steps, actions, abortFlag) == ExportEnd::Aborted;
    return true;
}

int runListCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    LoadedDisc disc;
    std::string error;
    if (!loadDisc(argv[0], &disc, &error)) {
        std::fprintf(stderr, "disctool: %s\n", error.c_str());
        return 1;
    }
    // Every root and its sub-tree, in tree order, as the export would walk them.
    for (int32_t top = disc.catalogue.firstTopNode; top != NO_NODE; top = disc.catalogue.nodes[top].nextSibling) {
        const CryptItem* item = itemOfNode(disc.catalogue, top);
        if (!item) continue;
        for (const ExportStep& step : planFolderExport(disc.catalogue, *item, "", '/', SIZE_MAX)) {
            const std::string path = shown(step.path.substr(step.path.empty() ? 0 : 1));
            switch (step.kind) {
            case ExportStepKind::MakeFolder: std::printf("%s/\n", path.c_str()); break;
            case ExportStepKind::WriteFile:
                std::printf("%s  %u bytes  %s\n", path.c_str(), step.item->Size, methodName(step.item->EncFlags));
                break;
            case ExportStepKind::RefusedName:
            case ExportStepKind::RefusedLength:
                std::printf("%s%s\"%s\"  (name cannot be used; not exported)\n", path.c_str(), path.empty() ? "" : "/",
                            shown(nameOf(*step.item)).c_str());
                break;
            }
        }
    }
    return 0;
}

int runExtractCommand(int argc, char** argv) {
    ExtractRequest request;
    for (int i = 0; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt.compare(0, 2, "--") != 0) {
            if (!request.viewerFile.empty()) {
                std::fprintf(stderr, "disctool: unexpected argument %s\n%s", opt.c_str(), USAGE);
                return 2;
            }
            request.viewerFile = opt;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "disctool: %s needs a value\n", opt.c_str());
            return 2;
        }
        const std::string value = argv[++i];
        if (opt == "--to") {
            request.destination = value;
        } else if (opt == "--password") {
            request.password = value;
            request.passwordGiven = true;
        } else if (opt == "--folder") {
            request.folder = value;
        } else {
            std::fprintf(stderr, "disctool: unknown option %s\n%s", opt.c_str(), USAGE);
            return 2;
        }
    }
    if (request.viewerFile.empty() || request.destination.empty()) {
        std::fprintf(stderr, "disctool: extract needs VIEWER.EXE and --to FOLDER\n%s", USAGE);
        return 2;
    }
    std::signal(SIGINT, onInterrupt);
    ExtractSummary summary;
    std::string error;
    if (!extractDisc(request, &summary, &error, &interrupted)) {
        std::fprintf(stderr, "disctool: %s\n", error.c_str());
        return 1;
    }
    if (summary.aborted) {
        std::fprintf(stderr, "disctool: interrupted; %s holds the files exported before\n", request.destination.c_str());
        return 1;
    }
    std::printf("disctool: exported %llu files (%llu bytes) to %s", static_cast<unsigned long long>(summary.files),
                static_cast<unsigned long long>(summary.bytes), request.destination.c_str());
    if (summary.failures) std::printf("; %llu not exported", static_cast<unsigned long long>(summary.failures));
    std::printf("\n");
    return summary.failures ? 1 : 0;
}
