// disctool: builds a protected disc from a folder tree (viewer.exe with the payload appended,
// data files beside it), and dumps a built disc's payload for debugging.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "damagecmd.h"
#include "discreader.h"
#include "discwriter.h"
#include "extractcmd.h"

namespace fs = std::filesystem;

namespace {

const char USAGE[] =
    "usage:\n"
    "  disctool build --viewer VIEWER.EXE --from FOLDER --out FOLDER [options]\n"
    "  disctool dump VIEWER.EXE\n"
    "  disctool list VIEWER.EXE\n"
    "  disctool extract VIEWER.EXE --to FOLDER [--password P] [--folder PATH-IN-DISC]\n"
    "  disctool damage KIND --viewer VIEWER.EXE --from FOLDER --out FOLDER  (a damaged disc)\n"
    "\n"
    "build options:\n"
    "  --password TEXT           master password (the disc asks for a password)\n"
    "  --content-key TEXT        content key of a disc without password\n"
    "  --user ID:NAME:PASSWORD:FLAGS:YYYY-MM-DD:NOTE\n"
    "                            a user account (repeatable); FLAGS 1 = may export (number);\n"
    "                            the date may be empty (no expiry), NOTE may be empty; \\n in\n"
    "                            NOTE is a line break\n"
    "  --licence FILE            licence text shown before the disc opens\n"
    "  --splash-text TEXT        splash text (\\n is a line break); --splash-text-file FILE\n"
    "  --text-layout L           top-left|top-centre|bottom-left|bottom-centre|centred|position\n"
    "  --text-pos X,Y            splash text position (with --text-layout position)\n"
    "  --text-colour RRGGBB      --shadow-colour RRGGBB  --splash-colour RRGGBB\n"
    "  --shadow X,Y              draw the splash text with a shadow at this offset\n"
    "  --font-height N           splash text font height\n"
    "  --font FILE --font-face NAME   custom font for the splash text\n"
    "  --background FILE         splash background picture (.bmp or .jpg/.gif)\n"
    "  --background-layout L     stretch|tiled|quarters|top-left|top-centre|bottom-left|\n"
    "                            bottom-centre|centred\n"
    "  --logo FILE               splash logo picture\n"
    "  --logo-layout L           top-left|top-centre|bottom-left|bottom-centre|centred|position\n"
    "  --logo-pos X,Y            logo position (with --logo-layout position)\n"
    "  --logo-transparent RRGGBB draw the logo with this colour transparent\n"
    "  --about-line TEXT         a line of the custom About box (up to 3)\n"
    "  --about-picture FILE      picture of the custom About box\n"
    "  --picture-folder PATH     authoring folder stored with picture names (default C:\\Orvanta)\n"
    "  --method M                bitcrypt|scramble|plain (default bitcrypt)\n"
    "  --no-export               export disabled for the whole disc\n"
    "  --clear-recent            clear the recent-documents list when the viewer exits\n"
    "  --flags N --text-flags N  extra header flag bits (OR-ed in)\n"
    "  --id-numbers N            number the files' ID numbers from N\n"
    "  --meta FILE               lines PATH<TAB>IDNUMBER<TAB>NAMETEXT<TAB>NOTE (PATH relative, /)\n"
    "  --data-prefix P           data file names, P1.dat, P2.dat... (default data\\disc)\n"
    "  --split-size BYTES        start a new data file beyond this size\n";

bool fail(const std::string& message) {
    std::fprintf(stderr, "disctool: %s\n", message.c_str());
    return false;
}

bool parseInt(const std::string& text, long long low, long long high, long long* value) {
    if (text.empty()) return false;
    // Decimal, or hexadecimal after 0x; a leading zero does not mean octal.
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, hex ? 16 : 10);
    if (errno != 0 || *end != 0 || v < low || v > high) return false;
    *value = v;
    return true;
}

bool parsePair(const std::string& text, int32_t* x, int32_t* y) {
    const size_t comma = text.find(',');
    long long a, b;
    if (comma == std::string::npos || !parseInt(text.substr(0, comma), INT32_MIN, INT32_MAX, &a) ||
        !parseInt(text.substr(comma + 1), INT32_MIN, INT32_MAX, &b))
        return false;
    *x = static_cast<int32_t>(a);
    *y = static_cast<int32_t>(b);
    return true;
}

// "RRGGBB" or "#RRGGBB" to a COLORREF (0x00BBGGRR).
bool parseColour(std::string text, uint32_t* colour) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    const uint32_t rgb = static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 16));
    *colour = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
    return true;
}

