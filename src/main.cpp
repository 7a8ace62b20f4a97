#include "engine/shell.h"

int main() { return AppMain(); }
