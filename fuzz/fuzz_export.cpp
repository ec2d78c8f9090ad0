// Fuzzes export planning with names that come from a disc. The input is a 32-bit record count,
// one option byte (destination style, path limit) and the unfolded catalogue section. Every
// folder's plan and every file's target must stay inside the chosen folder: each planned path
// is the destination, the separator, and plain names that the system cannot read as a step
// up, a drive, a stream or a device.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "extract/extract.h"
#include "fuzzcheck.h"
#include "startup/safename.h"

namespace {

struct Target {
    std::string destination;
    char separator;
    size_t maxPath;
};

// What Windows makes of a name: trailing dots and blanks are dropped before it is used.
std::string asWindowsSees(const std::string& name) {
    size_t end = name.size();
    while (end > 0 && (name[end - 1] == '.' || name[end - 1] == ' ')) --end;
    return name.substr(0, end);
}

void checkName(const std::string& name) {
    FUZZ_CHECK(!name.empty());
    const std::string seen = asWindowsSees(name);
    FUZZ_CHECK(!seen.empty() && seen != "." && seen != "..");
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        FUZZ_CHECK(c != '/' && c != '\\' && c != ':' && u >= 32);
    }
    FUZZ_CHECK(!namesDevice(name));
    FUZZ_CHECK(isSafeFileName(name.c_str()));
}

// The names below the destination; the path must begin with destination + separator.
std::vector<std::string> namesBelow(const Target& t, const std::string& path) {
    const std::string prefix = t.destination + t.separator;
    FUZZ_CHECK(path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0);
    std::vector<std::string> names;
    size_t at = prefix.size();
    for (;;) {
        const size_t next = path.find(t.separator, at);
        names.push_back(path.substr(at, next == std::string::npos ? std::string::npos : next - at));
        if (next == std::string::npos) break;
        at = next + 1;
    }
    for (const std::string& name : names) checkName(name);
    return names;
}

std::string folderOf(const Target& t, const std::string& path) {
    return path.substr(0, path.rfind(t.separator));
}

void checkStep(const CatalogueModel& model, const Target& t, const ExportStep& step,
               const std::set<std::string>& madeFolders) {
    FUZZ_CHECK(step.item && itemIndexOf(model, step.item) != NO_ITEM);
    switch (step.kind) {
    case ExportStepKind::MakeFolder:
    case ExportStepKind::WriteFile: {
        FUZZ_CHECK(step.path.size() <= t.maxPath);
        const std::vector<std::string> names = namesBelow(t, step.path);
        FUZZ_CHECK(names.back() == step.item->FileName);
        const std::string parent = folderOf(t, step.path);
        FUZZ_CHECK(parent == t.destination || madeFolders.count(parent));
        break;
    }
    case ExportStepKind::RefusedName:
    case ExportStepKind::RefusedLength:
        // The folder it would have gone into, already made (or the destination itself).
        FUZZ_CHECK(step.path == t.destination || madeFolders.count(step.path));
        if (step.kind == ExportStepKind::RefusedName) FUZZ_CHECK(!isUsableName(*step.item));
        break;
    }
}

void checkFolderPlan(const CatalogueModel& model, const CryptItem& folder, const Target& t) {
    const std::vector<ExportStep> steps =
        planFolderExport(model, folder, t.destination, t.separator, t.maxPath);
    FUZZ_CHECK(!steps.empty() && steps.front().item == &folder);
    std::set<std::string> madeFolders;
    for (const ExportStep& step : steps) {
        checkStep(model, t, step, madeFolders);
        if (step.kind == ExportStepKind::MakeFolder) madeFolders.insert(step.path);
        if (step.kind == ExportStepKind::WriteFile) FUZZ_CHECK(step.item->Kind == KIND_FILE);
    }
}

void checkFilePlan(const CatalogueModel& model, const CryptItem& item, const Target& t) {
    const ExportStep step = planFileExport(item, t.destination, t.separator, t.maxPath);
    FUZZ_CHECK(step.item == &item);
    FUZZ_CHECK(step.kind != ExportStepKind::MakeFolder);
    checkStep(model, t, step, {});
    if (step.kind == ExportStepKind::WriteFile) FUZZ_CHECK(namesBelow(t, step.path).size() == 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quietReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reportLog().titles.clear();
    FuzzInput in{data, size};
    const uint32_t count = in.u32();
    const uint8_t options = in.u8();
    ExactBytes section(in.data, in.size);
    CatalogueModel model;
    loadCatalogueRecords(section.p, section.n, count, &model);

    const Target targets[] = {
        {"C:\\Documents and Settings\\me\\Export", '\\', (options & 1) ? 4096u : 259u},
        {"/tmp/orvanta-export", '/', (options & 2) ? 4096u : 128u},
    };
    for (const Target& t : targets) {
        size_t folders = 0;
        for (const CryptItem& item : model.items) {
            if (item.TreeNode != NO_NODE && folders++ < 6) checkFolderPlan(model, item, t);
            checkFilePlan(model, item, t);
        }
    }
    return 0;
}
