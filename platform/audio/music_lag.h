#pragma once

// How far the picture runs behind the sound in a live run: what the present statistics
// measure each frame.

#include "platform/api.h"

namespace platform {

// The music position the clock read last (the time the frame now being presented
// shows) and the position being heard now, in seconds of the stream. False on the
// capture clock, where the music follows the frames, and when no music is playing.
PLATFORM_API bool MusicLagNow(double* shownSeconds, double* heardSeconds);

}  // namespace platform
