#include "support/files.h"

#include <fstream>
#include <iterator>

namespace test {

void PutU32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutTag(Bytes& out, const char* fourCc) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(fourCc[i]));
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

Bytes BuildArchive(const std::vector<Bytes>& entries) {
  Bytes table;
  Bytes body;
  for (const Bytes& e : entries) {
    PutU32(table, static_cast<uint32_t>(body.size()));
    PutU32(body, static_cast<uint32_t>(e.size()));
    body.insert(body.end(), e.begin(), e.end());
  }
  table.insert(table.end(), body.begin(), body.end());
  return table;
}

}  // namespace test
