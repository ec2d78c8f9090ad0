// The scrambling family. The XOR methods fold the key to one byte and XOR wide words; the block
// method composes its key-length rounds into one affine map (table lookups, or bit-plane matrices
// on processors that have the instructions), so the key's length costs nothing per byte.
#include "startup/scramble.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#endif

#include "startup/report.h"

namespace {

uint8_t foldKey(const char* key) {
    uint8_t folded = 0;
    for (const char* p = key; *p; ++p) folded ^= static_cast<uint8_t>(*p);
    return folded;
}

uint8_t swapBitPairs(uint8_t b) {
    return static_cast<uint8_t>(((b << 1) & 0xAA) | ((b >> 1) & 0x55));
}

void xorBytes(uint8_t* data, size_t length, uint8_t k) {
    if (k == 0) return;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i kk = _mm_set1_epi8(static_cast<char>(k));
    for (; i + 64 <= length; i += 64) {
        __m128i* p = reinterpret_cast<__m128i*>(data + i);
        const __m128i a = _mm_xor_si128(_mm_loadu_si128(p), kk);
        const __m128i b = _mm_xor_si128(_mm_loadu_si128(p + 1), kk);
        const __m128i c = _mm_xor_si128(_mm_loadu_si128(p + 2), kk);
        const __m128i d = _mm_xor_si128(_mm_loadu_si128(p + 3), kk);
        _mm_storeu_si128(p, a);
        _mm_storeu_si128(p + 1, b);
        _mm_storeu_si128(p + 2, c);
        _mm_storeu_si128(p + 3, d);
    }
    for (; i + 16 <= length; i += 16) {
        __m128i* p = reinterpret_cast<__m128i*>(data + i);
        _mm_storeu_si128(p, _mm_xor_si128(_mm_loadu_si128(p), kk));
    }
#else
    const uint64_t k8 = k * 0x0101010101010101ull;
    for (; i + 8 <= length; i += 8) {
        uint64_t w;
        std::memcpy(&w, data + i, 8);
        w ^= k8;
        std::memcpy(data + i, &w, 8);
    }
#endif
    for (; i < length; ++i) data[i] ^= k;
}

// n rounds of mixBlock (or of unmixBlock), composed. A round only XORs whole bytes, complements
// them and swaps the bit pairs of one byte, so n rounds are out_i = c_i ^ XOR over j of (a_ij ? p_j : 0) ^
// (b_ij ? swap(p_j) : 0) with 0/1 coefficients a_ij, b_ij.
struct Composition {
    uint8_t coefficients[16][16];  // [i][j]: bit 0 a_ij, bit 1 b_ij
    uint8_t constant[16];
};

using Round = void (*)(uint8_t block[16]);

void runRounds(Round round, uint8_t* block, size_t rounds) {
    for (size_t r = 0; r < rounds; ++r) round(block);
}

void compose(Composition& out, Round round, size_t rounds) {
    std::memset(out.constant, 0, 16);
    runRounds(round, out.constant, rounds);
    // Rounds never move a bit out of its bit pair and treat the four pairs of a byte alike, so
    // one probe block finds the coefficients of four input bytes, one pair each.
    for (int group = 0; group < 4; ++group) {
        uint8_t probe[16] = {};
        for (int lane = 0; lane < 4; ++lane) probe[4 * group + lane] = static_cast<uint8_t>(1u << (2 * lane));
        runRounds(round, probe, rounds);
        for (int lane = 0; lane < 4; ++lane)
            for (int i = 0; i < 16; ++i)
                out.coefficients[i][4 * group + lane] = ((probe[i] ^ out.constant[i]) >> (2 * lane)) & 3;
    }
}

// The portable form: one table per input byte, whose row for value v is that byte's share of the
// output block; the output is the XOR of 16 rows, the constant folded into table 0.
struct BlockTables {
    uint8_t rows[16][256][16];
};

void buildTables(BlockTables& tables, const Composition& composition) {
    for (int j = 0; j < 16; ++j) {
        uint8_t (*table)[16] = tables.rows[j];
        std::memset(table[0], 0, 16);
        for (int bit = 0; bit < 8; ++bit) {
            const uint8_t v = static_cast<uint8_t>(1u << bit);
            for (int i = 0; i < 16; ++i) {
                const uint8_t c = composition.coefficients[i][j];
                table[v][i] = static_cast<uint8_t>(((c & 1) ? v : 0) ^ ((c & 2) ? swapBitPairs(v) : 0));
            }
        }
        // Shares are linear in v: the row of v is the rows of its lowest bit and of the rest.
        for (unsigned v = 3; v < 256; ++v) {
            if ((v & (v - 1)) == 0) continue;
            const unsigned low = v & (0u - v);
            uint64_t a[2], b[2];
            std::memcpy(a, table[v ^ low], 16);
            std::memcpy(b, table[low], 16);
            a[0] ^= b[0];
            a[1] ^= b[1];
            std::memcpy(table[v], a, 16);
        }
    }
    for (unsigned v = 0; v < 256; ++v)
        for (int i = 0; i < 16; ++i) tables.rows[0][v][i] ^= composition.constant[i];
}

#if defined(__SSE2__)
inline __m128i rowAt(const uint8_t* base, int j, uint32_t offset) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(base + 4096 * j + offset));
}

