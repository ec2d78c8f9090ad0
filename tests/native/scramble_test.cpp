// The scrambling routines against deliberately naive references (one pass per key byte, mixBlock
// applied key-length times), and the stream routines through counting in-memory files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "startup/report.h"
#include "startup/scramble.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng());
    return out;
}

// Key bytes 1..255 (a key cannot hold 0), length n.
std::string randomKey(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string key;
    for (size_t i = 0; i < n; ++i) key += static_cast<char>(1 + rng() % 255);
    return key;
}

void naiveXorFold(const std::string& key, Bytes& data, size_t from, size_t length) {
    for (char k : key)
        for (size_t i = from; i < from + length; ++i) data[i] ^= static_cast<uint8_t>(k);
}

void naiveXorFoldIndexed(const std::string& key, Bytes& data) {
    for (size_t j = 0; j < key.size(); ++j)
        for (auto& b : data) b ^= static_cast<uint8_t>(j + static_cast<uint8_t>(key[j]));
}

void naiveUnscramble(const std::string& key, Bytes& data) {
    const size_t blocks = data.size() / 16;
    for (size_t b = 0; b < blocks; ++b)
        for (size_t r = 0; r < key.size(); ++r) mixBlock(&data[16 * b]);
    naiveXorFold(key, data, 16 * blocks, data.size() % 16);
}

int32_t len32(const Bytes& data) {
    return static_cast<int32_t>(data.size());
}

// Runs body once with each form of the composed block mixing (a form the processor lacks falls
// back to a slower one).
template <typename Body>
void forEachBlockForm(Body body) {
    const std::pair<BlockForm, const char*> forms[] = {
        {BlockForm::Planes512, "512-bit planes"}, {BlockForm::Planes128, "128-bit planes"}, {BlockForm::Tables, "tables"}};
    for (const auto& form : forms) {
        SCOPED_TRACE(form.second);
        limitBlockForm(form.first);
        body();
    }
    limitBlockForm(BlockForm::Planes512);
}

const size_t KEY_LENGTHS[] = {0, 1, 2, 3, 7, 16, 31, 32, 33, 100, 253, 254};
// Tails of every width, the SIMD widths, 1 to 3 blocks past a multiple of 4, and block counts
// on either side of where composing the rounds starts to pay.
const size_t DATA_LENGTHS[] = {0, 1, 15, 16, 17, 35, 63, 64, 65, 100, 255, 16 * 25 + 3, 16 * 26,
                               4096, 4111, 65536 + 9, 16 * 6001 + 7};

