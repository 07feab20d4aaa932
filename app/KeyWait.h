#pragma once

#include <unistd.h>

// Waits until one key is read from the descriptor. On a terminal the key counts as soon as it
// is pressed, Enter or not, and is not echoed: the terminal is switched out of line mode for
// the read and its settings are put back afterwards, also when the read fails or an interrupt
// (Ctrl-C), hang-up, quit or termination signal ends the program during it. Anything else
// (a pipe, a file, the null device) gives one character, or returns at end of input.
void waitForOneKey(int descriptor = STDIN_FILENO);