// The rows of bytes j to j + 3, whose offsets (value * 16) are the 16-bit halves of even and odd.
inline __m128i rowsOf(const uint8_t* base, int j, uint32_t even, uint32_t odd) {
    return _mm_xor_si128(_mm_xor_si128(rowAt(base, j, even & 0xFFFF), rowAt(base, j + 1, odd & 0xFFFF)),
                         _mm_xor_si128(rowAt(base, j + 2, even >> 16), rowAt(base, j + 3, odd >> 16)));
}

inline uint32_t wordOf(__m128i v) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(v));
}
#endif

void applyTables(const BlockTables& tables, uint8_t* data, size_t blocks) {
#if defined(__SSE2__)
    const uint8_t* base = &tables.rows[0][0][0];
    // Each byte becomes its row offset in a 16-bit lane: even bytes in one vector, odd in the other.
    const __m128i offsetMask = _mm_set1_epi16(0x0FF0);
    for (size_t b = 0; b < blocks; ++b, data += 16) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
        const __m128i even = _mm_and_si128(_mm_slli_epi16(p, 4), offsetMask);
        const __m128i odd = _mm_and_si128(_mm_srli_epi16(p, 4), offsetMask);
        const __m128i r0 = rowsOf(base, 0, wordOf(even), wordOf(odd));
        const __m128i r1 = rowsOf(base, 4, wordOf(_mm_shuffle_epi32(even, 1)), wordOf(_mm_shuffle_epi32(odd, 1)));
        const __m128i r2 = rowsOf(base, 8, wordOf(_mm_shuffle_epi32(even, 2)), wordOf(_mm_shuffle_epi32(odd, 2)));
        const __m128i r3 = rowsOf(base, 12, wordOf(_mm_shuffle_epi32(even, 3)), wordOf(_mm_shuffle_epi32(odd, 3)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(data),
                         _mm_xor_si128(_mm_xor_si128(r0, r1), _mm_xor_si128(r2, r3)));
    }
#else
    for (size_t b = 0; b < blocks; ++b, data += 16) {
        uint64_t out[2] = {0, 0};
        for (int j = 0; j < 16; ++j) {
            uint64_t row[2];
            std::memcpy(row, tables.rows[j][data[j]], 16);
            out[0] ^= row[0];
            out[1] ^= row[1];
        }
        std::memcpy(data, out, 16);
    }
#endif
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define ORVANTA_PLANE_MIXING 1

// The plane forms, for processors with GF(2) affine byte transforms. Each 8-byte half of a block
// is transposed into its eight bit planes (byte t holds bit t of the eight bytes); an output
// plane is then 8x8 bit matrices applied to the same plane of both halves (the a-shares) and to
// the neighbouring plane t ^ 1 (the b-shares, the bit-pair swap); transposing back gives the
// bytes. The transpose is its own inverse. Every vector below repeats its 16 bytes four times,
// for one block per 128-bit or four per 512-bit step.
struct PlaneMatrices {
    uint8_t own[64];          // a-shares from the same half
    uint8_t other[64];        // a-shares from the other half
    uint8_t ownSwapped[64];   // b-shares from the same half
    uint8_t otherSwapped[64]; // b-shares from the other half
    uint8_t swapPlanes[64];   // byte shuffles: planes t and t ^ 1,
    uint8_t swapHalves[64];   // the halves of each block,
    uint8_t swapBoth[64];     // and both at once
    uint8_t planeConstant[64];
};

// The transpose: byte b of a half gets, as bit i, bit 7 - b of byte 7 - i.
constexpr uint64_t TRANSPOSE = 0x0102040810204080ull;

void transposeHalf(const uint8_t in[8], uint8_t out[8]) {
    for (int b = 0; b < 8; ++b) {
        out[b] = 0;
        for (int i = 0; i < 8; ++i) out[b] = static_cast<uint8_t>(out[b] | (((in[7 - i] >> (7 - b)) & 1) << i));
    }
}

void buildPlanes(PlaneMatrices& planes, const Composition& composition) {
    // A matrix byte o has, as bit 7 - j, the coefficient of source byte j for output byte o
    // (both counted within their halves); coefficient bit 0 is the a-share, bit 1 the b-share.
    uint8_t (*targets[4])[64] = {&planes.own, &planes.other, &planes.ownSwapped, &planes.otherSwapped};
    for (int m = 0; m < 4; ++m) {
        const bool fromOther = m & 1;
        const int share = m < 2 ? 1 : 2;
        for (int k = 0; k < 64; ++k) {
            const int half = (k / 8) % 2, o = 8 * half + k % 8;
            const int sourceHalf = fromOther ? 1 - half : half;
            uint8_t row = 0;
            for (int j = 0; j < 8; ++j)
                if (composition.coefficients[o][8 * sourceHalf + j] & share) row = static_cast<uint8_t>(row | (1u << (7 - j)));
            (*targets[m])[k] = row;
        }
    }
    for (int k = 0; k < 64; ++k) {
        planes.swapPlanes[k] = static_cast<uint8_t>((k % 16) ^ 1);
        planes.swapHalves[k] = static_cast<uint8_t>((k % 16) ^ 8);
        planes.swapBoth[k] = static_cast<uint8_t>((k % 16) ^ 9);
    }
    for (int k = 0; k < 64; k += 8) transposeHalf(composition.constant + (k % 16), planes.planeConstant + k);
}

#define ORVANTA_PLANES128_TARGET __attribute__((target("ssse3,gfni")))

ORVANTA_PLANES128_TARGET inline __m128i planeLoad128(const uint8_t (&v)[64]) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(v));
}

