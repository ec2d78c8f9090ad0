// Fuzzes the trailer and section layout. The input is a whole viewer file (a stub and a
// payload); its last 52 bytes are also read against a file size taken from its first 8 bytes.
// When the layout is sound, the sections are cut out of the file and parsed as the loader does.
#include <cstdint>
#include <vector>

#include "catalogue/catalogue.h"
#include "fuzzcheck.h"
#include "startup/payload.h"
#include "startup/scramble.h"

namespace {

void checkSections(const uint8_t* file, const PayloadTrailer& t, const PayloadLayout& l) {
    PayloadHeader header;
    ExactBytes headerBytes(file + l.header.offset, HEADER_SIZE);
    unfoldHeader(headerBytes.p, payloadKey(), &header);
    FUZZ_CHECK(header.contentKey[TEXT_FIELD_SIZE - 1] == 0);

    if (t.userCount != 0) {
        ExactBytes users(file + l.users.offset, l.users.size);
        std::vector<ParsedUser> parsed;
        const UserParseResult r = parseUserSection(users.p, l.users.size, t.userCount, payloadKey(), &parsed);
        FUZZ_CHECK(parsed.size() <= t.userCount);
        FUZZ_CHECK((r == UserParseResult::Ok) == (parsed.size() == t.userCount));
    }

    ExactBytes catalogue(file + l.catalogue.offset, l.catalogue.size);
    if (catalogue.n) xorFold(payloadKey(), catalogue.p, static_cast<int32_t>(catalogue.n));
    CatalogueModel model;
    const CatalogueLoadResult r = loadCatalogueRecords(catalogue.p, catalogue.n, t.itemCount, &model);
    FUZZ_CHECK(model.items.size() <= t.itemCount);
    FUZZ_CHECK((r == CatalogueLoadResult::Ok) == (model.items.size() == t.itemCount));
}

// file, when given, holds fileSize bytes and tail is its last 52.
void checkLayout(const uint8_t* tail, uint64_t fileSize, const uint8_t* file) {
    PayloadTrailer trailer;
    PayloadLayout layout;
    std::memset(&trailer, 0xA5, sizeof trailer);
    std::memset(&layout, 0xA5, sizeof layout);
    const LayoutResult r = payloadLayout(tail, fileSize, &trailer, &layout);

    if (fileSize < TRAILER_SIZE || le32(tail + 48) != PAYLOAD_MAGIC) {
        FUZZ_CHECK(r == LayoutResult::BadMagic);
        const uint8_t* raw = reinterpret_cast<const uint8_t*>(&trailer);
        for (size_t i = 0; i < sizeof trailer; ++i) FUZZ_CHECK(raw[i] == 0xA5);
        return;
    }
    FUZZ_CHECK(r != LayoutResult::BadMagic);

    // The trailer is the thirteen words as stored.
    uint32_t words[13];
    std::memcpy(words, &trailer, sizeof words);
    for (int i = 0; i < 13; ++i) FUZZ_CHECK(words[i] == le32(tail + 4 * i));

    // The sections follow each other from T0 without gaps, in payload order.
    const SectionSpan spans[8] = {layout.catalogue, layout.users, layout.licence, layout.header,
                                  layout.background, layout.logo, layout.about, layout.font};
    const uint32_t sizes[8] = {trailer.catalogueSize, trailer.userSize, trailer.licenceSize, trailer.headerSize,
                               trailer.backgroundSize, trailer.logoSize, trailer.aboutSize, trailer.fontSize};
    uint64_t expected = trailer.catalogueOffset;
    const uint64_t trailerStart = fileSize - TRAILER_SIZE;
    bool allFit = true;
    for (int i = 0; i < 8; ++i) {
        FUZZ_CHECK(spans[i].offset == expected);
        FUZZ_CHECK(spans[i].size == sizes[i]);
        // 64-bit sums of at most nine 32-bit values cannot wrap.
        allFit = allFit && spans[i].offset + spans[i].size <= trailerStart;
        expected += sizes[i];
    }
    allFit = allFit && layout.header.offset + HEADER_SIZE <= trailerStart;
    FUZZ_CHECK((r == LayoutResult::Ok) == allFit);

    if (r == LayoutResult::Ok && file) checkSections(file, trailer, layout);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quietReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reportLog().titles.clear();
    if (size < TRAILER_SIZE) {
        uint8_t tail[TRAILER_SIZE] = {};
        std::memcpy(tail, data, size);
        checkLayout(tail, size, nullptr);
        return 0;
    }
    const uint8_t* tail = data + size - TRAILER_SIZE;
    checkLayout(tail, size, data);
    if (size >= TRAILER_SIZE + 8) {
        uint64_t otherSize = 0;
        for (int i = 7; i >= 0; --i) otherSize = otherSize << 8 | data[i];
        checkLayout(tail, otherSize, nullptr);
    }
    return 0;
}
