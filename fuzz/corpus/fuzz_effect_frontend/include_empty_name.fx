// The pool every effec aratioed.fxh.
#include ""
