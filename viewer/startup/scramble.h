// The viewer's scrambling family: the key-folded XOR, its position-mixing variant, the 16-byte
// block mixer, and the two stream routines that turn stored content into plain bytes in 1 MiB
// chunks. Buffer routines work in place; stream routines copy from one open file to another.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr uint32_t CHUNK_SIZE = 1048576;
constexpr uint32_t STREAM_BUFFER_SIZE = CHUNK_SIZE + 100;

// XORs every data byte with every key byte (a key of none or length 0, or length <= 0, changes
// nothing). Its own inverse.
void xorFold(const char* key, uint8_t* data, int32_t length);

// As xorFold, with (j + key[j]) mod 256 for the key byte at position j. Its own inverse.
void xorFoldIndexed(const char* key, uint8_t* data, int32_t length);

// The complement of a XOR b within 8 bits.
uint8_t xnorByte(uint8_t a, uint8_t b);

// One round of the block mixer; one-to-one on 16-byte blocks.
void mixBlock(uint8_t block[16]);

// Applies mixBlock key-length times to every whole block and xorFolds the tail with the key.
void unscrambleBlocks(const char* key, uint8_t* data, int32_t length);

enum class StreamResult {
    Done,
    NoKey,        // key was none; nothing allocated or read
    NoMemory,     // reported "Error:" / "Cannot allocate memory for file!"; nothing written
    ShortRead,    // the input ended before length bytes
    WriteFailed,  // the output refused bytes
    Aborted,      // *abortFlag became non-zero between chunks
};
// After ShortRead, WriteFailed or Aborted the output holds the whole chunks done before; the
// chunk that failed is not written.

// Copies length bytes from in (at its current position) to out, undoing the BitCrypt method
// (xorFold with key). Reads and writes in chunks of CHUNK_SIZE through one buffer per call.
// abortFlag, when given, is tested before every chunk.
StreamResult decryptXorStream(const char* key, FILE* out, FILE* in, uint32_t length,
                              const volatile int32_t* abortFlag = nullptr);

// As decryptXorStream, undoing the SCRAMBLE method (unscrambleBlocks with key). Chunks hold
// whole blocks, so the result equals unscrambleBlocks over the whole stream.
StreamResult decryptBlockStream(const char* key, FILE* out, FILE* in, uint32_t length,
                                const volatile int32_t* abortFlag = nullptr);

// The inverses of the block routines, for the disc tool that writes stored content.
void scrambleBlocks(const char* key, uint8_t* data, int32_t length);
void unmixBlock(uint8_t block[16]);

// How unscrambleBlocks and decryptBlockStream apply the composed rounds: bit-plane matrices four
// blocks at a time (512-bit registers) or one at a time (128-bit), or lookup tables (any
// processor). They use the fastest form the processor has, no faster than the limit set here
// (by default Planes512); all forms give the same bytes. Tests and the benchmark set the limit
// to reach each form.
enum class BlockForm { Planes512, Planes128, Tables };
void limitBlockForm(BlockForm fastest);
