#pragma once

// The two calls that prepare a run: the settings dialog, and the window with the engine's
// standing modules.

#include "engine/api.h"
#include "engine/windowSettings.h"

namespace engine {

// Shows the modal settings dialog and returns the user's choice; ends the process when
// the user exits or closes it.
ENGINE_API WindowSettings SettingsDialog();

// Creates the window and device, adds the screen, renderer, input and scene-information
// modules, and loads the start-up resources.
ENGINE_API void CreateNEBLUWindow(const WindowSettings& settings);

}  // namespace engine