// Multi-line edit controls and DrawText want CR LF between lines.
std::string withCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string unescapeLines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool parseUser(const std::string& text, DiscUser* u) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (int i = 0; i < 5; ++i) {
        const size_t colon = text.find(':', start);
        if (colon == std::string::npos) return fail("--user wants ID:NAME:PASSWORD:FLAGS:YYYY-MM-DD:NOTE, got " + text);
        parts.push_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(text.substr(start));
    long long id, flags = 0;
    if (!parseInt(parts[0], 0, UINT32_MAX, &id)) return fail("bad user ID in --user " + text);
    if (!parts[3].empty() && !parseInt(parts[3], 0, UINT32_MAX, &flags)) return fail("bad flags in --user " + text);
    if (parts[2].empty()) return fail("empty password in --user " + text);
    u->userId = static_cast<uint32_t>(id);
    u->name = parts[1];
    u->password = parts[2];
    u->flags = static_cast<uint32_t>(flags);
    if (!parts[4].empty()) {
        long long y, m, d;
        const std::string& date = parts[4];
        if (date.size() != 10 || date[4] != '-' || date[7] != '-' ||
            !parseInt(date.substr(0, 4), 1601, 30827, &y) || !parseInt(date.substr(5, 2), 1, 12, &m) ||
            !parseInt(date.substr(8, 2), 1, 31, &d))
            return fail("bad expiry date in --user " + text + " (want YYYY-MM-DD)");
        u->expiry[0] = static_cast<uint16_t>(y);
        u->expiry[1] = static_cast<uint16_t>(m);
        u->expiry[3] = static_cast<uint16_t>(d);
        u->flags |= 0x2;
    }
    u->note = unescapeLines(parts[5]);
    if (!u->note.empty()) u->flags |= 0x4;
    return true;
}

bool readMeta(const std::string& path, std::vector<EntryExtras>* extras) {
    std::string bytes, error;
    if (!readWholeFile(path, &bytes, &error)) return fail(error);
    size_t start = 0;
    int lineNo = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        size_t s = 0;
        for (;;) {
            const size_t tab = line.find('\t', s);
            fields.push_back(line.substr(s, tab == std::string::npos ? std::string::npos : tab - s));
            if (tab == std::string::npos) break;
            s = tab + 1;
        }
        fields.resize(4);
        EntryExtras x;
        x.relativePath = fields[0];
        if (!fields[1].empty()) {
            long long v;
            if (!parseInt(fields[1], INT32_MIN, INT32_MAX, &v))
                return fail(path + ":" + std::to_string(lineNo) + ": bad ID number");
            x.idNumber = static_cast<int32_t>(v);
        }
        x.nameText = fields[2];
        x.note = unescapeLines(fields[3]);
        extras->push_back(x);
    }
    return true;
}

struct Layout {
    const char* name;
    uint32_t bits;
};

bool pickLayout(const std::string& option, const std::string& value, const Layout* table, size_t n,
                uint32_t* bits) {
    for (size_t i = 0; i < n; ++i)
        if (value == table[i].name) {
            *bits |= table[i].bits;
            return true;
        }
    return fail("unknown value \"" + value + "\" for " + option);
}

bool loadPicture(const std::string& path, const std::string& folder, DiscPicture* picture) {
    std::string error;
    if (!readWholeFile(path, &picture->bytes, &error)) return fail(error);
    if (picture->bytes.empty()) return fail(path + " is empty");
    picture->storedPath = folder + "\\" + fs::path(path).filename().string();
    return true;
}

