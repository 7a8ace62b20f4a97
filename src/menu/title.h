// The title screen: the one place the game returns to.
#pragma once

#include <cstdint>

// Which banner the title shows; it alternates between visits.
extern int32_t g_titleBanner;

int TitleOpen();
