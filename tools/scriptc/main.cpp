// scriptc: compiles the event scripts of content/scripts into the event pack.
//
//   scriptc --glyphs glyphs.txt --scripts DIR --out epack.dat [--mappack mappack.dat]
//           [--models index.txt]
//
// DIR holds one UTF-8 script a map, map00.txt to map13.txt; a missing file is a map
// without events. Every refusal is printed as file:line: reason, and nothing is written
// then. With a map pack that exists, each map's number of events must match its event
// cells and every cell a command names must lie on its map; without one those checks
// are skipped. With the model tool's index, every person a script places must wear the
// look of the one portrait it speaks with.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "scriptc/script_lang.h"

namespace {

struct Options {
  std::string glyphs, scripts, out, mappack, models;
};

bool ReadFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  *out = text.str();
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    std::string* target = key == "--glyphs"    ? &options->glyphs
                          : key == "--scripts" ? &options->scripts
                          : key == "--out"     ? &options->out
                          : key == "--mappack" ? &options->mappack
                          : key == "--models"  ? &options->models
                                               : nullptr;
    if (!target) return false;
    *target = argv[i + 1];
  }
  return argc % 2 == 1 && !options->glyphs.empty() && !options->scripts.empty() && !options->out.empty();
}

void Report(const std::string& file, const std::vector<scriptc::Diagnostic>& errors) {
  for (const auto& e : errors) {
    std::cerr << file;
    if (e.line > 0) std::cerr << ':' << e.line;
    std::cerr << ": " << e.message << '\n';
  }
}

std::string MapFileName(int map) {
  char name[16];
  std::snprintf(name, sizeof name, "map%02d.txt", map);
  return name;
}

// The event cells and the size of each map, or empty lists when there is no map pack to
// compare.
bool ReadEventCells(const std::string& path, std::vector<int>* cells, std::vector<scriptc::MapSize>* sizes) {
  std::string bytes;
  if (path.empty() || !ReadFile(path, &bytes)) {
    std::cout << "scriptc: no map pack; the number of events of each map and its cells are not checked\n";
    return true;
  }
  const std::vector<uint8_t> pack(bytes.begin(), bytes.end());
  for (int m = 0; m < scriptc::kMapCount; ++m) {
    int count = 0;
    scriptc::MapSize size;
    std::string error;
    if (!scriptc::CountEventCells(pack, m, &count, &error, &size)) {
      std::cerr << path << ": " << error << '\n';
      return false;
    }
    cells->push_back(count);
    sizes->push_back(size);
  }
  return true;
}

// The look each model wears, from the model tool's index (index, name, height, look or
// "-", role; tab-separated). False when the file cannot be read.
bool ReadModelLooks(const std::string& path, std::vector<std::string>* looks) {
  std::string text;
  if (!ReadFile(path, &text)) return false;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string index, name, height, look;
    if (!std::getline(fields, index, '\t') || !std::getline(fields, name, '\t') ||
        !std::getline(fields, height, '\t') || !std::getline(fields, look, '\t')) {
      return false;
    }
    char* end = nullptr;
    const size_t model = std::strtoul(index.c_str(), &end, 10);
    if (index.empty() || *end != '\0' || model > 255) return false;
    if (looks->size() <= model) looks->resize(model + 1);
    (*looks)[model] = look == "-" ? "" : look;
  }
  return true;
}

bool WritePack(const std::string& path, const std::vector<uint8_t>& pack) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(pack.data()), static_cast<std::streamsize>(pack.size()));
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::cerr << "usage: scriptc --glyphs FILE --scripts DIR --out FILE [--mappack FILE] [--models FILE]\n";
    return 2;
  }
  std::string glyphText;
  scriptc::GlyphSet glyphs;
  std::vector<scriptc::Diagnostic> errors;
  if (!ReadFile(options.glyphs, &glyphText) || !scriptc::LoadGlyphs(glyphText, &glyphs, &errors)) {
    std::cerr << options.glyphs << ": cannot read the glyph list\n";
    Report(options.glyphs, errors);
    return 1;
  }
  std::vector<int> cells;
  std::vector<scriptc::MapSize> sizes;
  bool ok = ReadEventCells(options.mappack, &cells, &sizes);
  std::vector<std::string> blocks;
  std::vector<scriptc::CompiledMap> maps;
  for (int m = 0; m < scriptc::kMapCount; ++m) {
    const std::string name = MapFileName(m);
    const std::string path = options.scripts + "/" + name;
    std::string source;
    scriptc::CompiledMap compiled;
    errors.clear();
    const scriptc::MapSize size = sizes.empty() ? scriptc::MapSize{} : sizes[static_cast<size_t>(m)];
    if (ReadFile(path, &source) && !scriptc::CompileScript(source, glyphs, &compiled, &errors, size)) ok = false;
    if (!cells.empty() && !scriptc::MatchEventCells(compiled, cells[static_cast<size_t>(m)], &errors)) ok = false;
    Report(path, errors);
    blocks.push_back(compiled.block);
    maps.push_back(std::move(compiled));
  }
  std::vector<std::string> looks;
  if (options.models.empty()) {
    std::cout << "scriptc: no model index; the looks of the people the scripts place are not checked\n";
  } else if (!ReadModelLooks(options.models, &looks)) {
    std::cerr << options.models << ": cannot read the model index\n";
    ok = false;
  } else {
    std::vector<std::vector<scriptc::Diagnostic>> byMap;
    if (!scriptc::CheckPersonLooks(maps, looks, &byMap)) ok = false;
    for (size_t m = 0; m < byMap.size(); ++m) {
      Report(options.scripts + "/" + MapFileName(static_cast<int>(m)), byMap[m]);
    }
  }
  if (!ok) return 1;
  if (!WritePack(options.out, scriptc::BuildPack(blocks))) {
    std::cerr << options.out << ": cannot be written\n";
    return 1;
  }
  return 0;
}