ORVANTA_PLANES128_TARGET void applyPlanes128(const PlaneMatrices& m, uint8_t* data, size_t blocks) {
    const __m128i transpose = _mm_set1_epi64x(static_cast<long long>(TRANSPOSE));
    for (size_t b = 0; b < blocks; ++b, data += 16) {
        const __m128i planes =
            _mm_gf2p8affine_epi64_epi8(transpose, _mm_loadu_si128(reinterpret_cast<const __m128i*>(data)), 0);
        const __m128i t0 = _mm_gf2p8affine_epi64_epi8(planes, planeLoad128(m.own), 0);
        const __m128i t1 = _mm_gf2p8affine_epi64_epi8(_mm_shuffle_epi8(planes, planeLoad128(m.swapHalves)),
                                                      planeLoad128(m.other), 0);
        const __m128i t2 = _mm_gf2p8affine_epi64_epi8(_mm_shuffle_epi8(planes, planeLoad128(m.swapPlanes)),
                                                      planeLoad128(m.ownSwapped), 0);
        const __m128i t3 = _mm_gf2p8affine_epi64_epi8(_mm_shuffle_epi8(planes, planeLoad128(m.swapBoth)),
                                                      planeLoad128(m.otherSwapped), 0);
        const __m128i sum = _mm_xor_si128(_mm_xor_si128(_mm_xor_si128(t0, t1), _mm_xor_si128(t2, t3)),
                                          planeLoad128(m.planeConstant));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(data), _mm_gf2p8affine_epi64_epi8(transpose, sum, 0));
    }
}