bool runBuild(int argc, char** argv) {
    DiscSpec spec;
    FolderOptions options;
    std::string viewer, from, out, metaPath;
    std::string backgroundFile, logoFile, aboutFile, fontFile, licenceFile, pictureFolder = "C:\\Orvanta";
    std::vector<std::string> userTexts;
    int aboutLines = 0;
    bool contentKeyGiven = false;

    static const Layout backgroundLayouts[] = {
        {"stretch", 0}, {"tiled", FLAG_BG_TILED}, {"quarters", FLAG_BG_QUARTERS},
        {"top-left", FLAG_BG_TOP_LEFT}, {"top-centre", FLAG_BG_TOP_CENTRE},
        {"bottom-left", FLAG_BG_BOTTOM_LEFT}, {"bottom-centre", FLAG_BG_BOTTOM_CENTRE},
        {"centred", FLAG_BG_CENTRED}};
    static const Layout logoLayouts[] = {
        {"top-left", FLAG_LOGO_TOP_LEFT}, {"top-centre", FLAG_LOGO_TOP_CENTRE},
        {"bottom-left", FLAG_LOGO_BOTTOM_LEFT}, {"bottom-centre", FLAG_LOGO_BOTTOM_CENTRE},
        {"centred", FLAG_LOGO_CENTRED}, {"position", FLAG_LOGO_AT_POSITION}};
    static const Layout textLayouts[] = {
        {"top-left", TEXT_TOP_LEFT}, {"top-centre", TEXT_TOP_CENTRE},
        {"bottom-left", TEXT_BOTTOM_LEFT}, {"bottom-centre", TEXT_BOTTOM_CENTRE},
        {"centred", TEXT_CENTRED}, {"position", 0}};

    for (int i = 0; i < argc; ++i) {
        const std::string opt = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&](std::string* v) {
            if (!hasValue) return fail(opt + " needs a value");
            *v = argv[++i];
            return true;
        };
        std::string v;
        long long n;
        if (opt == "--no-export") { spec.flags |= FLAG_EXPORT_DISABLED; continue; }
        if (opt == "--clear-recent") { spec.flags |= FLAG_CLEAR_RECENT_DOCS; continue; }
        if (opt.compare(0, 2, "--") != 0) return fail("unexpected argument " + opt + "\n" + USAGE);
        if (!value(&v)) return false;
        if (opt == "--viewer") viewer = v;
        else if (opt == "--from") from = v;
        else if (opt == "--out") out = v;
        else if (opt == "--password") spec.password = v;
        else if (opt == "--content-key") { spec.contentKey = v; contentKeyGiven = true; }
        else if (opt == "--user") userTexts.push_back(v);
        else if (opt == "--licence") licenceFile = v;
        else if (opt == "--splash-text") spec.splashText = unescapeLines(v);
        else if (opt == "--splash-text-file") {
            std::string error;
            if (!readWholeFile(v, &spec.splashText, &error)) return fail(error);
            spec.splashText = withCrLf(spec.splashText);
        } else if (opt == "--text-layout") {
            if (!pickLayout(opt, v, textLayouts, std::size(textLayouts), &spec.textFlags)) return false;
        } else if (opt == "--text-pos") {
            if (!parsePair(v, &spec.textX, &spec.textY)) return fail(opt + " wants X,Y");
        } else if (opt == "--text-colour") {
            if (!parseColour(v, &spec.textColour)) return fail(opt + " wants RRGGBB");
        } else if (opt == "--shadow-colour") {
            if (!parseColour(v, &spec.shadowColour)) return fail(opt + " wants RRGGBB");
        } else if (opt == "--splash-colour") {
            if (!parseColour(v, &spec.splashColour)) return fail(opt + " wants RRGGBB");
        } else if (opt == "--shadow") {
            if (!parsePair(v, &spec.shadowX, &spec.shadowY)) return fail(opt + " wants X,Y");
            spec.flags |= FLAG_TEXT_SHADOW;
        } else if (opt == "--font-height") {
            if (!parseInt(v, INT32_MIN, INT32_MAX, &n)) return fail(opt + " wants a number");
            spec.fontHeight = static_cast<int32_t>(n);
        } else if (opt == "--font") fontFile = v;
        else if (opt == "--font-face") spec.font.faceName = v;
        else if (opt == "--background") backgroundFile = v;
        else if (opt == "--background-layout") {
            if (!pickLayout(opt, v, backgroundLayouts, std::size(backgroundLayouts), &spec.flags)) return false;
        } else if (opt == "--logo") logoFile = v;
        else if (opt == "--logo-layout") {
            if (!pickLayout(opt, v, logoLayouts, std::size(logoLayouts), &spec.flags)) return false;
        } else if (opt == "--logo-pos") {
            if (!parsePair(v, &spec.logoX, &spec.logoY)) return fail(opt + " wants X,Y");
        } else if (opt == "--logo-transparent") {
            if (!parseColour(v, &spec.logoKeyColour)) return fail(opt + " wants RRGGBB");
            spec.flags |= FLAG_LOGO_TRANSPARENT;
        } else if (opt == "--about-line") {
            if (aboutLines == 3) return fail("at most three --about-line");
            spec.aboutLines[aboutLines++] = v;
        } else if (opt == "--about-picture") aboutFile = v;
        else if (opt == "--picture-folder") pictureFolder = v;
        else if (opt == "--method") {
            if (v == "bitcrypt") options.method = ContentMethod::BitCrypt;
            else if (v == "scramble") options.method = ContentMethod::Scramble;
            else if (v == "plain") options.method = ContentMethod::Plain;
            else return fail("--method wants bitcrypt, scramble or plain");
        } else if (opt == "--flags") {
            if (!parseInt(v, 0, UINT32_MAX, &n)) return fail(opt + " wants a number");
            spec.flags |= static_cast<uint32_t>(n);
        } else if (opt == "--text-flags") {
            if (!parseInt(v, 0, UINT32_MAX, &n)) return fail(opt + " wants a number");
            spec.textFlags |= static_cast<uint32_t>(n);
        } else if (opt == "--id-numbers") {
            if (!parseInt(v, 0, INT32_MAX, &n)) return fail(opt + " wants a number from 0");
            options.firstIdNumber = static_cast<int32_t>(n);
        } else if (opt == "--meta") metaPath = v;
        else if (opt == "--data-prefix") options.dataPrefix = v;
        else if (opt == "--split-size") {
            if (!parseInt(v, 1, 0xFFFFFFFFll, &n)) return fail(opt + " wants a size in bytes (1 to 4294967295)");
            options.dataFileLimit = static_cast<uint64_t>(n);
        } else return fail("unknown option " + opt + "\n" + USAGE);
    }
    if (viewer.empty() || from.empty() || out.empty()) return fail(std::string("build needs --viewer, --from and --out\n") + USAGE);

    if (!spec.password.empty() && contentKeyGiven)
        return fail("--content-key is for a disc without password; a password disc's key comes from the password");
    if (spec.password.empty() && !contentKeyGiven) spec.contentKey = "Orvanta open disc";
    if (!userTexts.empty() && spec.password.empty())
        return fail("--user needs --password: users log in through the password dialog");
    for (const std::string& t : userTexts) {
        DiscUser u;
        if (!parseUser(t, &u)) return false;
        spec.users.push_back(u);
        options.userIds.push_back(u.userId);
    }
    std::string error;
    if (!licenceFile.empty()) {
        if (!readWholeFile(licenceFile, &spec.licence, &error)) return fail(error);
        spec.licence = withCrLf(spec.licence);
        if (spec.licence.find('\0') != std::string::npos) return fail(licenceFile + " contains a zero byte");
    }
    if (!backgroundFile.empty() && !loadPicture(backgroundFile, pictureFolder, &spec.background)) return false;
    if (!logoFile.empty() && !loadPicture(logoFile, pictureFolder, &spec.logo)) return false;
    if (!aboutFile.empty() && !loadPicture(aboutFile, pictureFolder, &spec.about)) return false;
    if (!fontFile.empty()) {
        if (spec.font.faceName.empty()) return fail("--font needs --font-face");
        if (!readWholeFile(fontFile, &spec.font.bytes, &error)) return fail(error);
        if (spec.font.bytes.empty()) return fail(fontFile + " is empty");
        spec.font.fileName = fs::path(fontFile).filename().string();
    } else if (!spec.font.faceName.empty()) {
        return fail("--font-face needs --font");
    }
    addPresenceFlags(&spec);

    std::vector<EntryExtras> extras;
    if (!metaPath.empty() && !readMeta(metaPath, &extras)) return false;

    std::error_code ec;
    const fs::path fromFull = fs::weakly_canonical(from, ec);
    const fs::path outFull = fs::weakly_canonical(out, ec);
    const std::string fromText = fromFull.string() + "/", outText = outFull.string() + "/";
    if (outText.compare(0, fromText.size(), fromText) == 0)
        return fail("--out must not lie inside --from");

    if (!buildFolderCatalogue(from, options, extras, &spec.entries, &error)) return fail(error);
    if (!writeDisc(&spec, viewer, out, &error)) return fail(error);

    uint64_t total = 0;
    size_t files = 0;
    for (const DiscEntry& e : spec.entries)
        if (e.kind == KIND_FILE) {
            ++files;
            total += e.size;
        }
    std::printf("disctool: wrote %s with %zu items (%zu files, %llu bytes), %zu users\n",
                (fs::path(out) / fs::path(viewer).filename()).string().c_str(), spec.entries.size(), files,
                static_cast<unsigned long long>(total), spec.users.size());
    return true;
}

bool runDump(int argc, char** argv) {
    if (argc != 1) return fail(std::string("dump needs one viewer file\n") + USAGE);
    std::string bytes, error;
    if (!readWholeFile(argv[0], &bytes, &error)) return fail(error);
    if (!dumpDisc(bytes, stdout, &error)) return fail(error);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "build") return runBuild(argc - 2, argv + 2) ? 0 : 1;
    if (command == "dump") return runDump(argc - 2, argv + 2) ? 0 : 1;
    if (command == "list") return runListCommand(argc - 2, argv + 2);
    if (command == "extract") return runExtractCommand(argc - 2, argv + 2);
    if (command == "damage") return runDamageCommand(argc - 2, argv + 2);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(USAGE, stdout);
        return 0;
    }
    std::fprintf(stderr, "disctool: unknown command %s\n%s", command.c_str(), USAGE);
    return 2;
}
