// Export of a disc whose names try to leave the chosen folder or reach a device: every planned
// path stays below the destination, and names the system would open as a port are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "extract/extract.h"
#include "startup/report.h"
#include "startup/safename.h"

namespace {

void ignoreReport(const char*, const char*) {}

const std::string DEST = "C:\\Export";

}  // namespace

TEST(HostileExport, PortNamesWithSuperscriptDigitsAreRefused) {
    // The system reads the superscript digits 1, 2 and 3 of the ANSI code page as port numbers.
    struct Case {
        const char* name;
        bool safe;
    } cases[] = {
        {"COM\xb9", false},     {"com\xb2.txt", false}, {"LPT\xb3", false}, {"lpt\xb9 .log", false},
        {"COM\xb9x", true},     {"COM\xbc", true},      {"xCOM\xb9", true}, {"LPT\xb3\xb3", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.safe, isSafeFileName(c.name));
    }
}

TEST(HostileExport, EveryPlannedPathStaysBelowTheDestination) {
    setReporter(ignoreReport);
    SectionBuilder b;
    b.root(1)
        .folder(2, 1, "..")
        .file(3, 2, "escaped.txt")
        .folder(4, 1, "Docs")
        .file(5, 4, "..\\..\\Windows\\win.ini")
        .file(6, 4, "a/b")
        .file(7, 4, "C:evil")
        .file(8, 4, "COM\xb9.txt")
        .file(9, 4, "lpt\xb2")
        .file(10, 4, "name. ")
        .file(11, 4, "kept.txt");
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));

    const std::vector<ExportStep> steps = planFolderExport(model, model.items[0], DEST, '\\', 259);
    std::vector<std::string> written, refused;
    for (const ExportStep& s : steps) {
        SCOPED_TRACE(s.path);
        ASSERT_EQ(0u, s.path.compare(0, DEST.size(), DEST));
        EXPECT_EQ(std::string::npos, s.path.find("\\..", DEST.size()));
        EXPECT_EQ(std::string::npos, s.path.find('/'));
        EXPECT_EQ(std::string::npos, s.path.find(':', DEST.size()));
        if (s.kind == ExportStepKind::WriteFile) written.push_back(s.path);
        if (s.kind == ExportStepKind::RefusedName) refused.push_back(s.item->FileName);
    }
    EXPECT_EQ(std::vector<std::string>{DEST + "\\Orvanta\\Docs\\kept.txt"}, written);
    const std::vector<std::string> expectRefused = {
        "..", "..\\..\\Windows\\win.ini", "a/b", "C:evil", "COM\xb9.txt", "lpt\xb2", "name. "};
    EXPECT_EQ(expectRefused, refused);
    setReporter(nullptr);
}
