// The tile roles of the field and the battlefield's floors, from the one definition
// that the map compiler, the texture builder and the field view's checks share.
#pragma once

struct TileRole {
  int code;
  const char* name;
  float height;  // world y of the top
  int top;       // world texture of the top
  int side;      // world texture of the side faces
  const char* what;
};

struct BattleFloor {
  const char* terrain;
  int top;
  int side;
  const char* where;
};

#define TILE_ROLE(code, name, height, top, side, what) TileRole{code, name, height, top, side, what},
#define BATTLE_FLOOR(terrain, top, side, where)
inline constexpr TileRole kTileRoles[] = {
#include "data/tile_roles.def"
};
#undef TILE_ROLE
#undef BATTLE_FLOOR

#define TILE_ROLE(code, name, height, top, side, what)
#define BATTLE_FLOOR(terrain, top, side, where) BattleFloor{terrain, top, side, where},
inline constexpr BattleFloor kBattleFloors[] = {
#include "data/tile_roles.def"
};
#undef TILE_ROLE
#undef BATTLE_FLOOR

// The role of a tile code, or null for a code no map may use.
constexpr const TileRole* TileRoleOf(int code) {
  for (const TileRole& role : kTileRoles) {
    if (role.code == code) return &role;
  }
  return nullptr;
}
