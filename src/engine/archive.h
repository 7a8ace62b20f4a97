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

// What data.dat may hold, so that the game stays under 400 MB of memory whatever the
// file (it runs in some 140 MB on the built archive). A file past any of these is
// refused as damaged before anything in it is decoded.
//
// The whole file, read into memory and kept there: the built archive is 11 MB (its
// pictures compressed, its sounds short clips and three pieces of music), and a file
// past this holds nothing the game could use; it is refused before any memory is taken.
constexpr size_t kDataFileMaxBytes = size_t{64} << 20;
// The pictures and clips decoded together, each counted from its header. The built
// archive's come to 29.5 MiB: the 2048 by 2048 atlas 16 MiB, the glyph texture 4 MiB,
// the other 75 pictures 4.6 MiB, and the 24 clips 4.9 MiB at the mixer's 22,050 Hz,
// 16-bit mono. Twice that and more leaves room for larger pictures and longer music.
constexpr uint64_t kDataFileDecodedMaxBytes = uint64_t{64} << 20;
// The X meshes' text together: read into vertices and faces, text takes up to some seven
// times its bytes. The built archive's 35 meshes come to 2.7 MiB (at most 2,109
// vertices in one); three times that is ample.
constexpr uint64_t kDataFileMeshMaxBytes = uint64_t{8} << 20;

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
// and bytes lie inside it, its pictures and clips decode to no more than
// kDataFileDecodedMaxBytes and its meshes take no more than kDataFileMeshMaxBytes.
int DataFileValidate(const uint8_t* image, size_t size);
// The entry's bytes and size, or null for an index outside 0 to 185 or no archive.
const uint8_t* DataFileGetEntry(int index, uint32_t* size);
void DataFileFree();
