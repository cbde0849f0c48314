// The pool every effect of the demo is a child of: the camera and the clock; the part's
// lamp ("PointLight0"); the cascades of the lamp's light ("Shadow", the light itself,
// which the scene module registers beside its lamp). The declarations are in shared.fxh.
#include "shared.fxh"
