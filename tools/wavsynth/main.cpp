// wavsynth: builds the game's 24 sounds from their recipes.
//
//   wavsynth --out DIR RECIPE...
//
// Writes DIR/sound_00.wav .. sound_23.wav (16-bit PCM, mono) and DIR/index.txt (id,
// name, seconds, purpose). Nothing is written unless every recipe builds.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "desc.h"
#include "recipe.h"
#include "render.h"

namespace {

using namespace wavsynth;

constexpr int kSoundCount = 24;
constexpr double kShortestMusic = 30.0;

int Run(const std::string& outDir, const std::vector<std::string>& inputs) {
  std::vector<Recipe> recipes(kSoundCount);
  std::vector<bool> seen(kSoundCount, false);
  for (const std::string& path : inputs) {
    Recipe r = ReadRecipe(path);
    if (seen[r.id]) desc::Fail(r.where, "sound " + std::to_string(r.id) + " has two recipes");
    seen[r.id] = true;
    recipes[r.id] = std::move(r);
  }
  std::string missing;
  for (int i = 0; i < kSoundCount; ++i) {
    if (!seen[i]) missing += " " + std::to_string(i);
  }
  if (!missing.empty()) throw desc::Error("no recipe for sound(s):" + missing);

  std::vector<std::pair<std::string, std::vector<uint8_t>>> outputs;
  std::string index;
  for (const Recipe& r : recipes) {
    const std::vector<int16_t> samples = RenderRecipe(r);
    const double seconds = static_cast<double>(samples.size()) / r.rate;
    if (r.IsMusic() && seconds < kShortestMusic) {
      desc::Fail(r.where, "music must last at least 30 seconds; this loop lasts " + std::to_string(seconds));
    }
    char name[32];
    std::snprintf(name, sizeof name, "sound_%02d.wav", r.id);
    outputs.emplace_back((std::filesystem::path(outDir) / name).string(), WaveFile(samples, r.rate));
    char line[96];
    std::snprintf(line, sizeof line, "%d\t%s\t%.3f\t", r.id, r.name.c_str(), seconds);
    index += line + r.purpose + "\n";
  }
  outputs.emplace_back((std::filesystem::path(outDir) / "index.txt").string(),
                       std::vector<uint8_t>(index.begin(), index.end()));
  std::filesystem::create_directories(outDir);
  for (const auto& [path, bytes] : outputs) {
    if (!desc::WriteBytes(path, bytes)) throw desc::Error(path + ": cannot write");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string outDir;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--out" && i + 1 < argc) {
      outDir = argv[++i];
    } else {
      inputs.push_back(a);
    }
  }
  if (outDir.empty() || inputs.empty()) {
    std::fprintf(stderr, "usage: wavsynth --out DIR RECIPE...\n");
    return 2;
  }
  try {
    return Run(outDir, inputs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "wavsynth: %s\n", e.what());
  }
  return 1;
}
