#include "extract/extract.h"

#include <cstdio>

#include "startup/safename.h"
#include "startup/scramble.h"

namespace {

bool seekFile(FILE* f, uint64_t offset, int whence) {
#if defined(_WIN32)
    return _fseeki64(f, static_cast<__int64>(offset), whence) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), whence) == 0;
#endif
}

uint64_t tellFile(FILE* f) {
#if defined(_WIN32)
    return static_cast<uint64_t>(_ftelli64(f));
#else
    return static_cast<uint64_t>(ftello(f));
#endif
}

ExtractResult fromStream(StreamResult r) {
    switch (r) {
    case StreamResult::Done: return ExtractResult::Done;
    case StreamResult::NoMemory: return ExtractResult::NoMemory;
    case StreamResult::ShortRead: return ExtractResult::ContentTooShort;
    case StreamResult::Aborted: return ExtractResult::Aborted;
    case StreamResult::NoKey:
    case StreamResult::WriteFailed: break;
    }
    return ExtractResult::WriteFailed;
}

std::string join(const std::string& folder, const char* name, char separator) {
    std::string path = folder;
    path += separator;
    path += name;
    return path;
}

}  // namespace

ExtractResult extractItemContentTo(const CryptItem& item, const char* contentPath, const char* contentKey,
                                   const char* target, const volatile int32_t* abortFlag) {
    const bool bitCrypt = item.EncFlags & ENC_BITCRYPT;
    const bool scramble = item.EncFlags & ENC_SCRAMBLE;
    // Marked encrypted by a method we cannot undo: an empty or scrambled file would be worse
    // than none.
    if (!bitCrypt && !scramble && (item.EncFlags & ENC_ENCRYPTED)) return ExtractResult::UnsupportedMethod;
    if (abortFlag && *abortFlag) return ExtractResult::Aborted;

    FILE* in = std::fopen(contentPath, "rb");
    if (!in) return ExtractResult::ContentNotOpened;
    const uint64_t end = seekFile(in, 0, SEEK_END) ? tellFile(in) : 0;
    if (end < static_cast<uint64_t>(item.ContentOffset) + item.Size || !seekFile(in, item.ContentOffset, SEEK_SET)) {
        std::fclose(in);
        return ExtractResult::ContentTooShort;
    }
    FILE* out = std::fopen(target, "wb");
    if (!out) {
        std::fclose(in);
        return ExtractResult::TargetNotCreated;
    }
    // The stream routines move whole chunks: without the files' own buffers each chunk is one
    // read and one write, not a small copy through the buffer first.
    std::setvbuf(in, nullptr, _IONBF, 0);
    std::setvbuf(out, nullptr, _IONBF, 0);
    StreamResult r;
    if (bitCrypt)
        r = decryptXorStream(contentKey, out, in, item.Size, abortFlag);
    else if (scramble)
        r = decryptBlockStream(contentKey, out, in, item.Size, abortFlag);
    else
        r = decryptXorStream("", out, in, item.Size, abortFlag);  // an empty key copies as stored
    const bool closed = std::fclose(out) == 0;
    std::fclose(in);
    ExtractResult result = fromStream(r);
    if (result == ExtractResult::Done && !closed) result = ExtractResult::WriteFailed;
    if (result != ExtractResult::Done) std::remove(target);
    return result;
}

std::string resolveContentPath(const std::string& viewerFolder, const std::string& contentPath, char separator) {
    std::string path = contentPath;
    if (separator != '\\')
        for (char& c : path)
            if (c == '\\') c = separator;
    const bool absolute = (!path.empty() && path[0] == separator) || (path.size() >= 2 && path[1] == ':');
    return absolute ? path : join(viewerFolder, path.c_str(), separator);
}

bool isUsableName(const CryptItem& item) {
    return isSafeFileName(nameOf(item));
}

