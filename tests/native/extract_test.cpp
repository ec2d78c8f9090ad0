// Extraction of stored items into plain files (against the disc tool's writer), its failures,
// Abort, the refusal of unusable names and over-long paths, the export plan's folder layout,
// the plan runner, and the disc tool's extract with the viewer's rules.
#include <gtest/gtest.h>

#include "testfiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "catalogue_fixture.h"
#include "discwriter.h"
#include "extract/extract.h"
#include "extractcmd.h"
#include "startup/scramble.h"

namespace fs = std::filesystem;

namespace {


std::string pattern(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

std::string longKey() {
    std::string key;
    for (int i = 0; i < 254; ++i) key += static_cast<char>('!' + i % 90);
    return key;
}

CryptItem fileItem(const char* name, uint32_t encFlags = 0, uint32_t size = 0, uint32_t offset = 0) {
    CryptItem item = {};
    item.Kind = KIND_FILE;
    item.IdNumber = -1;
    item.hasFileName = name[0] != 0;
    item.FileName = name;
    item.EncFlags = encFlags;
    item.Size = size;
    item.ContentOffset = offset;
    item.TreeNode = NO_NODE;
    return item;
}

// Stored content of several items in one data file, written by the disc tool.
struct StoredItems {
    TempFolder temp;
    std::string key = longKey();
    fs::path data;
    std::vector<CryptItem> items;
    std::vector<std::string> plain;

    void add(uint32_t encFlags, size_t size, uint32_t seed) {
        DiscEntry e;
        e.id = static_cast<uint32_t>(entries.size() + 2);
        e.parentId = 1;
        e.encFlags = encFlags;
        e.contentPath = "data\\disc1.dat";
        e.contentBytes = pattern(size, seed);
        entries.push_back(e);
    }
    void write() {
        DiscSpec spec;
        spec.contentKey = key;
        spec.entries = entries;
        std::string error;
        ASSERT_TRUE(writeContentFiles(&spec, temp.path.string(), &error)) << error;
        data = temp.path / "data" / "disc1.dat";
        for (const DiscEntry& e : spec.entries) {
            items.push_back(fileItem("x", e.encFlags, e.size, e.contentOffset));
            plain.push_back(*e.contentBytes);
        }
    }
    std::vector<DiscEntry> entries;
};

}  // namespace

TEST(ExtractContent, EveryMethodAndSizeFromTheWritersDataFile) {
    StoredItems stored;
    const uint32_t methods[] = {encFlagsOf(ContentMethod::BitCrypt), encFlagsOf(ContentMethod::Scramble),
                                encFlagsOf(ContentMethod::Plain)};
    const size_t sizes[] = {0, 17, CHUNK_SIZE + 17};
    uint32_t seed = 1;
    for (uint32_t m : methods)
        for (size_t n : sizes) stored.add(m, n, seed++);
    ASSERT_NO_FATAL_FAILURE(stored.write());

    for (size_t i = 0; i < stored.items.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i) + " flags " + std::to_string(stored.items[i].EncFlags) + " size " +
                     std::to_string(stored.items[i].Size));
        const fs::path target = stored.temp.path / ("out" + std::to_string(i));
        writeFile(target, "an older, longer file of the same name that must be replaced");
        EXPECT_EQ(ExtractResult::Done, extractItemContentTo(stored.items[i], stored.data.c_str(), stored.key.c_str(),
                                                            target.c_str()));
        EXPECT_EQ(stored.plain[i], readFile(target));
    }
}

