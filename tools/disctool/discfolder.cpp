// Builds a catalogue from a folder tree on this machine: the root, then each folder before its
// contents, names in byte order. Only regular files and real folders are taken.
#include <algorithm>
#include <filesystem>
#include <map>

#include "discwriter.h"

namespace fs = std::filesystem;

namespace {

struct Walk {
    const FolderOptions& options;
    std::map<std::string, const EntryExtras*> extras;
    std::vector<DiscEntry>* entries;
    std::string* error;
    uint32_t nextId = 1;
    int32_t nextIdNumber = -1;
    uint32_t dataIndex = 1;
    uint64_t dataUsed = 0;
};

void applyExtras(Walk* w, const std::string& relative, DiscEntry* e) {
    auto it = w->extras.find(relative);
    if (it == w->extras.end()) return;
    if (it->second->idNumber) e->idNumber = *it->second->idNumber;
    e->nameText = it->second->nameText;
    e->note = it->second->note;
}

bool walkFolder(Walk* w, const fs::path& folder, const std::string& relative, uint32_t parentId) {
    std::error_code ec;
    std::vector<fs::directory_entry> children;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        *w->error = "cannot list " + folder.string() + ": " + ec.message();
        return false;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        children.push_back(*it);
    }
    if (ec) {
        *w->error = "cannot list " + folder.string() + ": " + ec.message();
        return false;
    }
    std::sort(children.begin(), children.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) {
                  return a.path().filename().string() < b.path().filename().string();
              });

    for (const fs::directory_entry& child : children) {
        const std::string name = child.path().filename().string();
        const std::string childRelative = relative.empty() ? name : relative + "/" + name;
        const bool isLink = child.is_symlink(ec);
        DiscEntry e;
        e.id = w->nextId++;
        e.parentId = parentId;
        e.fileName = name;
        e.userIds = w->options.userIds;
        if (child.is_directory(ec) && !isLink) {
            e.kind = KIND_FOLDER;
            applyExtras(w, childRelative, &e);
            w->entries->push_back(e);
            if (!walkFolder(w, child.path(), childRelative, e.id)) return false;
        } else if (child.is_regular_file(ec)) {
            const uint64_t size = child.file_size(ec);
            if (ec) {
                *w->error = "cannot read the size of " + child.path().string();
                return false;
            }
            if (size > 0xFFFFFFFFull) {
                *w->error = child.path().string() + " is larger than 4 GiB - 1 bytes";
                return false;
            }
            if (w->dataUsed > 0 && w->dataUsed + size > w->options.dataFileLimit) {
                ++w->dataIndex;
                w->dataUsed = 0;
            }
            w->dataUsed += size;
            e.kind = KIND_FILE;
            e.size = static_cast<uint32_t>(size);
            e.encFlags = encFlagsOf(w->options.method);
            e.contentPath = w->options.dataPrefix + std::to_string(w->dataIndex) + ".dat";
            // The viewer reads file names and content paths into 256-byte fields.
            if (e.contentPath.size() > 255 || name.size() > 255) {
                *w->error = "name or content path longer than 255 bytes: " + childRelative;
                return false;
            }
            e.sourcePath = child.path().string();
            applyExtras(w, childRelative, &e);
            const auto extra = w->extras.find(childRelative);
            const bool numbered = extra != w->extras.end() && extra->second->idNumber;
            if (w->nextIdNumber >= 0 && !numbered) e.idNumber = w->nextIdNumber++;
            w->entries->push_back(e);
        } else {
            --w->nextId;
        }
    }
    return true;
}

}  // namespace

bool buildFolderCatalogue(const std::string& folder, const FolderOptions& options,
                          const std::vector<EntryExtras>& extras, std::vector<DiscEntry>* entries,
                          std::string* error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        *error = folder + " is not a folder";
        return false;
    }
    Walk w{options, {}, entries, error};
    for (const EntryExtras& x : extras) w.extras[x.relativePath] = &x;
    w.nextIdNumber = options.firstIdNumber;

    DiscEntry root;
    root.id = w.nextId++;
    root.parentId = 0;
    root.kind = KIND_ROOT;
    root.fileName = options.rootName;
    root.userIds = options.userIds;
    applyExtras(&w, "", &root);
    entries->push_back(root);
    return walkFolder(&w, folder, "", root.id);
}
