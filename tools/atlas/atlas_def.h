// The interface atlas definition (src/engine/atlas.def) as the builder reads it.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace atlas {

struct Entry {
  std::string name;
  tool::Box box;
  std::string kind;  // first word of the paint string
  std::string args;  // the rest, without the separating space
  int line = 0;
};

// Reads every ATLAS line. False with "file:line: message" for a line it cannot read.
bool ReadDefinition(const std::string& path, std::vector<Entry>* entries, std::string* error);
// The checks the build insists on: every rectangle on the atlas and not empty, known
// kinds, and no two painted rectangles overlapping (kind `same` may overlap on purpose).
bool CheckEntries(const std::string& path, const std::vector<Entry>& entries, int size,
                  const std::vector<std::string>& kinds, std::string* error);

}  // namespace atlas