TEST(ExtractContent, BitCryptWinsAndUnencryptedItemsAreCopiedAsStored) {
    TempFolder temp;
    const std::string bytes = pattern(5000, 7);
    writeFile(temp.path / "d.dat", "HEAD" + bytes);
    struct Case {
        const char* name;
        uint32_t flags;
        std::string expected;
    } cases[] = {
        {"no flags", 0, bytes},
        {"FULL without ENCRYPTED", ENC_FULL, bytes},
        {"a cipher name without ENCRYPTED", ENC_PGP | ENC_BLOWFISH, bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = temp.path / "t";
        EXPECT_EQ(ExtractResult::Done, extractItemContentTo(fileItem("t", c.flags, 5000, 4), (temp.path / "d.dat").c_str(),
                                                            "key", target.c_str()));
        EXPECT_EQ(c.expected, readFile(target));
    }
    // Both method bits: BitCrypt is undone, not SCRAMBLE.
    std::string stored = bytes;
    xorFold("key", reinterpret_cast<uint8_t*>(&stored[0]), static_cast<int32_t>(stored.size()));
    writeFile(temp.path / "both.dat", stored);
    const fs::path target = temp.path / "both";
    EXPECT_EQ(ExtractResult::Done,
              extractItemContentTo(fileItem("b", ENC_ENCRYPTED | ENC_BITCRYPT | ENC_SCRAMBLE, 5000),
                                   (temp.path / "both.dat").c_str(), "key", target.c_str()));
    EXPECT_EQ(bytes, readFile(target));
}

TEST(ExtractContent, FailuresLeaveNoFileBehind) {
    TempFolder temp;
    const fs::path data = temp.path / "d.dat";
    writeFile(data, std::string(100, 'x'));
    const std::string older = "kept when nothing was started";
    const int32_t raised = 1;
    struct Case {
        const char* name;
        CryptItem item;
        fs::path content;
        fs::path target;
        const int32_t* abortFlag;
        ExtractResult expected;
        bool targetExisted;  // a target that existed must be untouched when nothing was started
    } cases[] = {
        {"data file ends inside the content", fileItem("a", ENC_ENCRYPTED | ENC_BITCRYPT, 60, 50), data,
         temp.path / "short", nullptr, ExtractResult::ContentTooShort, true},
        {"offset beyond the data file", fileItem("a", 0, 1, 100), data, temp.path / "beyond", nullptr,
         ExtractResult::ContentTooShort, true},
        {"offset + size past 4 GiB", fileItem("a", 0, 0xFFFFFFF0u, 0x20), data, temp.path / "wrap", nullptr,
         ExtractResult::ContentTooShort, true},
        {"missing data file", fileItem("a", 0, 1, 0), temp.path / "none.dat", temp.path / "missing", nullptr,
         ExtractResult::ContentNotOpened, true},
        {"ENCRYPTED without a known method", fileItem("a", ENC_ENCRYPTED | ENC_FULL, 10), data,
         temp.path / "unknown", nullptr, ExtractResult::UnsupportedMethod, true},
        {"BlowFish", fileItem("a", ENC_ENCRYPTED | ENC_BLOWFISH, 10), data, temp.path / "blowfish", nullptr,
         ExtractResult::UnsupportedMethod, true},
        {"2Fish and PGP", fileItem("a", ENC_ENCRYPTED | ENC_2FISH | ENC_PGP, 10), data, temp.path / "twofish",
         nullptr, ExtractResult::UnsupportedMethod, true},
        {"abort raised before the file", fileItem("a", 0, 10), data, temp.path / "aborted", &raised,
         ExtractResult::Aborted, true},
        {"target folder missing", fileItem("a", 0, 10), data, temp.path / "no" / "such" / "t", nullptr,
         ExtractResult::TargetNotCreated, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.targetExisted) writeFile(c.target, older);
        EXPECT_EQ(c.expected, extractItemContentTo(c.item, c.content.c_str(), "k", c.target.c_str(), c.abortFlag));
        if (c.targetExisted)
            EXPECT_EQ(older, readFile(c.target));
        else
            EXPECT_FALSE(fs::exists(c.target));
    }
}

TEST(ExtractContent, AbortBetweenChunksDeletesThePartialFile) {
    // The target is a pipe; the reader raises the abort flag while the first chunk is still
    // being written, so the stream stops before the second chunk and removes the target.
    TempFolder temp;
    const std::string plain = pattern(3 * CHUNK_SIZE, 3);
    writeFile(temp.path / "d.dat", plain);
    const fs::path target = temp.path / "t";
    ASSERT_EQ(0, mkfifo(target.c_str(), 0600));
    volatile int32_t abortFlag = 0;
    size_t received = 0;
    std::thread reader([&] {
        FILE* f = std::fopen(target.c_str(), "rb");
        if (!f) return;
        std::vector<char> buffer(4096);
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) {
            received += n;
            if (received >= 100000) abortFlag = 1;
        }
        std::fclose(f);
    });
    const ExtractResult result = extractItemContentTo(fileItem("t", 0, static_cast<uint32_t>(plain.size())),
                                                      (temp.path / "d.dat").c_str(), "", target.c_str(), &abortFlag);
    reader.join();
    EXPECT_EQ(ExtractResult::Aborted, result);
    EXPECT_EQ(CHUNK_SIZE, received);
    EXPECT_FALSE(fs::exists(target));
}

