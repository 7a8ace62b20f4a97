// The party order screen: members picked one by one into a new order, then a yes/no
// question writes it over the party. It works on copies, so leaving changes nothing.
#pragma once

#include <cstdint>

#include "data/characters.h"
#include "engine/task.h"

struct PartyMenuData;
struct PartyOrderData;
using PartyOrderStep = void (*)(PartyOrderData* order);

constexpr int32_t kOrderPlaceEmpty = -1;  // the id of a place not yet filled

struct PartyOrderData {
  int32_t live;
  int32_t cursor;  // highlighted member of the party as it stands
  int32_t picked;  // places filled, 0 to the party count
  int32_t choice;  // the question: 0 no, 1 yes
  PartyOrderStep step;
  CharacterRecord order[kPartyRows];  // the picked members in their new order
};

// Ends the party menu and opens the screen; 0 when its slot is busy.
int PartyOrderOpen(PartyMenuData* menu);
int PartyOrderCreate();
// Runs the step; the screen that ends frees its slot and reopens the party menu.
void PartyOrderUpdate(TaskSlot* slot);
void PartyOrderDraw(TaskSlot* slot);
// 1 when the highlighted member already stands in a place of the new order.
int PartyOrderIsPicked(const PartyOrderData* order);
// Writes the new order over the party rows in use; the rows past the party count keep
// what they hold, so no empty place ever reaches the party.
void PartyOrderApply(const PartyOrderData* order);

void PartyOrderPickBegin(PartyOrderData* order);
void PartyOrderPick(PartyOrderData* order);
void PartyOrderConfirmBegin(PartyOrderData* order);
void PartyOrderConfirm(PartyOrderData* order);
