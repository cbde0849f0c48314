#pragma once

// The flat interface through which the program drives the engine. Each function is a
// thin forwarder that hides the singletons and the Kernel's registration keys.

#include <string>

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/core/windowStuff.h"
#include "engine/gfx/demoFile.h"
#include "engine/gfx/gpuMesh.h"
#include "engine/gfx/mesh.h"
#include "engine/gfx/renderObject.h"
#include "platform/d3d10.h"

namespace engine {

// Turns the HTML log on or off; the program turns it off unless asked for it.
ENGINE_API void Logging(bool on);
// Registers and starts a module under a registration key.
ENGINE_API void AddModule(core::Module* module, int key);
// Called after each module AddModule has started: the authoring library attaches its own
// modules to the program's demo this way, without the program adding them. One hook a
// process; null removes it.
using ModuleAddedHook = void (*)(core::Module* module);
ENGINE_API void SetModuleAddedHook(ModuleAddedHook hook);
// Runs the main loop until a quit request, then tears the engine down.
ENGINE_API void StartApplication();
// Asks the main loop to end after the current pass.
ENGINE_API void QuitApplication();

// The window's caption, through the screen module (key 1); the stored title stays.
ENGINE_API void SetWindowTitle(std::wstring title);
// The colour every frame starts from: four floats, red, green, blue, alpha.
ENGINE_API void SetClearColor(float* color);
// Seconds of music played, and seconds between the last two passes.
ENGINE_API double GetTime();
ENGINE_API double GetSinceLast();

// Virtual-key queries against the last pass: went down, stayed down, went up.
ENGINE_API bool isPressed(int virtualKey);
ENGINE_API bool isHeld(int virtualKey);
ENGINE_API bool isReleased(int virtualKey);

// A mesh read from a .nbl file; the caller owns it and frees it with DestroyItself.
ENGINE_API gfx::LoadMesh* GetNBLMesh(const std::wstring& path);
// A mesh with the given counts, 32-bit indices, no index array and no streams; the caller
// supplies them (buffers from AllocateMemory) and frees the mesh with DestroyItself.
ENGINE_API gfx::LoadMesh* CreateEmptyMesh(int vertices, int indices);
// Blocks of the engine's heap, for buffers one side of the library boundary allocates and
// the other frees.
ENGINE_API void* AllocateMemory(unsigned bytes);
ENGINE_API void DeleteMemory(void* block);
// A device texture registered as a custom texture under `name`; raises "Failed to create
// 2D texture" when the device refuses.
ENGINE_API void CreateTexture2D(const std::wstring& name, const D3D10_TEXTURE2D_DESC* description,
                                const D3D10_SUBRESOURCE_DATA* initialData);

namespace gfx {
class Effect;
}

// A new node that takes over `payload` (may be null) as its only child.
ENGINE_API boost::shared_ptr<gfx::Node> CreateNode(gfx::Spatial* payload);
// A new node whose only child draws the mesh.
ENGINE_API boost::shared_ptr<gfx::Node> CreateMeshNode(boost::shared_ptr<gfx::Mesh> mesh);
// Makes `root` the whole scene the renderer draws; a null root is refused with a warning
// and the previous scene stays.
ENGINE_API void SetRootNode(boost::shared_ptr<gfx::Spatial> root);
// Named nodes that shaders read by name (lights, cameras), through the scene information.
ENGINE_API void AddNode(boost::shared_ptr<gfx::Node> node, const std::wstring& name, const std::wstring& group);
ENGINE_API void SetNode(boost::shared_ptr<gfx::Node> node, const std::wstring& name, const std::wstring& group);
ENGINE_API void DelNode(const std::wstring& name, const std::wstring& group);

// Submits an object to the renderer (key 10) for the current frame.
ENGINE_API void Render(boost::shared_ptr<gfx::RenderObject> object);
// An effect built from a material script by the effect pool.
ENGINE_API boost::shared_ptr<gfx::Effect> BuildEffect(const std::string& name);
// A GPU mesh of the data (taken over) and effect, registered under the name.
ENGINE_API void AddMesh(const std::wstring& name, gfx::LoadMesh* mesh, boost::shared_ptr<gfx::Effect> effect);

}  // namespace engine
