// Filled in by the renderer-stack work.
#include "engine_fixture.h"
