// The donation dial: the player sets an offer digit by digit and confirms it. An offer
// of at least the minimum that the party can pay is taken and sends the script on at
// its acceptance label; anything else lets the script go on after the command.
#pragma once

#include <cstdint>

#include "engine/task.h"
#include "event/event.h"

constexpr int kDonationDigits = 5;
constexpr char kDonationAcceptedLabel[] = "fuse_shita";

struct DonationData;
using DonationStep = void (*)(DonationData* dial);

struct DonationData {
  int32_t live;
  int32_t offer;     // the digits as a number, taken on the final yes
  int32_t position;  // selected digit: 0 the ten thousands to 4 the units
  int32_t yesNo;
  int8_t digits[kDonationDigits];  // most significant first
  int8_t spare;
  EventContext* event;  // the event that opened the dial
  DonationStep step;
  int32_t minimum;
};

// '#41,minimum'.
void EventCmdDonation(EventContext* context);
// Claims the dial's slot and reads the minimum; 0, reading nothing, when the slot is busy.
int DonationCreate(EventContext* context);
void DonationUpdate(TaskSlot* slot);
void DonationDraw(TaskSlot* slot);
void DonationBegin(DonationData* dial);
void DonationDial(DonationData* dial);
void DonationConfirm(DonationData* dial);
void DonationCommit(DonationData* dial);
int32_t DigitsToNumber(const int8_t* digits, int count);
