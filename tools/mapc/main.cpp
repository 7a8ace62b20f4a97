// mapc: compiles the text maps into the map pack.
//
//   mapc -o mappack.dat tiles.legend map1.map map2.map ...
//
// The first input is the shared legend; every further one is a map. The pack is written
// only when every map compiles, shows the field camera no gap or void, and all 14 slots
// are filled.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mapc/map_source.h"

namespace {

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return static_cast<bool>(in) || in.eof();
}

bool WritePack(const std::string& path, const std::vector<uint8_t>& pack) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(pack.data()), static_cast<std::streamsize>(pack.size()));
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  return !ec;
}

int Usage() {
  std::fprintf(stderr, "usage: mapc -o <mappack.dat> <legend> <map>...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::string(argv[1]) != "-o") return Usage();
  const std::string output = argv[2];
  std::string text;
  mapc::Legend legend;
  mapc::Error error;
  if (!ReadText(argv[3], text)) {
    std::fprintf(stderr, "%s: cannot be read\n", argv[3]);
    return 1;
  }
  if (!mapc::ParseLegend(text, argv[3], legend, error)) {
    std::fprintf(stderr, "%s\n", error.text.c_str());
    return 1;
  }
  std::vector<mapc::MapSource> maps;
  for (int i = 4; i < argc; ++i) {
    mapc::MapSource map;
    if (!ReadText(argv[i], text)) {
      std::fprintf(stderr, "%s: cannot be read\n", argv[i]);
      return 1;
    }
    if (!mapc::ParseMap(text, argv[i], legend, map, error) || !mapc::CheckScenery(map, error)) {
      std::fprintf(stderr, "%s\n", error.text.c_str());
      return 1;
    }
    maps.push_back(std::move(map));
  }
  std::vector<uint8_t> pack;
  if (!mapc::BuildPack(maps, pack, error)) {
    std::fprintf(stderr, "%s\n", error.text.c_str());
    return 1;
  }
  if (!WritePack(output, pack)) {
    std::fprintf(stderr, "%s: cannot be written\n", output.c_str());
    return 1;
  }
  return 0;
}
