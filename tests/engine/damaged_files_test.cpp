// Data files missing or far beyond anything the game's own could be: each is refused
// with the box its loader's failure shows, before the game takes memory for it. An
// archive whose pictures decode to just under its budget still starts.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/archive.h"
#include "engine/keys.h"
#include "platform/audio.h"
#include "platform/recording/audio_recording.h"
#include "support/field_world.h"
#include "support/gfx.h"

namespace {

using test::Bytes;

struct DamagedFile {
  const char* name;
  const char* file;  // the file of the game's folder that is damaged
  std::function<void(const std::string& path)> damage;
  const char* text;  // the box that refuses it; null: none, the game starts
  const char* caption;
};

void PrintTo(const DamagedFile& row, std::ostream* out) { *out << row.name; }

// The small archive with one entry replaced.
std::function<void(const std::string&)> ArchiveWith(int entry, const Bytes& bytes) {
  return [=](const std::string& path) {
    std::vector<Bytes> entries = test::RendererEntries({}, {});
    entries[static_cast<size_t>(entry)] = bytes;
    test::WriteFile(path, test::BuildArchive(entries));
  };
}

// A short clip claiming another sample rate.
Bytes WaveAt(uint32_t rate) {
  Bytes wave = test::MinimalWave(3000);
  for (int i = 0; i < 4; ++i) wave[24 + static_cast<size_t>(i)] = static_cast<uint8_t>(rate >> (8 * i));
  return wave;
}

// 64 GB that take no room on the disk.
void Sparse(const std::string& path) { std::filesystem::resize_file(path, uint64_t{64} << 30); }

// The small archive with pictures of 2048 by 2048 in the first `count` entries; made when
// the case runs.
std::function<void(const std::string&)> ArchiveWithLargePictures(int count) {
  return [count](const std::string& path) {
    std::vector<Bytes> entries = test::RendererEntries({}, {});
    const Bytes large = test::PngBytes(test::SolidImage(2048, 2048, 0xFF102030));
    for (int i = 0; i < count; ++i) entries[static_cast<size_t>(i)] = large;
    test::WriteFile(path, test::BuildArchive(entries));
  };
}

const DamagedFile kDamaged[] = {
    {"SoundAt1Hz", "data.dat", ArchiveWith(162, WaveAt(1)), "", "directsound error"},
    {"SoundAt96kHz", "data.dat", ArchiveWith(183, WaveAt(96000)), "", "directsound error"},
    {"LastSoundNoWave", "data.dat", ArchiveWith(185, Bytes(44, 0)), "", "directsound error"},
    {"NoArchive", "data.dat", [](const std::string& path) { std::filesystem::remove(path); }, "データロード失敗",
     "error"},
    {"HugeArchive", "data.dat", Sparse, "データロード失敗", "error"},
    {"ArchiveAByteOverItsCap", "data.dat",
     [](const std::string& path) { std::filesystem::resize_file(path, kDataFileMaxBytes + 1); }, "データロード失敗",
     "error"},
    {"ThreeLargePicturesDecode", "data.dat", ArchiveWithLargePictures(3), nullptr, nullptr},
    {"FourArePastTheBudget", "data.dat", ArchiveWithLargePictures(4), "データロード失敗", "error"},
    {"MeshesPastTheirBudget", "data.dat", ArchiveWith(kEntryMeshFirst, Bytes(kDataFileMeshMaxBytes, ' ')),
     "データロード失敗", "error"},
    {"AtlasWiderThan2048", "data.dat", ArchiveWith(0, test::PngBytes(test::SolidImage(2049, 1, 0xFF102030))), "",
     "directx graphics error"},
    {"TextureTallerThan2048", "data.dat", ArchiveWith(2, test::PngBytes(test::SolidImage(1, 2049, 0xFF102030))), "",
     "directx graphics error"},
    {"HugeMapPack", "mappack.dat", Sparse, "no data file", ""},
    {"HugeEventPack", "epack.dat", Sparse, "no data file", ""},
};

class DamagedFileTest : public ::testing::TestWithParam<DamagedFile> {};

// The game starts on the small archive and the real SDL_mixer device (dummy driver),
// so the clips go through the conversion that a bad rate would blow up; a start-up that
// passes goes on to a new game, which loads map 0.
TEST_P(DamagedFileTest, IsRefusedWithItsBox) {
  const DamagedFile& row = GetParam();
  const std::string dir = test::MakeFieldDir(test::BuildMapPack({test::MapFloor(6, 5)}));
  test::WriteFile(dir + "/data.dat", test::MinimalArchive());
  row.damage(dir + "/" + row.file);
  {
    test::GameHarness::Options options;
    options.workDir = dir;
    test::GameHarness game(options);
    plat::SetAudioBackend(plat::AudioBackend::Mixer);
    const int started = game.Start();
    if (started) {
      game.Frames(1);
      game.Tap(kKeyZ);  // new game
      game.Tap(kKeyDown);
      game.Tap(kKeyEnter);  // yes
    }
    if (!row.text) {
      EXPECT_EQ(started, 1);
      EXPECT_TRUE(game.Boxes().empty());
    } else {
      ASSERT_EQ(game.Boxes().size(), 1u);
      EXPECT_EQ(game.Boxes()[0].text, row.text);
      EXPECT_EQ(game.Boxes()[0].caption, row.caption);
    }
  }
  std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFileTest, ::testing::ValuesIn(kDamaged),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
