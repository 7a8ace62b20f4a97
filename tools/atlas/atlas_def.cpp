#include "atlas_def.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace atlas {

namespace {

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::string Where(const std::string& path, int line) { return path + ":" + std::to_string(line) + ": "; }

bool ParseNumber(const std::string& text, int* out) {
  const std::string t = Trim(text);
  if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos || t.size() > 5) return false;
  *out = std::stoi(t);
  return true;
}

// Splits `name, l, t, r, b, "paint"` (the inside of the parentheses).
bool ParseArguments(const std::string& inside, Entry* e) {
  const size_t quote = inside.find('"');
  const size_t endQuote = inside.rfind('"');
  if (quote == std::string::npos || endQuote == quote) return false;
  std::vector<std::string> fields;
  std::stringstream head(inside.substr(0, quote));
  std::string field;
  while (std::getline(head, field, ',')) fields.push_back(Trim(field));
  if (fields.size() != 6 || !fields[5].empty()) return false;
  e->name = fields[0];
  if (!ParseNumber(fields[1], &e->box.left) || !ParseNumber(fields[2], &e->box.top) ||
      !ParseNumber(fields[3], &e->box.right) || !ParseNumber(fields[4], &e->box.bottom))
    return false;
  if (!Trim(inside.substr(endQuote + 1)).empty()) return false;
  const std::string paint = inside.substr(quote + 1, endQuote - quote - 1);
  const size_t space = paint.find(' ');
  e->kind = paint.substr(0, space);
  e->args = space == std::string::npos ? "" : paint.substr(space + 1);
  return !e->name.empty();
}

bool Overlap(const tool::Box& a, const tool::Box& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

bool ReadDefinition(const std::string& path, std::vector<Entry>* entries, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot open the atlas definition";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string t = Trim(line);
    if (t.empty() || t.rfind("//", 0) == 0) continue;
    Entry e;
    e.line = number;
    const bool shaped = t.rfind("ATLAS(", 0) == 0 && t.back() == ')';
    if (!shaped || !ParseArguments(t.substr(6, t.size() - 7), &e)) {
      *error = Where(path, number) + "expected ATLAS(name, left, top, right, bottom, \"paint\")";
      return false;
    }
    entries->push_back(e);
  }
  return true;
}

bool CheckEntries(const std::string& path, const std::vector<Entry>& entries, int size,
                  const std::vector<std::string>& kinds, std::string* error) {
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const tool::Box& b = e.box;
    if (b.right > size || b.bottom > size || b.right <= b.left || b.bottom <= b.top) {
      *error = Where(path, e.line) + e.name + ": rectangle (" + std::to_string(b.left) + ", " + std::to_string(b.top) +
               ")-(" + std::to_string(b.right) + ", " + std::to_string(b.bottom) + ") is empty or off the " +
               std::to_string(size) + " by " + std::to_string(size) + " atlas";
      return false;
    }
    if (std::find(kinds.begin(), kinds.end(), e.kind) == kinds.end()) {
      *error = Where(path, e.line) + e.name + ": unknown paint kind '" + e.kind + "'";
      return false;
    }
    for (size_t j = 0; j < i && e.kind != "same"; ++j) {
      const Entry& f = entries[j];
      if (f.kind == "same") continue;
      if (e.name == f.name) {
        *error =
            Where(path, e.line) + e.name + ": the name is defined twice (also line " + std::to_string(f.line) + ")";
        return false;
      }
      if (Overlap(b, f.box)) {
        *error = Where(path, e.line) + e.name + " overlaps " + f.name + " (line " + std::to_string(f.line) +
                 "); only entries of kind `same` may share pixels";
        return false;
      }
    }
  }
  return true;
}

}  // namespace atlas
