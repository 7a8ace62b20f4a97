// The arrow keys over a battle window's grid of slots on several pages: Right past the
// last column turns to the next page's first column, Left before the first turns back a
// page and stays on the first column, Up and Down wrap within the page.
#pragma once

#include <cstdint>

#include "engine/keys.h"

// 1 when an arrow moved the cursor.
inline int PagedGridArrows(int32_t* column, int32_t* row, int32_t* page, int32_t pages, int32_t columns, int32_t rows) {
  if (KeyPressed(kKeyRight)) {
    if (++*column > columns - 1) {
      *column = 0;
      if (++*page > pages - 1) *page = 0;
    }
  } else if (KeyPressed(kKeyLeft)) {
    if (--*column < 0) {
      *column = 0;
      if (--*page < 0) *page = pages - 1;
    }
  } else if (KeyPressed(kKeyDown)) {
    if (++*row > rows - 1) *row = 0;
  } else if (KeyPressed(kKeyUp)) {
    if (--*row < 0) *row = rows - 1;
  } else {
    return 0;
  }
  return 1;
}
