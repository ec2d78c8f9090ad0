// Builds unfolded catalogue section bytes record by record, for the catalogue tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"

// One record; the setters return the record so that a test reads as one expression.
struct RecordSpec {
    RecordSpec(uint32_t id_, uint32_t parentId_, uint32_t kind_, uint32_t size_ = 0, std::string fileName_ = "")
        : id(id_), parentId(parentId_), kind(kind_), size(size_), fileName(std::move(fileName_)) {}
    RecordSpec& withNote(std::string v) { note = std::move(v); return *this; }
    RecordSpec& withNameText(std::string v) { nameText = std::move(v); return *this; }
    RecordSpec& withIdNumber(int32_t v) { idNumber = v; return *this; }
    RecordSpec& withEncFlags(uint32_t v) { encFlags = v; return *this; }
    RecordSpec& withUserIds(std::vector<uint32_t> v) { userIds = std::move(v); return *this; }
    RecordSpec& withContent(std::string path, uint32_t offset) {
        contentPath = std::move(path);
        contentOffset = offset;
        return *this;
    }
    RecordSpec& withAux(uint32_t v) { aux = v; return *this; }

    uint32_t id;
    uint32_t parentId;
    uint32_t kind;
    uint32_t size;
    std::string fileName;
    std::string note;
    std::string nameText;
    int32_t idNumber = -1;
    uint32_t encFlags = 0;
    std::vector<uint32_t> userIds;
    std::string contentPath;
    uint32_t contentOffset = 0;
    uint32_t aux = 0;
};

class SectionBuilder {
public:
    SectionBuilder& add(const RecordSpec& r) {
        u32(r.id);                                   // Id
        u32(r.parentId);                             // ParentId
        u32(r.kind);                                 // Kind
        u32(r.size);                                 // Size
        u32(r.aux);                                  // Aux
        u32(r.encFlags);                             // EncFlags
        u32(static_cast<uint32_t>(r.idNumber));      // IdNumber
        u32(static_cast<uint32_t>(r.userIds.size()));  // UserIdCount
        text(r.fileName);                            // file name: length + bytes
        text(r.note);                                // note
        text(r.nameText);                            // name text
        for (uint32_t u : r.userIds) u32(u);         // user IDs
        if ((r.kind & KIND_NO_CONTENT_MASK) == 0) {  // files only:
            text(r.contentPath);                     //   content path
            u32(r.contentOffset);                    //   content offset
        }
        ++count_;
        return *this;
    }
    SectionBuilder& root(uint32_t id, uint32_t parentId = 0) {
        return add(RecordSpec(id, parentId, KIND_ROOT, 0, "stored root name"));
    }
    SectionBuilder& folder(uint32_t id, uint32_t parentId, const std::string& name, uint32_t kind = KIND_FOLDER,
                           uint32_t size = 0) {
        return add(RecordSpec(id, parentId, kind, size, name));
    }
    SectionBuilder& file(uint32_t id, uint32_t parentId, const std::string& name, uint32_t size = 0) {
        return add(RecordSpec(id, parentId, KIND_FILE, size, name).withContent("data1.bin", 0));
    }
    // Appends raw bytes, for records that a builder call cannot express.
    SectionBuilder& raw(const std::vector<uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void text(const std::string& s) {
        u32(static_cast<uint32_t>(s.size()));
        bytes_.insert(bytes_.end(), s.begin(), s.end());
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    uint32_t count() const { return count_; }

private:
    std::vector<uint8_t> bytes_;
    uint32_t count_ = 0;
};

// Loads the builder's records; the reporter must already be set by the caller if it matters.
inline CatalogueLoadResult loadFrom(const SectionBuilder& b, CatalogueModel* model) {
    return loadCatalogueRecords(b.bytes().data(), b.bytes().size(), b.count(), model);
}
