// The party's money, kept between 0 and the most a purse can show.
#pragma once

#include <cstdint>

constexpr int32_t kMoneyMax = 9999999;

// Both keep the money within 0 to kMoneyMax whatever the amount.
void MoneyAdd(int32_t n);
void MoneySpend(int32_t n);