TEST(ExportPlan, UnusableNamesAreRefusedNeverUsed) {
    const char* refused[] = {"", ".", "..", "a\\b", "a/b", "..\\up", "../up", "\\", "/", "C:", "c:x", "name:stream",
                             "a\x01z", "tab\there", "\x7f", "\x1f", "trail.", "trail ", "dots...", "CON", "con",
                             "PRN.txt", "aux.tar.gz", "NUL", "nul.", "CON .txt", "COM1", "com9.log", "LPT1",
                             "lpt9.x"};
    for (const char* name : refused) {
        SCOPED_TRACE(std::string("refused \"") + name + "\"");
        const ExportStep step = planFileExport(fileItem(name), "/dest", '/', 4095);
        EXPECT_EQ(ExportStepKind::RefusedName, step.kind);
        EXPECT_EQ("/dest", step.path);
    }
    const char* usable[] = {"a.txt", "CONSOLE", "COM0", "COM10", "LPT", "NULL.txt", "con_x", ".profile", "a..b",
                            " lead", "x.y z", "\xe9t\xe9.doc"};
    for (const char* name : usable) {
        SCOPED_TRACE(std::string("usable \"") + name + "\"");
        const ExportStep step = planFileExport(fileItem(name), "C:\\dest", '\\', 259);
        EXPECT_EQ(ExportStepKind::WriteFile, step.kind);
        EXPECT_EQ(std::string("C:\\dest\\") + name, step.path);
    }
}

TEST(ExportPlan, OverLongPathsAreRefusedNeverCut) {
    const std::string folder = "C:\\" + std::string(240, 'f');
    const std::string name(15, 'n');  // folder + '\\' + name = 259 characters
    const ExportStep fits = planFileExport(fileItem(name.c_str()), folder, '\\', 259);
    EXPECT_EQ(ExportStepKind::WriteFile, fits.kind);
    EXPECT_EQ(259u, fits.path.size());
    const ExportStep over = planFileExport(fileItem((name + "n").c_str()), folder, '\\', 259);
    EXPECT_EQ(ExportStepKind::RefusedLength, over.kind);
    EXPECT_EQ(folder, over.path);

    // A folder whose path is too long takes its sub-tree with it; a file beside it still goes.
    const std::vector<uint8_t> bytes = SectionBuilder()
                                           .root(1)
                                           .folder(10, 1, std::string(30, 'L'))
                                           .file(11, 10, "inside")
                                           .folder(12, 10, "deeper")
                                           .file(2, 1, "short")
                                           .bytes();
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadCatalogueRecords(bytes.data(), bytes.size(), 5, &model));
    const std::vector<ExportStep> steps = planFolderExport(model, model.items[0], "/d", '/', 40, 30);
    ASSERT_EQ(3u, steps.size());
    EXPECT_EQ(ExportStepKind::MakeFolder, steps[0].kind);
    EXPECT_EQ(ExportStepKind::WriteFile, steps[1].kind);
    EXPECT_EQ("/d/Orvanta/short", steps[1].path);
    EXPECT_EQ(ExportStepKind::RefusedLength, steps[2].kind);
    EXPECT_EQ("/d/Orvanta", steps[2].path);
}