bool planes128Available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("gfni");
}

#if defined(__x86_64__)
#define ORVANTA_PLANES512 1
#define ORVANTA_PLANES512_TARGET __attribute__((target("avx512f,avx512bw,gfni")))

ORVANTA_PLANES512_TARGET inline __m512i planeLoad512(const uint8_t (&v)[64]) {
    return _mm512_loadu_si512(v);
}

ORVANTA_PLANES512_TARGET __m512i planesMix512(const PlaneMatrices& m, __m512i data) {
    const __m512i transpose = _mm512_set1_epi64(static_cast<long long>(TRANSPOSE));
    const __m512i planes = _mm512_gf2p8affine_epi64_epi8(transpose, data, 0);
    const __m512i t0 = _mm512_gf2p8affine_epi64_epi8(planes, planeLoad512(m.own), 0);
    const __m512i t1 = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_epi8(planes, planeLoad512(m.swapHalves)),
                                                     planeLoad512(m.other), 0);
    const __m512i t2 = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_epi8(planes, planeLoad512(m.swapPlanes)),
                                                     planeLoad512(m.ownSwapped), 0);
    const __m512i t3 = _mm512_gf2p8affine_epi64_epi8(_mm512_shuffle_epi8(planes, planeLoad512(m.swapBoth)),
                                                     planeLoad512(m.otherSwapped), 0);
    // Ternary-logic code 0x96 is the XOR of all three operands.
    const __m512i sum = _mm512_ternarylogic_epi32(_mm512_ternarylogic_epi32(t0, t1, t2, 0x96), t3,
                                                  planeLoad512(m.planeConstant), 0x96);
    return _mm512_gf2p8affine_epi64_epi8(transpose, sum, 0);
}

ORVANTA_PLANES512_TARGET void applyPlanes512(const PlaneMatrices& m, uint8_t* data, size_t blocks) {
    size_t b = 0;
    for (; b + 4 <= blocks; b += 4, data += 64)
        _mm512_storeu_si512(data, planesMix512(m, _mm512_loadu_si512(data)));
    if (b < blocks) {
        const __mmask64 part = (static_cast<__mmask64>(1) << (16 * (blocks - b))) - 1;
        _mm512_mask_storeu_epi8(data, part, planesMix512(m, _mm512_maskz_loadu_epi8(part, data)));
    }
}

bool planes512Available() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("gfni");
}
#endif
#endif

BlockForm fastestAllowed = BlockForm::Planes512;

// Composing n rounds costs about 5n rounds (the probes) plus the table fill, worth about
// COMPOSE_EXTRA_ROUNDS rounds; below that, running the rounds on every block is cheaper.
constexpr uint64_t COMPOSE_PROBE_BLOCKS = 5;
constexpr uint64_t COMPOSE_EXTRA_ROUNDS = 400;

bool composingPays(size_t rounds, uint64_t blocks) {
    return rounds > 0 && blocks > COMPOSE_PROBE_BLOCKS && (blocks - COMPOSE_PROBE_BLOCKS) * rounds > COMPOSE_EXTRA_ROUNDS;
}

enum class MixerKind { Rounds, Tables, Planes128, Planes512 };

// The composed rounds for one call; falls back to running the rounds when memory is short (they
// give the same bytes).
struct BlockMixer {
    Round round = mixBlock;
    size_t rounds = 0;
    MixerKind kind = MixerKind::Rounds;
    void* storage = nullptr;
    void* form = nullptr;
};

MixerKind fastestKind() {
#if defined(ORVANTA_PLANES512)
    if (fastestAllowed == BlockForm::Planes512 && planes512Available()) return MixerKind::Planes512;
#endif
#if defined(ORVANTA_PLANE_MIXING)
    if (fastestAllowed != BlockForm::Tables && planes128Available()) return MixerKind::Planes128;
#endif
    return MixerKind::Tables;
}

