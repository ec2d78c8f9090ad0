// Times the catalogue core on a 1,000,000-item disc: loading the section into the model, the
// rows of a 100,000-file folder, a search over every item, and the totals of a folder that
// holds most of the disc. Each benchmark's label gives its target.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/listing.h"
#include "catalogue/properties.h"
#include "catalogue/search.h"

namespace {

constexpr uint32_t ITEM_COUNT = 1000000;
constexpr uint32_t FLAT_FILES = 100000;
constexpr uint32_t SUB_FOLDERS = 900;

constexpr uint32_t ROOT_ID = 1;
constexpr uint32_t BIG_ID = 2;   // under the root; holds everything below
constexpr uint32_t FLAT_ID = 3;  // under Big; FLAT_FILES files
constexpr uint32_t FIRST_SUB_ID = 10;

struct Section {
    std::vector<uint8_t> bytes;
    uint32_t count = 0;

    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void text(const std::string& s) {
        u32(static_cast<uint32_t>(s.size()));
        bytes.insert(bytes.end(), s.begin(), s.end());
    }
    void record(uint32_t id, uint32_t parent, uint32_t kind, uint32_t size, const std::string& name,
                const std::string& nameText, int32_t idNumber) {
        for (uint32_t v : {id, parent, kind, size, 0u, 0x40u | 0x400u, static_cast<uint32_t>(idNumber), 1u}) u32(v);
        text(name);
        text("");
        text(nameText);
        u32(1);  // one user ID
        if ((kind & KIND_NO_CONTENT_MASK) == 0) {
            text("data1.bin");
            u32(id * 16);
        }
        ++count;
    }
};

const Section& disc() {
    static Section section = [] {
        Section s;
        s.bytes.reserve(static_cast<size_t>(ITEM_COUNT) * 80);
        uint32_t seed = 1;
        auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
        auto name = [&](uint32_t id) {
            std::string n(1, static_cast<char>("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[(next() >> 8) % 62]));
            return n + "ile_" + std::to_string(id) + ".txt";
        };
        s.record(ROOT_ID, 0, KIND_ROOT, 0, "", "", -1);
        s.record(BIG_ID, ROOT_ID, KIND_FOLDER, 0, "Big", "", -1);
        s.record(FLAT_ID, BIG_ID, KIND_FOLDER, 0, "Flat", "", -1);
        for (uint32_t i = 0; i < SUB_FOLDERS; ++i) {
            // Every tenth folder nests inside the one before it.
            const uint32_t parent = i % 10 == 9 ? FIRST_SUB_ID + i - 1 : BIG_ID;
            s.record(FIRST_SUB_ID + i, parent, KIND_FOLDER, 0, "folder " + std::to_string(i), "", -1);
        }
        uint32_t id = 1000000;
        for (uint32_t i = 0; i < FLAT_FILES; ++i, ++id) {
            s.record(id, FLAT_ID, KIND_FILE, next() % 100000, name(id), "name text " + std::to_string(i), static_cast<int32_t>(i));
        }
        while (s.count < ITEM_COUNT) {
            const uint32_t parent = FIRST_SUB_ID + next() % SUB_FOLDERS;
            s.record(id, parent, KIND_FILE, next() % 1000000, name(id), "name text", static_cast<int32_t>(id % 5000));
            ++id;
        }
        return s;
    }();
    return section;
}

const CatalogueModel& loadedDisc() {
    static CatalogueModel model = [] {
        CatalogueModel m;
        loadCatalogueRecords(disc().bytes.data(), disc().bytes.size(), disc().count, &m);
        return m;
    }();
    return model;
}

void BM_LoadCatalogue(benchmark::State& state) {
    const Section& s = disc();
    for (auto _ : state) {
        CatalogueModel model;
        loadCatalogueRecords(s.bytes.data(), s.bytes.size(), s.count, &model);
        benchmark::DoNotOptimize(model.items.data());
        if (model.items.size() != ITEM_COUNT) state.SkipWithError("not every item was loaded");
    }
    state.SetLabel("1,000,000 items; target < 2000 ms");
}

void BM_FolderRows(benchmark::State& state) {
    const CatalogueModel& model = loadedDisc();
    const CryptItem& flat = *findItemById(model, FLAT_ID);
    FileListRows list;
    for (auto _ : state) {
        buildFolderRows(model, flat, &list);
        benchmark::DoNotOptimize(list.rows.data());
    }
    if (listItemCount(list) != FLAT_FILES) state.SkipWithError("wrong row count");
    state.SetLabel("100,000 rows; target < 200 ms");
}

void BM_Search(benchmark::State& state) {
    const CatalogueModel& model = loadedDisc();
    const int32_t mode = static_cast<int32_t>(state.range(0));
    const char* text = mode == SEARCH_BY_ID_NUMBER ? "4242" : mode == SEARCH_BY_NAME ? "TEXT 9999" : "ILE_12345";
    size_t hits = 0;
    for (auto _ : state) {
        const std::vector<SearchHit> found = runSearchMatch(model, text, mode);
        hits = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.SetLabel("mode " + std::to_string(mode) + ", " + std::to_string(hits) +
                   " hits in 1,000,000 items; target < 500 ms");
}

void BM_FolderTotals(benchmark::State& state) {
    const CatalogueModel& model = loadedDisc();
    const int32_t node = treeNodeOfItemId(model, BIG_ID);
    FolderTotals totals{};
    for (auto _ : state) {
        totals = computeFolderTotals(model, node);
        benchmark::DoNotOptimize(totals);
    }
    if (totals.files != ITEM_COUNT - 3 - SUB_FOLDERS) state.SkipWithError("wrong file count");
    state.SetLabel(std::to_string(totals.files) + " files below; target < 500 ms");
}

}  // namespace

BENCHMARK(BM_LoadCatalogue)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FolderRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Search)->Arg(SEARCH_BY_ID_NUMBER)->Arg(SEARCH_BY_NAME)->Arg(SEARCH_BY_FILE_NAME)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderTotals)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