namespace {

// A disc tree: files in catalogue order inside each folder, sub-folders in tree order, a
// refused folder with its sub-tree, a refused file, a folder-like Kind 8, and a record that is
// neither folder nor Kind 2.
CatalogueModel layoutModel() {
    const std::vector<uint8_t> bytes =
        SectionBuilder()
            .root(1)
            .file(2, 1, "b.txt")
            .folder(10, 1, "Docs")
            .file(3, 10, "d1")
            .folder(11, 10, "Inner")
            .file(4, 11, "i1")
            .file(5, 1, "a.txt")
            .folder(12, 1, "..")
            .file(6, 12, "evil")
            .folder(13, 12, "deeper")
            .file(7, 13, "x")
            .folder(14, 1, "Empty")
            .folder(15, 1, "Eight", 8)
            .file(8, 15, "e")
            .add(RecordSpec(16, 1, 0x10, 5, "odd kind").withContent("d.dat", 0))
            .file(17, 10, "d2")
            .file(18, 10, "CON.txt")
            .folder(19, 1, "Docs 2")
            .file(20, 19, "z")
            .bytes();
    CatalogueModel model;
    loadCatalogueRecords(bytes.data(), bytes.size(), 19, &model);
    return model;
}

std::string describe(const std::vector<ExportStep>& steps) {
    std::string out;
    for (const ExportStep& s : steps) {
        const char* kind = s.kind == ExportStepKind::MakeFolder  ? "D "
                           : s.kind == ExportStepKind::WriteFile ? "F "
                                                                 : "R ";
        out += kind + s.path;
        if (s.kind == ExportStepKind::RefusedName || s.kind == ExportStepKind::RefusedLength)
            out += " (" + s.item->FileName + ")";
        out += "\n";
    }
    return out;
}

}  // namespace

TEST(ExportPlan, FolderLayoutIsDepthFirstWithFilesBeforeSubFolders) {
    const CatalogueModel model = layoutModel();
    ASSERT_EQ(19u, model.items.size());
    EXPECT_EQ("D /dst/Orvanta\n"
              "F /dst/Orvanta/b.txt\n"
              "F /dst/Orvanta/a.txt\n"
              "D /dst/Orvanta/Docs\n"
              "F /dst/Orvanta/Docs/d1\n"
              "F /dst/Orvanta/Docs/d2\n"
              "R /dst/Orvanta/Docs (CON.txt)\n"
              "D /dst/Orvanta/Docs/Inner\n"
              "F /dst/Orvanta/Docs/Inner/i1\n"
              "R /dst/Orvanta (..)\n"
              "D /dst/Orvanta/Empty\n"
              "D /dst/Orvanta/Eight\n"
              "F /dst/Orvanta/Eight/e\n"
              "D /dst/Orvanta/Docs 2\n"
              "F /dst/Orvanta/Docs 2/z\n",
              describe(planFolderExport(model, model.items[0], "/dst", '/', 4095)));

    const CryptItem* docs = findItemById(model, 10);
    ASSERT_NE(nullptr, docs);
    EXPECT_EQ("D C:\\out\\Docs\n"
              "F C:\\out\\Docs\\d1\n"
              "F C:\\out\\Docs\\d2\n"
              "R C:\\out\\Docs (CON.txt)\n"
              "D C:\\out\\Docs\\Inner\n"
              "F C:\\out\\Docs\\Inner\\i1\n",
              describe(planFolderExport(model, *docs, "C:\\out", '\\', 259)));
    const CryptItem* empty = findItemById(model, 14);
    EXPECT_EQ("D C:\\out\\Empty\n", describe(planFolderExport(model, *empty, "C:\\out", '\\', 259)));
}

namespace {

struct Recorder {
    std::string log;
    std::string failFolder;
    int writesBeforeAbort = -1;
    volatile int32_t abortFlag = 0;
};

bool recordFolder(const std::string& path, void* context) {
    Recorder& r = *static_cast<Recorder*>(context);
    r.log += "D " + path + "\n";
    return path != r.failFolder;
}

ExtractResult recordWrite(const CryptItem&, const std::string& target, void* context) {
    Recorder& r = *static_cast<Recorder*>(context);
    r.log += "F " + target + "\n";
    if (r.writesBeforeAbort > 0 && --r.writesBeforeAbort == 0) r.abortFlag = 1;
    return ExtractResult::Done;
}

void recordRefused(const ExportStep& step, void* context) {
    static_cast<Recorder*>(context)->log += "R " + step.path + "\n";
}

}  // namespace

