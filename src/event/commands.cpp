// The command table of the script language: every command's handler and the wait step
// that follows it, gathered from the modules that implement them.
#include "event/donation.h"
#include "event/ending.h"
#include "event/event.h"
#include "event/fade.h"
#include "event/field_commands.h"
#include "event/inn.h"
#include "event/notice.h"
#include "event/party_commands.h"
#include "event/party_effects.h"
#include "event/shop.h"
#include "event/text_window.h"
#include "event/traps.h"

// clang-format off
// Codes without a handler do nothing; the arguments they would have read are plain
// text to the next fetch.
const EventCommand g_eventCommands[kEventCommandCount] = {
    {EventCmdSetupParty, nullptr},           // 0 party set-up
    {EventCmdText, TextWindowStep},          // 1 message
    {EventCmdChoice, EventChoiceStep},       // 2 choice
    {EventCmdPortrait, nullptr},             // 3 portrait
    {EventCmdAddMember, nullptr},            // 4 member joins
    {EventCmdSetFlag, nullptr},              // 5 set flag
    {EventCmdJumpIfFlag, nullptr},           // 6 jump when a flag is set
    {EventCmdWindow, nullptr},               // 7 window background
    {EventCmdChangeMap, nullptr},            // 8 map change, ends the event
    {EventCmdInn, EventStepWaitInn},         // 9 inn
    {EventCmdShop, EventStepWaitShop},       // 10 shop
    {EventCmdSound, nullptr},                // 11 sound effect
    {EventCmdBattle, nullptr},               // 12 scripted battle (frozen by the battle)
    {EvTransitionStart, EvTransitionWait},   // 13 encounter transition without a battle
    {EventCmdFacing, nullptr},               // 14 facing
    {nullptr, nullptr},                      // 15
    {EventCmdPartyControl, nullptr},         // 16 party control
    {EventCmdWait, EventStepWaitFrames},     // 17 wait frames
    {EventCmdSetTile, nullptr},              // 18 set tile
    {EventCmdRemoveObjects, nullptr},        // 19 remove objects
    {EventCmdSpawnNpc, nullptr},             // 20 spawn person
    {EventCmdCameraPan, EventStepCameraPan},  // 21 camera pan
    {EventCmdWalk, EventStepWalk},           // 22 scripted walks
    {EventCmdFadeCover, nullptr},            // 23 fade to covered
    {EventCmdFadeReveal, nullptr},           // 24 fade to clear
    {EventCmdCameraAtFollow, nullptr},       // 25 camera at a cell, following
    {EventCmdSparkle, nullptr},              // 26 sparkle
    {EventCmdAddMoney, nullptr},             // 27 money
    {EventCmdLoadMap, nullptr},              // 28 load map
    {EventCmdNpcMover, nullptr},             // 29 person mover
    {EventCmdFadeStop, nullptr},             // 30 fade stop
    {EventCmdBlackout, nullptr},             // 31 blackout
    {EventCmdCameraMove, nullptr},           // 32 camera move
    {EventCmdRemoveObjectList, nullptr},     // 33 remove object list
    {EventCmdRebuildCollision, nullptr},     // 34 rebuild collision
    {EventCmdResumeAll, nullptr},            // 35 resume every task
    {EventCmdOverlayIn, EventStepOverlayIn}, // 36 overlay in
    {EventCmdGather, EventStepGather},       // 37 gather
    {EventCmdItemDialog, EventStepWaitItemDialog},  // 38 money or item notice
    {EventCmdCameraFollow, nullptr},         // 39 camera follows
    {EventCmdCameraHold, nullptr},           // 40 camera holds
    {EventCmdDonation, EventStepWaitDonation},  // 41 donation dial
    {EventCmdPartyRing, EventStepWaitEffects},   // 42 party ring
    {EventCmdPartyFlash, EventStepWaitEffects},  // 43 party flash
    {EventCmdRecoverAll, nullptr},           // 44 recover all
    {EventCmdHurtAll, nullptr},              // 45 hurt all
    {EventCmdMemberToReserve, nullptr},      // 46 member to reserve
    {EventCmdShowObjects, nullptr},          // 47 show or hide objects
    {EventCmdPlaceParty, nullptr},           // 48 place party
    {EventCmdReserveToMember, nullptr},      // 49 reserve to member
    {EventCmdKillTasks, nullptr},            // 50 kill tasks by id
    {EventCmdSortParty, nullptr},            // 51 sort party
    {EventCmdCameraAt, nullptr},             // 52 fixed camera at a cell
    {EventCmdPitfall, EventStepPitfall},     // 53 pitfall, then its pause and rise
    {EventCmdProjectile, EventStepWaitProjectiles},  // 54 projectile
    {EventCmdLiftCreate, nullptr},           // 55 lift
    {EventCmdLiftMove, EventStepLiftMove},   // 56 lift move
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 57 to 59
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 60 to 64
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 65 to 69
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 70 to 74
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 75 to 79
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 80 to 84
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 85 to 89
    {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr}, {nullptr, nullptr},  // 90 to 94
    {nullptr, nullptr}, {nullptr, nullptr},  // 95, 96
    {EventCmdEndingRoll, nullptr},           // 97 ending roll
    {EventCmdToTitle, nullptr},              // 98 back to the title
    {EventCmdEnd, nullptr},                  // 99 end of the event
};
// clang-format on
