#include "startup/scramble.h"

#include <cstdlib>
#include <cstring>

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

void xorBytes(uint8_t* data, uint32_t length, uint8_t k) {
    if (k == 0) return;
    for (uint32_t i = 0; i < length; ++i) data[i] ^= k;
}

}  // namespace

void xorFold(const char* key, uint8_t* data, int32_t length) {
    if (length <= 0 || !key) return;
    // One pass with the XOR of all key bytes equals one pass per key byte.
    xorBytes(data, static_cast<uint32_t>(length), foldKey(key));
}

void xorFoldIndexed(const char* key, uint8_t* data, int32_t length) {
    if (length <= 0 || !key) return;
    uint8_t folded = 0;
    for (uint32_t j = 0; key[j]; ++j) folded ^= static_cast<uint8_t>(j + static_cast<uint8_t>(key[j]));
    xorBytes(data, static_cast<uint32_t>(length), folded);
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

void unscrambleBlocks(const char* key, uint8_t* data, int32_t length) {
    if (length <= 0 || !key) return;
    const size_t rounds = std::strlen(key);
    const int32_t blocks = length / 16;
    for (int32_t b = 0; b < blocks; ++b)
        for (size_t r = 0; r < rounds; ++r) mixBlock(data + 16 * b);
    const int32_t tail = length % 16;
    if (tail) xorFold(key, data + 16 * blocks, tail);
}

void scrambleBlocks(const char* key, uint8_t* data, int32_t length) {
    if (length <= 0 || !key) return;
    const size_t rounds = std::strlen(key);
    const int32_t blocks = length / 16;
    for (int32_t b = 0; b < blocks; ++b)
        for (size_t r = 0; r < rounds; ++r) unmixBlock(data + 16 * b);
    const int32_t tail = length % 16;
    if (tail) xorFold(key, data + 16 * blocks, tail);
}

namespace {

using ChunkFn = void (*)(const char* key, uint8_t* data, int32_t length);

StreamResult runStream(ChunkFn fn, const char* key, FILE* out, FILE* in, uint32_t length,
                       const volatile int32_t* abortFlag) {
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
        const size_t got = std::fread(buffer, 1, n, in);
        if (got != n) { result = StreamResult::ShortRead; break; }
        fn(key, buffer, static_cast<int32_t>(n));
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
    return runStream(xorFold, key, out, in, length, abortFlag);
}

StreamResult decryptBlockStream(const char* key, FILE* out, FILE* in, uint32_t length,
                                const volatile int32_t* abortFlag) {
    if (!key) return StreamResult::NoKey;
    return runStream(unscrambleBlocks, key, out, in, length, abortFlag);
}
