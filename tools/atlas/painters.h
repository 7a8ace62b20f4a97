// Painters of the interface atlas, one per paint kind.
#pragma once

#include <string>

#include "art.h"
#include "atlas_def.h"

namespace atlas {

// The paint kinds the definition may use.
const std::vector<std::string>& PaintKinds();
// Paints one entry into its rectangle of the atlas. False with a message for arguments
// the kind does not know.
bool PaintEntry(tool::Surface& s, const Entry& e, const tool::Fonts& fonts, std::string* error);

}  // namespace atlas