TEST(ExportRun, FailedFolderTakesItsContentsAndAbortStopsBetweenFiles) {
    const CatalogueModel model = layoutModel();
    const std::vector<ExportStep> steps = planFolderExport(model, model.items[0], "/dst", '/', 4095);

    Recorder failing;
    failing.failFolder = "/dst/Orvanta/Docs";
    const ExportActions actions = {recordFolder, recordWrite, recordRefused, &failing};
    EXPECT_EQ(ExportEnd::Finished, runExportPlan(steps, actions, &failing.abortFlag));
    EXPECT_EQ("D /dst/Orvanta\n"
              "F /dst/Orvanta/b.txt\n"
              "F /dst/Orvanta/a.txt\n"
              "D /dst/Orvanta/Docs\n"
              "R /dst/Orvanta\n"
              "D /dst/Orvanta/Empty\n"
              "D /dst/Orvanta/Eight\n"
              "F /dst/Orvanta/Eight/e\n"
              "D /dst/Orvanta/Docs 2\n"
              "F /dst/Orvanta/Docs 2/z\n",
              failing.log);

    Recorder aborting;
    aborting.writesBeforeAbort = 2;
    const ExportActions abortActions = {recordFolder, recordWrite, recordRefused, &aborting};
    EXPECT_EQ(ExportEnd::Aborted, runExportPlan(steps, abortActions, &aborting.abortFlag));
    EXPECT_EQ("D /dst/Orvanta\nF /dst/Orvanta/b.txt\nF /dst/Orvanta/a.txt\n", aborting.log);
}

namespace {

// A written disc: password, a user who may export and one who may not, two methods, a nested
// tree, and an unusable name.
struct WrittenDisc {
    TempFolder temp;
    fs::path viewer;
    std::vector<std::pair<std::string, std::string>> files;  // relative path, content

    void write(uint32_t extraFlags = 0) {
        const fs::path plainViewer = temp.path / "viewer.exe";
        writeFile(plainViewer, std::string("MZ") + std::string(510, '\x90'));
        DiscSpec spec;
        spec.password = "master";
        spec.flags |= extraFlags;
        DiscUser may, mayNot;
        may.userId = 1;
        may.name = "May";
        may.password = "may";
        may.flags = USER_MAY_EXPORT;
        mayNot.userId = 2;
        mayNot.name = "Nat";
        mayNot.password = "nat";
        spec.users = {may, mayNot};
        addPresenceFlags(&spec);
        auto entry = [&](uint32_t id, uint32_t parent, uint32_t kind, const std::string& name) {
            DiscEntry e;
            e.id = id;
            e.parentId = parent;
            e.kind = kind;
            e.fileName = name;
            spec.entries.push_back(e);
        };
        auto file = [&](uint32_t id, uint32_t parent, const std::string& name, const std::string& path,
                        ContentMethod method, size_t size) {
            entry(id, parent, KIND_FILE, name);
            DiscEntry& e = spec.entries.back();
            e.encFlags = encFlagsOf(method);
            e.contentPath = "data\\disc1.dat";
            e.contentBytes = pattern(size, id);
            files.push_back({path, *e.contentBytes});
        };
        entry(1, 0, KIND_ROOT, "");
        file(2, 1, "top.bin", "Orvanta/top.bin", ContentMethod::Scramble, CHUNK_SIZE + 5);
        entry(10, 1, KIND_FOLDER, "Reports");
        file(3, 10, "r.txt", "Orvanta/Reports/r.txt", ContentMethod::BitCrypt, 700);
        entry(11, 10, KIND_FOLDER, "2026");
        file(4, 11, "q.txt", "Orvanta/Reports/2026/q.txt", ContentMethod::Plain, 33);
        file(5, 11, "AUX.txt", "", ContentMethod::BitCrypt, 10);
        files.pop_back();
        entry(12, 1, KIND_FOLDER, "Empty");
        std::string error;
        ASSERT_TRUE(writeDisc(&spec, plainViewer.string(), (temp.path / "disc").string(), &error)) << error;
        viewer = temp.path / "disc" / "viewer.exe";
    }
};

}  // namespace

