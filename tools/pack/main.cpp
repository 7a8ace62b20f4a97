// Archive packer: builds data.dat, the game's resource archive of 186 numbered entries.
//
//   milva_pack <manifest> <data.dat>
//
// Manifest lines, `#` for comments:
//   <entry> <label> <file>              one whole file as that entry
//   <entry> <label> @<list file>        the files listed (one path a line, relative to
//                                       the list's folder) as that entry and the next ones
// Entries the manifest does not name are empty (size 0). Layout: a table of 186 little-
// endian offsets counted from the end of the table, then each entry as its 32-bit size
// followed by its bytes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bytes.h"

namespace {

constexpr int kEntryCount = 186;
constexpr int kMaterialLast = 126;  // material textures end before the meshes

struct Slot {
  std::string label;  // empty: not named by the manifest
  std::string path;
};

int Fail(const std::string& message) {
  std::fprintf(stderr, "milva_pack: %s\n", message.c_str());
  return 1;
}

bool ReadList(const std::string& listPath, std::vector<std::string>* files, std::string* error) {
  std::ifstream in(listPath);
  if (!in) {
    *error = "cannot open the file list " + listPath;
    return false;
  }
  const std::filesystem::path folder = std::filesystem::path(listPath).parent_path();
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::filesystem::path p(line);
    files->push_back(p.is_absolute() ? p.string() : (folder / p).string());
  }
  return true;
}

bool ReadManifest(const std::string& path, std::vector<Slot>* slots, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = "cannot open the manifest " + path;
    return false;
  }
  slots->assign(kEntryCount, Slot{});
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) {
    if (line.empty() || line[0] == '#') continue;
    std::stringstream fields(line);
    int entry = -1;
    std::string label, file;
    fields >> entry >> label >> file;
    const std::string where = path + ":" + std::to_string(n) + ": ";
    if (entry < 0 || entry >= kEntryCount || file.empty()) {
      *error = where + "expected <entry 0-185> <label> <file>";
      return false;
    }
    std::vector<std::string> files{file};
    if (file[0] == '@' && !std::filesystem::exists(file.substr(1))) {
      // Reported with the other missing files.
      (*slots)[static_cast<size_t>(entry)] = {label + " list", file.substr(1)};
      continue;
    }
    if (file[0] == '@') {
      files.clear();
      if (!ReadList(file.substr(1), &files, error)) return false;
      if (entry + static_cast<int>(files.size()) - 1 > kMaterialLast) {
        *error = where + label + ": " + std::to_string(files.size()) + " files do not fit from entry " +
                 std::to_string(entry) + " to " + std::to_string(kMaterialLast);
        return false;
      }
    }
    for (size_t i = 0; i < files.size(); ++i) {
      Slot& slot = (*slots)[static_cast<size_t>(entry) + i];
      if (!slot.label.empty()) {
        *error = where + "entry " + std::to_string(entry + static_cast<int>(i)) + " is named twice";
        return false;
      }
      slot = {files.size() > 1 || file[0] == '@' ? label + "[" + std::to_string(i) + "]" : label, files[i]};
    }
  }
  return true;
}

// Every named file is read before anything is written, so a missing one leaves no
// half-made archive behind.
bool Pack(const std::vector<Slot>& slots, std::vector<uint8_t>* image, std::string* error) {
  std::vector<std::string> missing;
  std::vector<std::vector<uint8_t>> bodies(kEntryCount);
  for (int i = 0; i < kEntryCount; ++i) {
    const Slot& slot = slots[static_cast<size_t>(i)];
    if (slot.label.empty()) continue;
    std::ifstream in(slot.path, std::ios::binary);
    if (!in) {
      missing.push_back("entry " + std::to_string(i) + " (" + slot.label + "): " + slot.path);
      continue;
    }
    bodies[static_cast<size_t>(i)].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!missing.empty()) {
    *error = "missing files:";
    for (const std::string& m : missing) *error += "\n  " + m;
    return false;
  }
  image->assign(kEntryCount * 4, 0);
  for (int i = 0; i < kEntryCount; ++i) {
    const auto& body = bodies[static_cast<size_t>(i)];
    const size_t offset = image->size() - kEntryCount * 4;
    if (offset + body.size() + 4 > UINT32_MAX) {
      *error = "the archive grows past 4 GiB at entry " + std::to_string(i);
      return false;
    }
    StoreU32(image->data() + static_cast<size_t>(i) * 4, static_cast<uint32_t>(offset));
    image->resize(image->size() + 4);
    StoreU32(image->data() + image->size() - 4, static_cast<uint32_t>(body.size()));
    image->insert(image->end(), body.begin(), body.end());
  }
  return true;
}

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  const std::string temp = path + ".part";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      *error = "cannot write " + temp;
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) *error = "cannot replace " + path + ": " + ec.message();
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: milva_pack <manifest> <data.dat>");
  std::string error;
  std::vector<Slot> slots;
  std::vector<uint8_t> image;
  if (!ReadManifest(argv[1], &slots, &error) || !Pack(slots, &image, &error) || !WriteWhole(argv[2], image, &error))
    return Fail(error);
  return 0;
}