TEST(MixBlock, TestValues) {
    uint8_t zeros[16] = {};
    mixBlock(zeros);
    const uint8_t expectZeros[16] = {0x00, 0xFF, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF,
                                     0xFF, 0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(0, std::memcmp(zeros, expectZeros, 16));

    uint8_t counting[16];
    for (int i = 0; i < 16; ++i) counting[i] = static_cast<uint8_t>(i);
    mixBlock(counting);
    const uint8_t expectCounting[16] = {0x0F, 0xF0, 0xF8, 0x06, 0xFC, 0x01, 0x0A, 0xF6,
                                        0xFE, 0x05, 0x0B, 0xF1, 0x0C, 0xF5, 0xF8, 0x00};
    EXPECT_EQ(0, std::memcmp(counting, expectCounting, 16));
}

TEST(MixBlock, UnmixBlockInvertsItBothWays) {
    for (uint32_t seed = 1; seed <= 200; ++seed) {
        const Bytes original = randomBytes(16, seed);
        Bytes block = original;
        mixBlock(block.data());
        EXPECT_NE(original, block);
        unmixBlock(block.data());
        ASSERT_EQ(original, block) << "seed " << seed;
        unmixBlock(block.data());
        mixBlock(block.data());
        ASSERT_EQ(original, block) << "seed " << seed;
    }
}

TEST(XnorByte, IsTheComplementOfXor) {
    EXPECT_EQ(0xFF, xnorByte(0x00, 0x00));
    EXPECT_EQ(0x00, xnorByte(0xFF, 0x00));
    EXPECT_EQ(0xA5, xnorByte(0x0F, 0x55));
}

TEST(XorFold, MatchesOnePassPerKeyByte) {
    for (size_t keyLength : KEY_LENGTHS) {
        for (size_t length : DATA_LENGTHS) {
            SCOPED_TRACE("key " + std::to_string(keyLength) + ", data " + std::to_string(length));
            const std::string key = randomKey(keyLength, static_cast<uint32_t>(keyLength + 7));
            Bytes expected = randomBytes(length, static_cast<uint32_t>(length));
            Bytes data = expected;
            naiveXorFold(key, expected, 0, length);
            xorFold(key.c_str(), data.data(), len32(data));
            ASSERT_EQ(expected, data);
            xorFold(key.c_str(), data.data(), len32(data));
            ASSERT_EQ(randomBytes(length, static_cast<uint32_t>(length)), data) << "twice restores";
        }
    }
}

TEST(XorFold, KeysThatChangeNothing) {
    const Bytes original = randomBytes(1000, 5);
    struct Case {
        const char* name;
        const char* key;
        int32_t length;
        bool indexedToo;  // xorFoldIndexed leaves the data alone as well
    };
    const Case cases[] = {
        {"bytes XOR to 0", "\x01\x02\x03", 1000, false},
        {"one byte twice", "qq", 1000, false},
        {"empty key", "", 1000, true},
        {"no key", nullptr, 1000, true},
        {"length 0", "abc", 0, true},
        {"negative length", "abc", -5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes data = original;
        xorFold(c.key, data.data(), c.length);
        EXPECT_EQ(original, data);
        if (!c.indexedToo) continue;
        xorFoldIndexed(c.key, data.data(), c.length);
        EXPECT_EQ(original, data);
    }
}

TEST(XorFold, KeysWithTheSameFoldActAlike) {
    // 'a' ^ 'b' ^ 'c' == '`' and "xy" ^ "zy" differ only by 'x' ^ 'z'.
    Bytes a = randomBytes(77, 9), b = a;
    xorFold("abc", a.data(), len32(a));
    xorFold("`", b.data(), len32(b));
    EXPECT_EQ(a, b);
}

TEST(XorFoldIndexed, MatchesOnePassPerKeyByte) {
    // 300 characters: positions past 255 wrap to their low 8 bits.
    for (size_t keyLength : {size_t(0), size_t(1), size_t(2), size_t(40), size_t(254), size_t(300)}) {
        SCOPED_TRACE("key " + std::to_string(keyLength));
        const std::string key = randomKey(keyLength, static_cast<uint32_t>(keyLength));
        Bytes expected = randomBytes(333, 3);
        Bytes data = expected;
        naiveXorFoldIndexed(key, expected);
        xorFoldIndexed(key.c_str(), data.data(), len32(data));
        ASSERT_EQ(expected, data);
        xorFoldIndexed(key.c_str(), data.data(), len32(data));
        naiveXorFoldIndexed(key, expected);
        ASSERT_EQ(expected, data) << "twice restores";
    }
}

TEST(XorFoldIndexed, OneCharacterKeyXorsThatCharacter) {
    Bytes data = {0x00, 0xFF, 0x5A};
    xorFoldIndexed("\x33", data.data(), 3);
    EXPECT_EQ((Bytes{0x33, 0xCC, 0x69}), data);
    // Position 1 adds one: "\x01\x01" folds to 0x01 ^ 0x02.
    Bytes two = {0x00};
    xorFoldIndexed("\x01\x01", two.data(), 1);
    EXPECT_EQ(0x03, two[0]);
}

TEST(UnscrambleBlocks, MatchesKeyLengthRoundsOfMixBlock) {
    forEachBlockForm([] {
    for (size_t keyLength : KEY_LENGTHS) {
        for (size_t length : DATA_LENGTHS) {
            SCOPED_TRACE("key " + std::to_string(keyLength) + ", data " + std::to_string(length));
            const std::string key = randomKey(keyLength, static_cast<uint32_t>(keyLength + 1));
            Bytes expected = randomBytes(length, static_cast<uint32_t>(length + 11));
            Bytes data = expected;
            naiveUnscramble(key, expected);
            unscrambleBlocks(key.c_str(), data.data(), len32(data));
            ASSERT_EQ(expected, data);
        }
    }
    });
}

TEST(UnscrambleBlocks, SplitsWholeBlocksFromTheTail) {
    const std::string key = "secret";
    const Bytes original = randomBytes(35, 21);
    struct Case {
        const char* name;
        size_t length;
    };
    for (const Case& c : {Case{"15 bytes only fold", 15}, Case{"16 bytes only mix", 16},
                          Case{"35 bytes mix two blocks, fold three", 35}}) {
        SCOPED_TRACE(c.name);
        Bytes data(original.begin(), original.begin() + static_cast<long>(c.length));
        Bytes expected = data;
        const size_t blocks = c.length / 16;
        for (size_t b = 0; b < blocks; ++b)
            for (size_t r = 0; r < key.size(); ++r) mixBlock(&expected[16 * b]);
        xorFold(key.c_str(), expected.data() + 16 * blocks, static_cast<int32_t>(c.length % 16));
        unscrambleBlocks(key.c_str(), data.data(), len32(data));
        EXPECT_EQ(expected, data);
    }
}

TEST(UnscrambleBlocks, OnlyTheKeyLengthEntersTheBlocks) {
    const Bytes original = randomBytes(16 * 40 + 5, 8);
    Bytes a = original, b = original, c = original;
    unscrambleBlocks("abcd", a.data(), len32(a));
    unscrambleBlocks("wxyz", b.data(), len32(b));  // other characters, other fold
    unscrambleBlocks("dcba", c.data(), len32(c));  // same fold
    EXPECT_TRUE(std::equal(a.begin(), a.end() - 5, b.begin()));
    EXPECT_FALSE(std::equal(a.end() - 5, a.end(), b.end() - 5));
    EXPECT_EQ(a, c);

    Bytes none = original;
    unscrambleBlocks("", none.data(), len32(none));
    unscrambleBlocks(nullptr, none.data(), len32(none));
    unscrambleBlocks("abc", none.data(), 0);
    unscrambleBlocks("abc", none.data(), -16);
    EXPECT_EQ(original, none);
}

TEST(ScrambleBlocks, InvertsUnscrambleBlocks) {
    forEachBlockForm([] {
    for (size_t keyLength : {size_t(1), size_t(5), size_t(254)}) {
        for (size_t length : {size_t(15), size_t(35), size_t(16 * 1000 + 3)}) {
            SCOPED_TRACE("key " + std::to_string(keyLength) + ", data " + std::to_string(length));
            const std::string key = randomKey(keyLength, 4);
            const Bytes original = randomBytes(length, 6);
            Bytes data = original;
            scrambleBlocks(key.c_str(), data.data(), len32(data));
            EXPECT_NE(original, data);
            unscrambleBlocks(key.c_str(), data.data(), len32(data));
            ASSERT_EQ(original, data);
            unscrambleBlocks(key.c_str(), data.data(), len32(data));
            scrambleBlocks(key.c_str(), data.data(), len32(data));
            ASSERT_EQ(original, data);
        }
    }
    });
}

// An unbuffered in-memory file. It records every read call and the size of every write, and
// at every write how far its source had been read; it can refuse writes or raise an abort flag
// after its first write.
struct MemoryFile {
    Bytes data;
    size_t position = 0;
    bool refuseWrites = false;
    volatile int32_t* abortAfterWrite = nullptr;
    const MemoryFile* source = nullptr;
    std::vector<size_t> reads, writes, sourceReadAtWrite;
};

ssize_t memoryRead(void* cookie, char* buf, size_t size) {
    auto* f = static_cast<MemoryFile*>(cookie);
    const size_t n = f->position < f->data.size() ? std::min(size, f->data.size() - f->position) : 0;
    std::memcpy(buf, f->data.data() + f->position, n);
    f->position += n;
    f->reads.push_back(size);
    return static_cast<ssize_t>(n);
}

ssize_t memoryWrite(void* cookie, const char* buf, size_t size) {
    auto* f = static_cast<MemoryFile*>(cookie);
    f->writes.push_back(size);
    if (f->source) f->sourceReadAtWrite.push_back(f->source->position);
    if (f->refuseWrites) return 0;
    if (f->data.size() < f->position + size) f->data.resize(f->position + size);
    std::memcpy(f->data.data() + f->position, buf, size);
    f->position += size;
    if (f->abortAfterWrite) *f->abortAfterWrite = 1;
    return static_cast<ssize_t>(size);
}

FILE* openMemory(MemoryFile& f, const char* mode) {
    cookie_io_functions_t io = {memoryRead, memoryWrite, nullptr, nullptr};
    FILE* file = fopencookie(&f, mode, io);
    setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

enum class Method { Xor, Block };

StreamResult runStream(Method method, const char* key, MemoryFile& out, MemoryFile& in, uint32_t length,
                       const volatile int32_t* abortFlag = nullptr) {
    out.source = &in;
    FILE* o = openMemory(out, "w");
    FILE* i = openMemory(in, "r");
    const StreamResult result = method == Method::Xor ? decryptXorStream(key, o, i, length, abortFlag)
                                                      : decryptBlockStream(key, o, i, length, abortFlag);
    std::fclose(i);
    std::fclose(o);
    return result;
}

Bytes wholeBuffer(Method method, const std::string& key, Bytes data) {
    if (method == Method::Xor)
        xorFold(key.c_str(), data.data(), len32(data));
    else
        unscrambleBlocks(key.c_str(), data.data(), len32(data));
    return data;
}

const char* nameOf(Method m) {
    return m == Method::Xor ? "decryptXorStream" : "decryptBlockStream";
}

TEST(DecryptStream, EqualsTheWholeBufferRoutineInWholeChunks) {
    const size_t MIB = CHUNK_SIZE;
    struct Case {
        const char* name;
        size_t length;
        std::vector<size_t> chunks;
        std::vector<size_t> readAtWrites;  // each chunk is read whole before it is written
    };
    const Case cases[] = {
        {"one byte", 1, {1}, {1}},
        {"a block and a tail", 35, {35}, {35}},
        {"exactly one chunk", MIB, {MIB}, {MIB}},
        {"one chunk and a byte", MIB + 1, {MIB, 1}, {MIB, MIB + 1}},
        {"two chunks and a tail", 2 * MIB + 35, {MIB, MIB, 35}, {MIB, 2 * MIB, 2 * MIB + 35}},
    };
    forEachBlockForm([&cases] {
    for (Method method : {Method::Xor, Method::Block}) {
        for (size_t keyLength : {size_t(3), size_t(254)}) {
            for (const Case& c : cases) {
                SCOPED_TRACE(std::string(nameOf(method)) + ", key " + std::to_string(keyLength) + ", " + c.name);
                const std::string key = randomKey(keyLength, 12);
                MemoryFile in, out;
                in.data = randomBytes(c.length, static_cast<uint32_t>(c.length));
                ASSERT_EQ(StreamResult::Done, runStream(method, key.c_str(), out, in, static_cast<uint32_t>(c.length)));
                EXPECT_EQ(c.chunks, out.writes);
                EXPECT_EQ(c.readAtWrites, out.sourceReadAtWrite);
                ASSERT_EQ(wholeBuffer(method, key, in.data), out.data);
            }
        }
    }
    });
}

TEST(DecryptStream, StartsAtTheCurrentPositions) {
    for (Method method : {Method::Xor, Method::Block}) {
        SCOPED_TRACE(nameOf(method));
        MemoryFile in, out;
        in.data = randomBytes(100, 1);
        in.position = 20;
        out.data = Bytes(7, 0xEE);
        out.position = 7;
        ASSERT_EQ(StreamResult::Done, runStream(method, "key", out, in, 50));
        Bytes expected(7, 0xEE);
        const Bytes plain = wholeBuffer(method, "key", Bytes(in.data.begin() + 20, in.data.begin() + 70));
        expected.insert(expected.end(), plain.begin(), plain.end());
        EXPECT_EQ(expected, out.data);
        EXPECT_EQ(70u, in.position);
    }
}

TEST(DecryptStream, Failures) {
    const size_t MIB = CHUNK_SIZE;
    for (Method method : {Method::Xor, Method::Block}) {
        SCOPED_TRACE(nameOf(method));
        const Bytes source = randomBytes(MIB + MIB / 2, 2);
        const Bytes firstChunk = wholeBuffer(method, "k", Bytes(source.begin(), source.begin() + static_cast<long>(MIB)));
        {
            SCOPED_TRACE("length 0 reads and writes nothing");
            MemoryFile in, out;
            in.data = source;
            EXPECT_EQ(StreamResult::Done, runStream(method, "k", out, in, 0));
            EXPECT_TRUE(in.reads.empty());
            EXPECT_TRUE(out.writes.empty());
        }
        {
            SCOPED_TRACE("no key reads nothing");
            MemoryFile in, out;
            in.data = source;
            EXPECT_EQ(StreamResult::NoKey, runStream(method, nullptr, out, in, 100));
            EXPECT_TRUE(in.reads.empty());
            EXPECT_TRUE(out.writes.empty());
        }
        {
            SCOPED_TRACE("input shorter than length: whole chunks before it are kept");
            MemoryFile in, out;
            in.data = source;
            EXPECT_EQ(StreamResult::ShortRead, runStream(method, "k", out, in, static_cast<uint32_t>(2 * MIB)));
            EXPECT_EQ(firstChunk, out.data);
        }
        {
            SCOPED_TRACE("the output refuses bytes");
            MemoryFile in, out;
            in.data = source;
            out.refuseWrites = true;
            EXPECT_EQ(StreamResult::WriteFailed, runStream(method, "k", out, in, static_cast<uint32_t>(source.size())));
            EXPECT_EQ(1u, out.writes.size());
        }
        {
            SCOPED_TRACE("abort raised before the start");
            MemoryFile in, out;
            in.data = source;
            const volatile int32_t flag = 1;
            EXPECT_EQ(StreamResult::Aborted, runStream(method, "k", out, in, 100, &flag));
            EXPECT_TRUE(in.reads.empty());
            EXPECT_TRUE(out.data.empty());
        }
        {
            SCOPED_TRACE("abort raised during the first chunk stops before the second");
            MemoryFile in, out;
            in.data = source;
            volatile int32_t flag = 0;
            out.abortAfterWrite = &flag;
            EXPECT_EQ(StreamResult::Aborted, runStream(method, "k", out, in, static_cast<uint32_t>(source.size()), &flag));
            EXPECT_EQ(MIB, in.position);
            EXPECT_EQ(firstChunk, out.data);
        }
    }
}

}  // namespace