void prepareMixer(BlockMixer& mixer, Round round, size_t rounds, uint64_t blocks) {
    mixer.round = round;
    mixer.rounds = rounds;
    if (!composingPays(rounds, blocks)) return;
    const MixerKind kind = fastestKind();
    Composition composition;
#if defined(ORVANTA_PLANE_MIXING)
    if (kind != MixerKind::Tables) {
        mixer.storage = std::malloc(sizeof(PlaneMatrices));
        if (!mixer.storage) return;
        compose(composition, round, rounds);
        mixer.form = mixer.storage;
        buildPlanes(*static_cast<PlaneMatrices*>(mixer.form), composition);
        mixer.kind = kind;
        return;
    }
#endif
    mixer.storage = std::malloc(sizeof(BlockTables) + 15);
    if (!mixer.storage) return;
    compose(composition, round, rounds);
    mixer.form = reinterpret_cast<void*>((reinterpret_cast<uintptr_t>(mixer.storage) + 15) & ~static_cast<uintptr_t>(15));
    buildTables(*static_cast<BlockTables*>(mixer.form), composition);
    mixer.kind = MixerKind::Tables;
}

void releaseMixer(BlockMixer& mixer) {
    std::free(mixer.storage);
    mixer = BlockMixer();
}

void mixBlocks(const BlockMixer& mixer, uint8_t* data, size_t blocks) {
    switch (mixer.kind) {
    case MixerKind::Rounds:
        for (size_t b = 0; b < blocks; ++b) runRounds(mixer.round, data + 16 * b, mixer.rounds);
        return;
    case MixerKind::Tables:
        applyTables(*static_cast<const BlockTables*>(mixer.form), data, blocks);
        return;
    case MixerKind::Planes128:
#if defined(ORVANTA_PLANE_MIXING)
        applyPlanes128(*static_cast<const PlaneMatrices*>(mixer.form), data, blocks);
#endif
        return;
    case MixerKind::Planes512:
#if defined(ORVANTA_PLANES512)
        applyPlanes512(*static_cast<const PlaneMatrices*>(mixer.form), data, blocks);
#endif
        return;
    }
}

}  // namespace

void xorFold(const char* key, uint8_t* data, int32_t length) {
    if (length <= 0 || !key) return;
    // One pass with the XOR of all key bytes equals one pass per key byte.
    xorBytes(data, static_cast<size_t>(length), foldKey(key));
}

void xorFoldIndexed(const char* key, uint8_t* data, int32_t length) {
    if (length <= 0 || !key) return;
    uint8_t folded = 0;
    for (uint32_t j = 0; key[j]; ++j) folded ^= static_cast<uint8_t>(j + static_cast<uint8_t>(key[j]));
    xorBytes(data, static_cast<size_t>(length), folded);
}

uint8_t xnorByte(uint8_t a, uint8_t b) {
    return static_cast<uint8_t>(~(a ^ b));
}

void mixBlock(uint8_t p[16]) {
    const uint8_t x = swapBitPairs(p[15]);
    const uint8_t A = xnorByte(x, p[14]);
    const uint8_t B = xnorByte(x, p[12]);
    const uint8_t C = xnorByte(A, p[13]);
    const uint8_t D = xnorByte(x, p[8]);
    const uint8_t E = xnorByte(B, p[9]);
    const uint8_t F = xnorByte(A, p[10]);
    const uint8_t G = xnorByte(C, p[11]);
    const uint8_t H = xnorByte(x, p[0]);
    const uint8_t I = xnorByte(D, p[1]);
    const uint8_t J = xnorByte(B, p[2]);
    const uint8_t K = xnorByte(E, p[3]);
    const uint8_t L = xnorByte(A, p[4]);
    const uint8_t M = xnorByte(F, p[5]);
    const uint8_t P = xnorByte(C, p[6]);
    const uint8_t Q = xnorByte(G, p[7]);
    const uint8_t out[16] = {x, H, D, I, B, J, E, K, A, L, F, M, C, P, G, Q};
    std::memcpy(p, out, 16);
}

