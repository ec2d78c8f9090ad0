// Writes the starting corpus of every fuzz target from discs built by the disc tool's library:
// whole payloads, headers, user sections, catalogue sections and login attempts of a few varied
// discs (plain, password with users, hostile names, deep and odd trees, pictures and font).
// Usage: make_seeds OUTDIR   (writes OUTDIR/<target>/<disc>-<n>)
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "discwriter.h"
#include "startup/users.h"

namespace {

std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

bool makeFolder(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool writeSeed(const std::string& folder, const std::string& name, const std::string& bytes) {
    const std::string path = folder + "/" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

DiscEntry entry(uint32_t id, uint32_t parentId, uint32_t kind, const std::string& name, uint32_t size = 0) {
    DiscEntry e;
    e.id = id;
    e.parentId = parentId;
    e.kind = kind;
    e.fileName = name;
    e.size = size;
    if ((kind & KIND_NO_CONTENT_MASK) == 0) {
        e.contentPath = "data\\disc1.dat";
        e.contentOffset = id * 100;
        e.encFlags = encFlagsOf(ContentMethod::BitCrypt);
    }
    return e;
}

DiscUser user(uint32_t id, const std::string& name, const std::string& password, uint32_t flags) {
    DiscUser u;
    u.userId = id;
    u.name = name;
    u.password = password;
    u.flags = flags;
    return u;
}

struct NamedDisc {
    std::string name;
    DiscSpec spec;
    std::vector<std::string> attempts;  // typed passwords for the login seeds
};

NamedDisc plainDisc() {
    NamedDisc d{"plain", {}, {"", "anything"}};
    d.spec.contentKey = "plain content key";
    d.spec.entries = {entry(1, 0, KIND_ROOT, "ignored"), entry(2, 1, KIND_FILE, "readme.txt", 120)};
    return d;
}

NamedDisc passwordDisc() {
    NamedDisc d{"users", {}, {"master pw", "ann's pw", "ben", "carl", "wrong", "Master pw"}};
    DiscSpec& s = d.spec;
    s.password = "master pw";
    s.licence = "Licence text.\r\nSecond line.";
    s.splashText = "Welcome\r\nto the disc\r\n\r\nthird line\nlast words without break";
    s.fontHeight = 24;
    s.textX = 100;
    s.textY = 40;
    s.textFlags = TEXT_CENTRED;
    s.aboutLines[0] = "About one";
    s.aboutLines[1] = "About two";
    DiscUser ann = user(7, "Ann", "ann's pw", USER_MAY_EXPORT | USER_HAS_NOTE);
    ann.note = "Hello Ann, please read the licence.";
    DiscUser ben = user(8, "Ben", "ben", USER_HAS_EXPIRY);
    ben.expiry[0] = 2026;
    ben.expiry[1] = 12;
    ben.expiry[3] = 31;
    DiscUser carl = user(9, "Carl", "carl", 0);
    carl.key = std::string();  // stored without key: reported and kept
    DiscUser twin = user(7, "Ann's twin", "twin", USER_MAY_EXPORT);
    s.users = {ann, ben, carl, twin};
    s.entries = {entry(1, 0, KIND_ROOT, ""),
                 entry(2, 1, KIND_FOLDER, "Docs"),
                 entry(3, 2, KIND_FILE, "report.doc", 5000),
                 entry(4, 2, KIND_FILE, "notes.txt", 17),
                 entry(5, 1, KIND_FOLDER, "Pictures"),
                 entry(6, 5, KIND_FOLDER, "2026"),
                 entry(7, 6, KIND_FILE, "beach.jpg", 300000),
                 entry(8, 1, KIND_FILE, "index.htm", 900)};
    s.entries[2].idNumber = 42;
    s.entries[2].nameText = "Quarterly report";
    s.entries[2].note = "draft";
    s.entries[3].userIds = {7, 8};
    s.entries[6].encFlags = encFlagsOf(ContentMethod::Scramble);
    s.entries[7].encFlags = 0;
    addPresenceFlags(&s);
    return d;
}

NamedDisc hostileDisc() {
    NamedDisc d{"hostile", {}, {"x"}};
    DiscSpec& s = d.spec;
    s.contentKey = std::string(254, 'k');
    s.splashText = std::string(1500, 'w') + "\r" + std::string(1200, 'v') + "\n";
    s.fontHeight = 0x7FFFFFF0;
    s.textFlags = TEXT_BOTTOM_CENTRE;
    s.entries = {entry(1, 0, KIND_ROOT, ""),
                 entry(2, 1, KIND_FOLDER, ".."),
                 entry(3, 2, KIND_FILE, "escaped.txt", 1),
                 entry(4, 1, KIND_FILE, "..\\..\\Windows\\win.ini", 1),
                 entry(5, 1, KIND_FILE, "a/b", 1),
                 entry(6, 1, KIND_FILE, "CON", 1),
                 entry(7, 1, KIND_FILE, "name. ", 1),
                 entry(8, 1, KIND_FILE, "C:evil", 1),
                 entry(9, 1, KIND_FOLDER, std::string(255, 'f')),
                 entry(10, 9, KIND_FILE, std::string(255, 'g'), 1),
                 entry(11, 1, KIND_FILE, "stream.txt:hidden", 1),
                 entry(12, 1, KIND_FILE, "ok.txt", 0xFFFFFFFFu),
                 entry(13, 1, KIND_FILE, "COM\xb9.txt", 1),
                 entry(14, 1, KIND_FILE, "lpt\xb2", 1)};
    DiscUser eve = user(1, "Eve", "x", USER_MAY_EXPORT);
    eve.key = std::string(300, 'K');
    s.users = {eve};
    return d;
}

NamedDisc oddTreeDisc() {
    NamedDisc d{"oddtree", {}, {""}};
    DiscSpec& s = d.spec;
    s.contentKey = "k";
    s.entries.push_back(entry(1, 0, KIND_ROOT, ""));
    // A deep chain of folders, each with one file.
    for (uint32_t i = 0; i < 40; ++i) {
        s.entries.push_back(entry(100 + i, i == 0 ? 1 : 99 + i, KIND_FOLDER, "d" + std::to_string(i)));
        s.entries.push_back(entry(1000 + i, 100 + i, KIND_FILE, "f" + std::to_string(i), i));
    }
    s.entries.push_back(entry(1, 0, KIND_ROOT, "second root"));      // duplicate Id
    s.entries.push_back(entry(50, 50, KIND_FOLDER, "self parent"));  // finds no node
    s.entries.push_back(entry(51, 1, 8, "folder-like 8", 77));       // also a row of its parent
    s.entries.push_back(entry(52, 999, KIND_FOLDER, "orphan"));
    s.entries.push_back(entry(53, 51, KIND_FILE, "in eight", 5));
    s.entries.push_back(entry(54, 1, 0x40, "odd kind file", 3));
    return d;
}

NamedDisc picturesDisc() {
    NamedDisc d{"pictures", {}, {""}};
    DiscSpec& s = d.spec;
    s.contentKey = "pictures";
    s.background = {std::string(40, 'B'), "C:\\art\\Back.BMP"};
    s.logo = {std::string(30, 'L'), "C:\\art\\logo.jpg"};
    s.about = {std::string(20, 'A'), "C:\\art\\about.gif"};
    s.font = {std::string(25, 'F'), "disc.ttf", "Disc Face"};
    s.aboutLines[2] = "Third About line";
    s.textFlags = TEXT_CUSTOM_FONT;
    s.entries = {entry(1, 0, KIND_ROOT, ""), entry(2, 1, KIND_FILE, "one.bin", 10)};
    addPresenceFlags(&s);
    s.flags |= FLAG_CUSTOM_ABOUT | FLAG_ABOUT_PICTURE;
    return d;
}

bool writeDiscSeeds(const std::string& out, NamedDisc& d) {
    PayloadParts parts;
    std::string error;
    if (!buildPayloadParts(d.spec, &parts, &error)) {
        std::fprintf(stderr, "make_seeds: %s: %s\n", d.name.c_str(), error.c_str());
        return false;
    }
    std::string plainCatalogue = parts.catalogue;
    foldWithPayloadKey(&plainCatalogue);
    PayloadHeader header;
    encodeHeader(d.spec, &header, &error);
    const std::string field(header.contentKey, TEXT_FIELD_SIZE);

    const std::string stub = "MZ" + std::string(62, '\x90');
    const std::string file = stub + assemblePayload(parts, static_cast<uint32_t>(stub.size()));
    bool ok = writeSeed(out + "/fuzz_layout", d.name, file);
    // The same payload cut short, and with the stub removed: damaged layouts to start from.
    ok = ok && writeSeed(out + "/fuzz_layout", d.name + "-short", file.substr(0, file.size() / 2) +
                                                                    file.substr(file.size() - TRAILER_SIZE));
    // Damaged trailers: wrong magic, a section size that runs past the file, an offset past it.
    const size_t t = file.size() - TRAILER_SIZE;
    ok = ok && writeSeed(out + "/fuzz_layout", d.name + "-magic", file.substr(0, file.size() - 1) + '\x75');
    ok = ok && writeSeed(out + "/fuzz_layout", d.name + "-size",
                         file.substr(0, t + 4) + le32(0xFFFFFFF0u) + file.substr(t + 8));
    ok = ok && writeSeed(out + "/fuzz_layout", d.name + "-offset", file.substr(0, t) + le32(0x7FFFFFFFu) + file.substr(t + 4));
    ok = ok && writeSeed(out + "/fuzz_header", d.name, parts.header);
    ok = ok && writeSeed(out + "/fuzz_users", d.name, le32(parts.userCount) + parts.users);
    ok = ok && writeSeed(out + "/fuzz_users", d.name + "-more", le32(parts.userCount + 1) + parts.users);
    ok = ok && writeSeed(out + "/fuzz_catalogue", d.name, le32(parts.itemCount) + '\0' + plainCatalogue);
    ok = ok && writeSeed(out + "/fuzz_catalogue", d.name + "-more", le32(parts.itemCount + 3) + '\1' + plainCatalogue);
    ok = ok && writeSeed(out + "/fuzz_export", d.name, le32(parts.itemCount) + '\0' + plainCatalogue);
    ok = ok && writeSeed(out + "/fuzz_export", d.name + "-long", le32(parts.itemCount) + '\3' + plainCatalogue);
    for (size_t i = 0; i < d.attempts.size(); ++i) {
        const std::string typed = d.attempts[i].substr(0, 255);
        const std::string seed = field + static_cast<char>(typed.size()) + typed + le32(parts.userCount) + parts.users;
        ok = ok && writeSeed(out + "/fuzz_login", d.name + "-" + std::to_string(i), seed);
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 2;
    }
    const std::string out = argv[1];
    const char* targets[] = {"fuzz_layout", "fuzz_header", "fuzz_users", "fuzz_catalogue", "fuzz_export", "fuzz_login"};
    if (!makeFolder(out)) return 1;
    for (const char* t : targets)
        if (!makeFolder(out + "/" + t)) return 1;
    NamedDisc discs[] = {plainDisc(), passwordDisc(), hostileDisc(), oddTreeDisc(), picturesDisc()};
    for (NamedDisc& d : discs) {
        if (!writeDiscSeeds(out, d)) {
            std::fprintf(stderr, "make_seeds: cannot write the seeds of %s under %s\n", d.name.c_str(), out.c_str());
            return 1;
        }
    }
    std::printf("make_seeds: %zu discs written under %s\n", sizeof discs / sizeof discs[0], out.c_str());
    return 0;
}
