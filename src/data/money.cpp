#include "data/money.h"

#include <algorithm>

#include "data/game_state.h"

namespace {
// Taken wide so that no amount can overflow on the way to the clamp.
void MoneySet(int64_t value) { g_money = static_cast<int32_t>(std::clamp<int64_t>(value, 0, kMoneyMax)); }
}  // namespace

void MoneyAdd(int32_t n) { MoneySet(int64_t{g_money} + n); }

void MoneySpend(int32_t n) { MoneySet(int64_t{g_money} - n); }
