// Small builders for the files the game reads, so tests can craft good and bad ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace test {

using Bytes = std::vector<uint8_t>;

void PutTag(Bytes& out, const char* fourCc);
bool WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

// An archive image in the data.dat layout: entry i's record at its offset, in order.
Bytes BuildArchive(const std::vector<Bytes>& entries);

// Script text in the event pack's stored form: every byte inverted.
Bytes Inverted(const std::string& text);
// An event pack holding one stored block a map; maps past the list get empty blocks.
Bytes BuildEventPack(const std::vector<Bytes>& blocks);

// A short valid WAVE file: 16-bit mono PCM.
Bytes MinimalWave(uint32_t sampleCount);

}  // namespace test