TEST(DiscExtract, WholeDiscAndOneFolderAsTheViewerLaysThemOut) {
    WrittenDisc disc;
    ASSERT_NO_FATAL_FAILURE(disc.write());
    for (const char* password : {"master", "may"}) {
        SCOPED_TRACE(password);
        const fs::path out = disc.temp.path / (std::string("out-") + password);
        ExtractRequest request;
        request.viewerFile = disc.viewer.string();
        request.destination = out.string();
        request.password = password;
        request.passwordGiven = true;
        ExtractSummary summary;
        std::string error;
        ASSERT_TRUE(extractDisc(request, &summary, &error)) << error;
        EXPECT_FALSE(summary.aborted);
        EXPECT_EQ(3u, summary.files);
        EXPECT_EQ(1u, summary.failures);  // AUX.txt
        for (const auto& f : disc.files) {
            SCOPED_TRACE(f.first);
            EXPECT_EQ(f.second, readFile(out / f.first));
        }
        EXPECT_TRUE(fs::is_directory(out / "Orvanta" / "Empty"));
        size_t entries = 0;
        for (auto it = fs::recursive_directory_iterator(out); it != fs::recursive_directory_iterator(); ++it) ++entries;
        EXPECT_EQ(7u, entries);  // Orvanta, top.bin, Reports, r.txt, 2026, q.txt, Empty
    }

    ExtractRequest one;
    one.viewerFile = disc.viewer.string();
    one.destination = (disc.temp.path / "one").string();
    one.password = "master";
    one.passwordGiven = true;
    one.folder = "Reports/2026";
    ExtractSummary summary;
    std::string error;
    ASSERT_TRUE(extractDisc(one, &summary, &error)) << error;
    EXPECT_EQ(disc.files[2].second, readFile(disc.temp.path / "one" / "2026" / "q.txt"));
    EXPECT_FALSE(fs::exists(disc.temp.path / "one" / "Orvanta"));
}

TEST(DiscExtract, RefusedByPasswordRightAndSwitchBeforeAnythingIsWritten) {
    WrittenDisc disc;
    ASSERT_NO_FATAL_FAILURE(disc.write());
    WrittenDisc off;
    ASSERT_NO_FATAL_FAILURE(off.write(FLAG_EXPORT_DISABLED));
    struct Case {
        const char* name;
        const WrittenDisc* disc;
        const char* password;
        const char* folder;
        const char* error;
    } cases[] = {
        {"no password", &disc, nullptr, "", "give --password"},
        {"wrong password", &disc, "Master", "", "Password incorrect."},
        {"user without the export right", &disc, "nat", "", "You do not have permissions to export."},
        {"right checked before the switch", &off, "nat", "", "You do not have permissions to export."},
        {"switched off for the disc", &off, "master", "", "export is switched off"},
        {"no such folder", &disc, "master", "Reports/2025", "no folder \"2025\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path out = c.disc->temp.path / "refused";
        ExtractRequest request;
        request.viewerFile = c.disc->viewer.string();
        request.destination = out.string();
        request.passwordGiven = c.password != nullptr;
        request.password = c.password ? c.password : "";
        request.folder = c.folder;
        ExtractSummary summary;
        std::string error;
        EXPECT_FALSE(extractDisc(request, &summary, &error));
        EXPECT_NE(std::string::npos, error.find(c.error)) << error;
        EXPECT_FALSE(fs::exists(out));
    }
}

TEST(DiscExtract, ShortDataFileFailsThatFileAndTheExportGoesOn) {
    WrittenDisc disc;
    ASSERT_NO_FATAL_FAILURE(disc.write());
    // Cut the data file inside the last item's content (q.txt, then AUX.txt come last).
    const fs::path data = disc.temp.path / "disc" / "data" / "disc1.dat";
    fs::resize_file(data, fs::file_size(data) - 20);
    ExtractRequest request;
    request.viewerFile = disc.viewer.string();
    request.destination = (disc.temp.path / "out").string();
    request.password = "master";
    request.passwordGiven = true;
    ExtractSummary summary;
    std::string error;
    ASSERT_TRUE(extractDisc(request, &summary, &error)) << error;
    EXPECT_EQ(2u, summary.files);
    EXPECT_EQ(2u, summary.failures);
    EXPECT_FALSE(fs::exists(disc.temp.path / "out" / "Orvanta" / "Reports" / "2026" / "q.txt"));
    EXPECT_EQ(disc.files[1].second, readFile(disc.temp.path / "out" / "Orvanta" / "Reports" / "r.txt"));
}