ExportStep planFileExport(const CryptItem& item, const std::string& folder, char separator, size_t maxPath) {
    if (!isUsableName(item)) return {ExportStepKind::RefusedName, folder, &item};
    std::string path = join(folder, nameOf(item), separator);
    if (path.size() > maxPath) return {ExportStepKind::RefusedLength, folder, &item};
    return {ExportStepKind::WriteFile, path, &item};
}

namespace {

void planFiles(const CatalogueModel& model, const CryptItem& folder, const std::string& path, char separator,
               size_t maxPath, std::vector<ExportStep>* steps) {
    const ItemRange children = childItemsOfId(model, folder.Id);
    for (const uint32_t* i = children.begin; i != children.end; ++i) {
        const CryptItem& item = model.items[*i];
        if (item.Kind == KIND_FILE) steps->push_back(planFileExport(item, path, separator, maxPath));
    }
}

// A folder's own folder and files, then its sub-folders. Iterative, so that a deep tree cannot
// exhaust the stack.
void planTree(const CatalogueModel& model, const CryptItem& top, const std::string& destination, char separator,
              size_t maxPath, size_t maxFolderPath, std::vector<ExportStep>* steps) {
    struct Pending {
        const CryptItem* item;
        int32_t node;
        std::string parentPath;
    };
    std::vector<Pending> stack;
    stack.push_back({&top, top.TreeNode, destination});
    while (!stack.empty()) {
        Pending p = std::move(stack.back());
        stack.pop_back();
        const ExportStep folderStep = planFileExport(*p.item, p.parentPath, separator, maxFolderPath);
        if (folderStep.kind != ExportStepKind::WriteFile) {
            steps->push_back(folderStep);
            continue;
        }
        steps->push_back({ExportStepKind::MakeFolder, folderStep.path, p.item});
        planFiles(model, *p.item, folderStep.path, separator, maxPath, steps);
        if (p.node == NO_NODE) continue;
        // Children pushed in reverse so that they come off the stack in tree order.
        std::vector<int32_t> children;
        for (int32_t c = model.nodes[p.node].firstChild; c != NO_NODE; c = model.nodes[c].nextSibling)
            children.push_back(c);
        for (auto c = children.rbegin(); c != children.rend(); ++c) {
            const CryptItem* child = itemOfNode(model, *c);
            if (child) stack.push_back({child, *c, folderStep.path});
        }
    }
}

}  // namespace

std::vector<ExportStep> planFolderExport(const CatalogueModel& model, const CryptItem& folder,
                                         const std::string& destination, char separator, size_t maxPath,
                                         size_t maxFolderPath) {
    std::vector<ExportStep> steps;
    planTree(model, folder, destination, separator, maxPath, maxFolderPath < maxPath ? maxFolderPath : maxPath,
             &steps);
    return steps;
}

namespace {

bool isInsideFolder(const std::string& path, const std::string& folder) {
    if (path.size() < folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
    return path.size() == folder.size() || path[folder.size()] == '\\' || path[folder.size()] == '/';
}

}  // namespace

ExportEnd runExportPlan(const std::vector<ExportStep>& steps, const ExportActions& actions,
                        const volatile int32_t* abortFlag) {
    std::string failedFolder;
    for (const ExportStep& step : steps) {
        if (abortFlag && *abortFlag) return ExportEnd::Aborted;
        if (!failedFolder.empty() && isInsideFolder(step.path, failedFolder)) continue;
        switch (step.kind) {
        case ExportStepKind::MakeFolder:
            if (!actions.makeFolder(step.path, actions.context)) failedFolder = step.path;
            break;
        case ExportStepKind::WriteFile:
            if (actions.writeFile(*step.item, step.path, actions.context) == ExtractResult::Aborted)
                return ExportEnd::Aborted;
            break;
        case ExportStepKind::RefusedName:
        case ExportStepKind::RefusedLength:
            actions.refused(step, actions.context);
            break;
        }
    }
    return ExportEnd::Finished;
}