void unmixBlock(uint8_t o[16]) {
    // mixBlock's outputs in order: x, H, D, I, B, J, E, K, A, L, F, M, C, P, G, Q.
    const uint8_t x = o[0], H = o[1], D = o[2], I = o[3], B = o[4], J = o[5], E = o[6], K = o[7];
    const uint8_t A = o[8], L = o[9], F = o[10], M = o[11], C = o[12], P = o[13], G = o[14], Q = o[15];
    uint8_t p[16];
    p[15] = swapBitPairs(x);
    p[14] = xnorByte(A, x);
    p[12] = xnorByte(B, x);
    p[13] = xnorByte(C, A);
    p[8] = xnorByte(D, x);
    p[9] = xnorByte(E, B);
    p[10] = xnorByte(F, A);
    p[11] = xnorByte(G, C);
    p[0] = xnorByte(H, x);
    p[1] = xnorByte(I, D);
    p[2] = xnorByte(J, B);
    p[3] = xnorByte(K, E);
    p[4] = xnorByte(L, A);
    p[5] = xnorByte(M, F);
    p[6] = xnorByte(P, C);
    p[7] = xnorByte(Q, G);
    std::memcpy(o, p, 16);
}

namespace {

void roundsOverBlocks(Round round, const char* key, uint8_t* data, int32_t length) {
    if (length <= 0 || !key) return;
    const size_t blocks = static_cast<size_t>(length) / 16;
    BlockMixer mixer;
    prepareMixer(mixer, round, std::strlen(key), blocks);
    mixBlocks(mixer, data, blocks);
    releaseMixer(mixer);
    const int32_t tail = length % 16;
    if (tail) xorFold(key, data + 16 * blocks, tail);
}

}  // namespace

void unscrambleBlocks(const char* key, uint8_t* data, int32_t length) {
    roundsOverBlocks(mixBlock, key, data, length);
}

void scrambleBlocks(const char* key, uint8_t* data, int32_t length) {
    roundsOverBlocks(unmixBlock, key, data, length);
}

namespace {

// Reads, transforms and writes length bytes in chunks of CHUNK_SIZE through one buffer.
template <typename Transform>
StreamResult runStream(Transform transform, FILE* out, FILE* in, uint32_t length,
                       const volatile int32_t* abortFlag) {
    if (length == 0) return StreamResult::Done;
    uint8_t* buffer = static_cast<uint8_t*>(std::malloc(STREAM_BUFFER_SIZE));
    if (!buffer) {
        report("Error:", "Cannot allocate memory for file!");
        return StreamResult::NoMemory;
    }
    StreamResult result = StreamResult::Done;
    uint32_t left = length;
    while (left > 0) {
        if (abortFlag && *abortFlag) { result = StreamResult::Aborted; break; }
        const uint32_t n = left < CHUNK_SIZE ? left : CHUNK_SIZE;
        // The original wrote whatever the buffer held after a short read; we stop instead.
        if (std::fread(buffer, 1, n, in) != n) { result = StreamResult::ShortRead; break; }
        transform(buffer, n);
        if (std::fwrite(buffer, 1, n, out) != n) { result = StreamResult::WriteFailed; break; }
        left -= n;
    }
    std::free(buffer);
    return result;
}

}  // namespace

StreamResult decryptXorStream(const char* key, FILE* out, FILE* in, uint32_t length,
                              const volatile int32_t* abortFlag) {
    if (!key) return StreamResult::NoKey;
    const uint8_t k = foldKey(key);
    return runStream([k](uint8_t* data, uint32_t n) { xorBytes(data, n, k); }, out, in, length, abortFlag);
}

StreamResult decryptBlockStream(const char* key, FILE* out, FILE* in, uint32_t length,
                                const volatile int32_t* abortFlag) {
    if (!key) return StreamResult::NoKey;
    BlockMixer mixer;
    prepareMixer(mixer, mixBlock, std::strlen(key), length / 16);
    const uint8_t k = foldKey(key);
    // Every chunk but the last holds whole blocks, so only the stream's end has a tail.
    const StreamResult result = runStream(
        [&mixer, k](uint8_t* data, uint32_t n) {
            mixBlocks(mixer, data, n / 16);
            xorBytes(data + (n & ~15u), n % 16, k);
        },
        out, in, length, abortFlag);
    releaseMixer(mixer);
    return result;
}

void limitBlockForm(BlockForm fastest) {
    fastestAllowed = fastest;
}
