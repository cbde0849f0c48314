// The marks' colour, in a file of its own so that a test can change what mark.fx
// includes while the program runs.
#define MARK_COLOUR float4(1, 0, 0, 1)
