// The pool every effect of the template is a child of.
#include "shared.fxh"
