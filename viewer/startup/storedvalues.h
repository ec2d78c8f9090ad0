// Build-time values shared by the viewer and the disc tool. The viewer never holds the plain
// forms: it carries the compile-time scrambled copies below and unscrambles them at start-up.
// The disc tool uses the plain forms to write payloads that this viewer reads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace storedvalues {

// Stored lengths (the text, padded with zero bytes, then one terminating zero byte).
constexpr size_t PASSWORD_CHECK_LENGTH = 18;
constexpr size_t PAYLOAD_KEY_LENGTH = 20;
constexpr size_t ABOUT_LINK_TARGET_LENGTH = 31;

inline constexpr char plainPasswordCheck[] = "kV3p#Qz8Lw!m2Rx7Tb";
inline constexpr char plainPayloadKey[] = "H9t$eW4n^Jc1yM6u&Zq0";
inline constexpr char plainAboutLinkTarget[] = "http://www.halvercot.example/";

// The fixed text with which the program keeps the three values scrambled.
inline constexpr char storeText[] = "Orvanta/Halvercot:store-key#4.0!xY";

static_assert(sizeof plainPasswordCheck == PASSWORD_CHECK_LENGTH + 1, "passwordCheck fills its 18 bytes");
static_assert(sizeof plainPayloadKey == PAYLOAD_KEY_LENGTH + 1, "payloadKey fills its 20 bytes");
static_assert(sizeof plainAboutLinkTarget <= ABOUT_LINK_TARGET_LENGTH + 1, "aboutLinkTarget fits its 31 bytes");
static_assert(sizeof storeText == 35, "the store text has 34 characters");

// The XOR of all bytes of a key: what one pass of xorFold applies to every data byte.
constexpr uint8_t foldByteOf(const char* key) {
    uint8_t folded = 0;
    for (size_t i = 0; key[i] != 0; ++i) folded ^= static_cast<uint8_t>(key[i]);
    return folded;
}

static_assert(foldByteOf(storeText) != 0, "a store text folding to 0 would leave the values in plain");

// N stored bytes plus the terminator; byte N stays 0.
template <size_t N>
struct ScrambledValue {
    char bytes[N + 1];
};

template <size_t N, size_t M>
constexpr ScrambledValue<N> scrambleValue(const char (&plain)[M]) {
    static_assert(M <= N + 1, "value longer than its stored length");
    ScrambledValue<N> out{};
    const uint8_t k = foldByteOf(storeText);
    for (size_t i = 0; i < N; ++i) {
        const uint8_t b = i < M - 1 ? static_cast<uint8_t>(plain[i]) : 0;
        out.bytes[i] = static_cast<char>(b ^ k);
    }
    out.bytes[N] = 0;
    return out;
}

}  // namespace storedvalues
