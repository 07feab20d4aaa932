#include "app/RunSequence.h"

// Command-line arguments and the environment are not read: the job and its files are fixed.
int main() { return runRenderJob(); }
