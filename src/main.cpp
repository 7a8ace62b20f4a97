#include "game/startup.h"

int main() { return GameMain(); }
