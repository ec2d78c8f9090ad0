// Kind and encryption flag values of catalogue records, shared by the viewer and the disc tool.
#pragma once

#include <cstdint>

constexpr uint32_t KIND_FOLDER = 0x1;
constexpr uint32_t KIND_FILE = 0x2;
constexpr uint32_t KIND_ROOT = 0x20;
constexpr uint32_t KIND_FOLDER_MASK = 0x309;
constexpr uint32_t KIND_NO_CONTENT_MASK = 0x329;  // root or folder-like: no content path

constexpr uint32_t ENC_ENCRYPTED = 0x40;
constexpr uint32_t ENC_FULL = 0x80;
constexpr uint32_t ENC_BITCRYPT = 0x100;
constexpr uint32_t ENC_PGP = 0x200;
constexpr uint32_t ENC_SCRAMBLE = 0x400;
constexpr uint32_t ENC_BLOWFISH = 0x800;
constexpr uint32_t ENC_2FISH = 0x1000;

constexpr uint32_t CATALOGUE_HEAD_SIZE = 32;
