#pragma once

#include <cstdint>
#include <string>

#include "engine/api.h"
#include "engine/core/resource.h"
#include "platform/d3d10.h"
#include "platform/effect.h"

namespace engine {
namespace core {
namespace resources {

// A texture the shader parameters can bind; its retriever pointer is the shader
// resource view. TextureKind tells binders how: 0 plain, 2 cube, 3 render target,
// 4 depth target, 5 depth-target array (bound as a one-element resource array).
class ENGINE_API Texture : public Resource, public ResourceRetriever<ID3D10ShaderResourceView*> {
 public:
  Texture(const std::wstring& name, int format);
  // A file texture nobody declared: R8G8B8A8_UNORM.
  explicit Texture(const std::wstring& name);
  // A resource replaced under its name, or held past the manager, still owns device
  // objects when it goes: they are released quietly here.
  ~Texture() override;

  void Create() override;
  void Destroy() override;
  virtual int TextureKind() const { return 0; }
  // For a file watcher: the file read again into a new view, which replaces the old one
  // only once it exists; a file that no longer loads raises and leaves the old view.
  void Reload();

  int Format() const { return format; }

 protected:
  // Logs `message` + name, then releases the view.
  void ReleaseView(const char* message);

  int format;  // device format code
};

// A cube map loaded from a file (its faces in one image file, e.g. a cube DDS).
class ENGINE_API CubeTexture : public Texture {
 public:
  explicit CubeTexture(const std::wstring& name);
  void Create() override;
  void Destroy() override;
  int TextureKind() const override { return 2; }
};

// A texture made by code (the spectrum, procedural images). Takes over the reference
// on the texture it is given; the name-only form has none, so its Create fails.
class ENGINE_API CustomTexture : public Texture {
 public:
  CustomTexture(const std::wstring& name, ID3D10Texture2D* texture, int format);
  explicit CustomTexture(const std::wstring& name);
  ~CustomTexture() override;

  void Create() override;
  void Destroy() override;

  ID3D10Texture2D* DeviceTexture() const { return texture; }

 private:
  ID3D10Texture2D* texture;
};

// A colour target passes draw into and later passes sample.
class ENGINE_API RenderTargetTexture : public Texture {
 public:
  RenderTargetTexture(const std::wstring& name, int width, int height, int format, int multisampleMode);
  ~RenderTargetTexture() override;
  void Create() override;
  void Destroy() override;
  int TextureKind() const override { return 3; }

  ID3D10RenderTargetView* RenderTargetView() const { return renderTargetView; }
  ID3D10Texture2D* DeviceTexture() const { return texture; }
  int Width() const { return width; }
  int Height() const { return height; }

 private:
  int width;
  int height;
  ID3D10RenderTargetView* renderTargetView;
  ID3D10Texture2D* texture;

 public:
  bool clearPending;  // set by the renderer when a pass of this frame draws here; no default needed

 private:
  int multisampleMode;  // 0: as the swap chain; anything else: one sample
};

// A depth-stencil target, optionally readable by shaders (R32_TYPELESS only).
class ENGINE_API DepthTargetTexture : public Texture {
 public:
  DepthTargetTexture(const std::wstring& name, bool shaderReadable, int width, int height, int format,
                     int multisampleMode);
  // A depth target nobody declared: 512 x 512 D24_UNORM_S8_UINT, not shader-readable,
  // one sample.
  explicit DepthTargetTexture(const std::wstring& name);
  ~DepthTargetTexture() override;
  void Create() override;
  void Destroy() override;
  int TextureKind() const override { return 4; }

  ID3D10DepthStencilView* DepthStencilView() const { return depthStencilView; }
  ID3D10Texture2D* DeviceTexture() const { return texture; }
  int Width() const { return width; }
  int Height() const { return height; }
  bool ShaderReadable() const { return shaderReadable; }

 protected:
  // Logs the creation and makes the texture both depth classes view.
  void CreateTexture(UINT arraySize);

  int width;
  int height;
  ID3D10DepthStencilView* depthStencilView;
  ID3D10Texture2D* texture;
  int multisampleMode;
  bool shaderReadable;

 public:
  bool clearPending;  // set by the renderer when a pass of this frame draws here; no default needed
};

// Several depth targets in one texture: one slice per shadow cascade.
class ENGINE_API DepthTargetArray : public DepthTargetTexture {
 public:
  DepthTargetArray(const std::wstring& name, int arraySize, bool shaderReadable, int width, int height, int format,
                   int multisampleMode);
  void Create() override;
  int TextureKind() const override { return 5; }

  int ArraySize() const { return arraySize; }

 private:
  int arraySize;
};

// An .fx file compiled as a child of the engine's effect pool. Update recompiles it
// when the file's modification time changes (the F9 reload).
class ENGINE_API FXEffect : public Resource, public ResourceRetriever<ID3D10Effect*> {
 public:
  explicit FXEffect(const std::wstring& name);
  // Wraps a compiled effect (the pool's own) that no file stands behind; takes a
  // reference. Never registered, so it is never created or updated.
  FXEffect(const std::wstring& name, ID3D10Effect* effect);
  ~FXEffect() override;
  void Create() override;
  void Destroy() override;
  void Update() override;
  // The effect file's modification time at the last compile; shaders compare it to
  // notice a reload.
  std::int64_t LastWriteTime() const { return lastWriteTime; }
  // For a file watcher: the next Update recompiles though the effect's own file did not
  // change (a file it includes did).
  void ReloadOnNextUpdate() { lastWriteTime = -1; }
  // For a file watcher: the next Update leaves the effect as it is though its file
  // changed, because the new text does not compile and the last good effect stays.
  void KeepCurrentEffect();

 private:
  std::int64_t lastWriteTime;  // of the effect file when last compiled
};

}  // namespace resources

// Creates a device texture and registers it as a CustomTexture under `name`; raises
// "Failed to create 2D texture" when the device refuses.
ENGINE_API void CreateTexture2D(const std::wstring& name, const D3D10_TEXTURE2D_DESC* description,
                                const D3D10_SUBRESOURCE_DATA* initialData);

}  // namespace core
}  // namespace engine
