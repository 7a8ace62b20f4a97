// Writes the fuzz targets' seed corpora: the built data files taken apart into what each
// loader reads, and the small files the tests build.
//
//   milva_fuzz_seeds <out folder> <folder holding data.dat, mappack.dat, epack.dat>
//
// Each target gets <out>/<target>/, one file a seed, named by its content.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "data/game_state.h"
#include "engine/archive.h"
#include "engine/task.h"
#include "event/pack.h"
#include "field/map.h"
#include "menu/save_file.h"
#include "platform/bytes.h"
#include "platform/window.h"
#include "support/field_world.h"
#include "support/files.h"
#include "support/gfx.h"

namespace {

using test::Bytes;
namespace fs = std::filesystem;

// Entries larger than this would slow every run down for little gain.
constexpr uint32_t kSeedMaxBytes = 64 * 1024;
// The archive seed keeps its real table and this much of every entry.
constexpr uint32_t kArchiveEntryCut = 256;

fs::path g_out;

void Seed(const char* target, const Bytes& bytes) {
  if (bytes.empty()) return;
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
  char name[17];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  test::WriteFile((g_out / target / name).string(), bytes);
}

// The built archive: its pictures, meshes and sounds, and itself cut down.
void SeedsFromArchive(const fs::path& data) {
  if (!test::InstallArchive(test::ReadFile(data.string()))) return;
  std::vector<Bytes> cut;
  for (int i = 0; i < kArchiveEntryCount; ++i) {
    uint32_t size = 0;
    const uint8_t* entry = DataFileGetEntry(i, &size);
    const Bytes bytes(entry, entry + size);
    cut.emplace_back(bytes.begin(), bytes.begin() + std::min(size, kArchiveEntryCut));
    if (size > kSeedMaxBytes) continue;
    Seed(i >= kEntrySoundFirst ? "sound" : i >= kEntryMeshFirst ? "xmesh" : "picture", bytes);
  }
  Seed("archive", test::BuildArchive(cut));
  DataFileFree();
}

// The built packs whole, and every script of every map as the event task reads it.
void SeedsFromPacks(const fs::path& folder) {
  const std::string maps = (folder / "mappack.dat").string(), events = (folder / "epack.dat").string();
  Seed("map", test::ReadFile(maps));
  Seed("event_pack", test::ReadFile(events));
  if (!MapBuffersAlloc()) return;
  plat::SetMessageBoxHook([](std::string_view, std::string_view) {});
  for (g_mapNumber = 0; g_mapNumber < kMapCount; ++g_mapNumber) {
    if (!MapLoadPack(maps.c_str()) || !EventLoadPack(events.c_str())) continue;
    for (int k = 0; k < g_eventCount && k < kEventSlotCount; ++k) {
      const char* slot = EventSlotBase(k);
      Seed("event_script", Bytes(slot, slot + strnlen(slot, kEventSlotSize)));
    }
  }
  plat::SetMessageBoxHook(nullptr);
  MapBuffersFree();
}

void SeedsFromTests() {
  Seed("archive", test::MinimalArchive());
  const plat::Image picture = test::MakeImage(7, 5, [](int x, int y) {
    return (x + y) % 3 ? 0xFF00FF00u : 0x80000000u | static_cast<uint32_t>(x * 40 << 16 | y * 30 << 8);
  });
  Seed("picture", test::PngBytes(picture));
  Seed("picture", test::JpegBytes(picture, 90));
  for (int bits : {8, 24, 32}) Seed("picture", test::BmpBytes(picture, bits, bits == 8));
  test::XMaterialDesc textured;
  textured.texture = "stone.png";
  Seed("xmesh", test::ToBytes(test::XMeshText({test::XMaterialDesc{}, textured}, {0, 1, 1})));
  Seed("xmesh", test::ToBytes(test::XMeshText({}, {0, 0})));
  Seed("sound", test::MinimalWave(64));
  // Clips at the edges of what the devices take: 8-bit at 8 kHz, stereo at 48 kHz, and
  // 24-bit, which neither takes.
  for (const auto& [rate, bits, channels] : {std::tuple{8000u, 8, 1}, {48000u, 16, 2}, {22050u, 24, 1}}) {
    Bytes wave = test::MinimalWave(32);
    StoreU32(wave.data() + 24, rate);
    wave[22] = static_cast<uint8_t>(channels);
    wave[34] = static_cast<uint8_t>(bits);
    Seed("sound", wave);
  }
  // Archives against the decoded budget: four pictures the size of the atlas (their
  // headers alone) are past it; the small archive with JPEG and BMP pictures is within.
  Bytes atlasHeader = test::PngBytes(test::SolidImage(2048, 2048, 0xFF000000));
  atlasHeader.resize(33);
  std::vector<Bytes> entries = test::RendererEntries({}, {});
  for (int i = 0; i < 4; ++i) entries[static_cast<size_t>(i)] = atlasHeader;
  Seed("archive", test::BuildArchive(entries));
  entries = test::RendererEntries({test::JpegBytes(picture, 90), test::BmpBytes(picture, 8, true)}, {});
  Seed("archive", test::BuildArchive(entries));
  Seed("map", test::BuildMapPack({test::MapFromRows({"#####", "#1.2#", "#~T_#", "#####"}, 1, 12)}));
  const std::string script = "$1,0,270,#3,1,#1,1,hello,#2,q,a,b,L1,L2,L1#5,3,#17,2,#99,@$3,#6,3,X,#11,4,X#99,@";
  Seed("event_pack", test::BuildEventPack({test::Inverted(script)}));
  Seed("event_pack", test::EmptyEventPack());
  Seed("event_script", test::ToBytes("#3,1,#7,1,#1,2,hello,world,#2,q,yes,no,A,B,A#5,7,#17,3,B#6,7,C,#99,C#98,"));
}

// Files that reach every check of the loader: members fresh from the table, grown to
// the highest level, a level-up past the row's, kept in the reserve and emptied by a
// script, and walkers on cell centres of the fuzz target's maps, open and walled.
Bytes SaveSeed(int32_t n, float walkerX, float walkerZ, bool camera) {
  Bytes out;
  PutI32(out, 0);                  // map
  PutI32(out, SaveHeaderLevel());  // header level
  PutI32(out, 10);                 // money
  for (int32_t flag : g_eventFlags) PutI32(out, flag);
  PutI32(out, n);
  for (int i = 0; i < n; ++i) SaveWriteRecord(out, g_party[i]);
  for (int i = 0; i < n; ++i) SaveWriteRecord(out, g_partyReserve[i]);
  SaveWriteInventory(out);
  for (int w = 0; w < 4; ++w) {
    PutF32(out, walkerX);
    PutF32(out, walkerZ + 2.0f * static_cast<float>(w % 2));
    PutF32(out, 90.0f * static_cast<float>(w));
  }
  if (camera) PutF32(out, 60.0f);
  return out;
}

void SeedsOfSaves() {
  // Centres: -4 of the 7-cell map (open), 0 of its walled middle column, -3 of the
  // 200-cell map.
  const float places[][2] = {{-4.0f, -4.0f}, {0.0f, 2.0f}, {-3.0f, 5.0f}};
  for (int32_t n = 1; n <= kPartyRows; ++n) {
    GameStateReset();
    Seed("save", SaveSeed(n, places[n % 3][0], places[n % 3][1], n % 2 == 0));
  }
  // Grown as far as play goes: the highest level, every ability at its cap.
  GameStateReset();
  for (CharacterRecord& r : g_party) {
    r.level = kLevelMax;
    for (int a = 0; a < kAbilityCount; ++a) {
      const GainRange gain = LevelUpGainRange(r.characterClass, static_cast<Ability>(a));
      if (gain.most > 0) r.*kAbilityFields[a] = kAbilityCaps[a];
    }
    r.hp = r.maxHp, r.mp = r.maxMp, r.experience = 99, r.status = kStatusPoison | kStatusCannotAct;
  }
  Seed("save", SaveSeed(kPartyRows, -4.0f, -4.0f, true));
  // One level past the row's, a hero set aside in the reserve and the place left empty.
  GameStateReset();
  for (CharacterRecord& r : g_party) {
    ++r.level;
    for (int a = 0; a < kAbilityCount; ++a) {
      r.*kAbilityFields[a] += LevelUpGainRange(r.characterClass, static_cast<Ability>(a)).least;
    }
    r.hp = r.maxHp;
  }
  g_partyReserve[1] = g_party[1];
  g_party[1] = CharacterRecord{};
  Seed("save", SaveSeed(kPartyRows, -3.0f, 5.0f, false));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <out folder> <data folder>\n", argv[0]);
    return 2;
  }
  g_out = argv[1];
  std::error_code ec;
  fs::remove_all(g_out, ec);
  for (const char* t : {"archive", "map", "event_pack", "event_script", "xmesh", "picture", "sound", "save"}) {
    fs::create_directories(g_out / t, ec);
  }
  SeedsFromArchive(fs::path(argv[2]) / "data.dat");
  SeedsFromPacks(argv[2]);
  SeedsFromTests();
  SeedsOfSaves();
  return 0;
}
