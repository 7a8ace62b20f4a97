// The resource archive data.dat: 186 numbered entries (pictures, X meshes, WAVE
// sounds), read whole at start-up and kept in memory so the renderer can rebuild from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

constexpr char kDataFileName[] = "data.dat";
constexpr int kArchiveEntryCount = 186;
constexpr size_t kArchiveTableSize = kArchiveEntryCount * 4;  // 744

// Entry numbers.
constexpr int kEntryAtlas = 0;
constexpr int kEntryGlyphs = 1;
constexpr int kEntryTextureFirst = 2;           // 35 quad textures
constexpr int kEntryMaterialTextureFirst = 37;  // material textures in mesh load order
constexpr int kEntryMeshFirst = 127;            // 35 X meshes
constexpr int kEntrySoundFirst = 162;           // 21 effects, then 3 music pieces

// The largest data.dat read. The game's pictures are at most 2048 by 2048 and its sounds
// short clips and a few minutes of music, some 11 MB in all; a file past this holds
// nothing the game could use and is refused before any memory is taken for it.
constexpr size_t kDataFileMaxBytes = size_t{256} << 20;

extern uint8_t* g_dataFile;
extern size_t g_dataFileSize;

// Reads "data.dat" from the working directory. 0 when it is missing, cannot be read,
// is larger than kDataFileMaxBytes, or its table or any entry runs past its end.
int DataFileLoad();
// Takes charge of a MemAlloc block holding a valid archive image: it becomes the archive
// in memory, freed once DataFileFree has run and no share is left.
void DataFileAdopt(uint8_t* block, size_t size);
// A share in the archive image: its bytes stay where they are while the share lives,
// even after DataFileFree (sound clips play from them). Empty with no archive.
std::shared_ptr<const uint8_t> DataFileShare();
// Checks an archive image without loading it: 1 when the table and every entry's size
// and bytes lie inside it.
int DataFileValidate(const uint8_t* image, size_t size);
// The entry's bytes and size, or null for an index outside 0 to 185 or no archive.
const uint8_t* DataFileGetEntry(int index, uint32_t* size);
void DataFileFree();
