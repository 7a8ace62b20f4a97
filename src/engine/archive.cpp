#include "engine/archive.h"

#include <algorithm>
#include <string>

#include "engine/sound.h"
#include "engine/task.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/problem.h"

uint8_t* g_dataFile = nullptr;
size_t g_dataFileSize = 0;

namespace {

// The block g_dataFile points into; freed when the last share goes.
std::shared_ptr<uint8_t> g_dataFileOwner;

// Every entry that may be decoded as a picture (the atlas, the glyphs, the textures and
// the material textures, used or not) and every clip, by its header; the meshes by
// their bytes. Run on an image whose table is known good. Null when within the budgets,
// else what is past them.
const char* PastBudgets(const uint8_t* image) {
  uint64_t decoded = 0, meshes = 0;
  for (int i = 0; i < kArchiveEntryCount; ++i) {
    const uint8_t* record = image + kArchiveTableSize + ReadU32(image + 4 * i);
    const uint32_t size = ReadU32(record);
    if (i < kEntryMeshFirst) {
      int width = 0, height = 0;
      if (plat::ImageSize(record + 4, size, &width, &height)) decoded += uint64_t{4} * width * height;
    } else if (i < kEntrySoundFirst) {
      meshes += size;
    } else {
      decoded += SoundDecodedBytes(record + 4, size);
    }
  }
  if (decoded > kDataFileDecodedMaxBytes) return "its pictures and sounds decode to more than any the game could use";
  if (meshes > kDataFileMeshMaxBytes) return "its meshes are larger than any the game could use";
  return nullptr;
}

bool TableValid(const uint8_t* image, size_t size) {
  if (!image || size < kArchiveTableSize) return false;
  const uint64_t body = size - kArchiveTableSize;
  for (int i = 0; i < kArchiveEntryCount; ++i) {
    const uint64_t offset = ReadU32(image + 4 * i);
    if (offset > body || body - offset < 4) return false;
    const uint64_t entrySize = ReadU32(image + kArchiveTableSize + offset);
    if (entrySize > body - offset - 4) return false;
  }
  return true;
}

}  // namespace

// The loaders trust what the archive returns, so every entry is checked here once: a
// file that lies about an offset or size is refused as a whole.
int DataFileValidate(const uint8_t* image, size_t size) {
  return TableValid(image, size) && !PastBudgets(image) ? 1 : 0;
}

// The file goes straight into the block that is kept: no second copy of 11 MB.
int DataFileLoad() {
  plat::WholeFile file(kDataFileName, kDataFileMaxBytes);
  if (!file.IsOpen()) return 0;
  auto* block = static_cast<uint8_t*>(MemAlloc(std::max<size_t>(file.Size(), 1)));
  if (!block) {
    plat::NoteProblem(kDataFileName, "no memory for its " + std::to_string(file.Size()) + " bytes");
    return 0;
  }
  const size_t size = file.ReadInto(block);
  const char* problem = TableValid(block, size)
                            ? PastBudgets(block)
                            : "damaged: its table or one of its entries reaches past the end of the file";
  if (problem) {
    MemFree(block);
    plat::NoteProblem(kDataFileName, problem);
    return 0;
  }
  DataFileAdopt(block, size);
  return 1;
}

void DataFileAdopt(uint8_t* block, size_t size) {
  DataFileFree();
  g_dataFileOwner.reset(block, MemFree);
  g_dataFile = block;
  g_dataFileSize = size;
}

std::shared_ptr<const uint8_t> DataFileShare() { return g_dataFileOwner; }

const uint8_t* DataFileGetEntry(int index, uint32_t* size) {
  if (!g_dataFile || index < 0 || index >= kArchiveEntryCount) {
    if (size) *size = 0;
    return nullptr;
  }
  const uint32_t offset = ReadU32(g_dataFile + 4 * index);
  const uint8_t* record = g_dataFile + kArchiveTableSize + offset;
  if (size) *size = ReadU32(record);
  return record + 4;
}

void DataFileFree() {
  g_dataFileOwner.reset();
  g_dataFile = nullptr;
  g_dataFileSize = 0;
}
