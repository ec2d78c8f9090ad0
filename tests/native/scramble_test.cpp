#include <gtest/gtest.h>

#include <cstring>

#include "startup/scramble.h"

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
