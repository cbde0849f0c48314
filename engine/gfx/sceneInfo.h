#pragma once

#include <boost/shared_ptr.hpp>
#include <map>
#include <string>
#include <vector>

#include "engine/api.h"
#include "engine/core/module.h"
#include "engine/core/singleton.h"
#include "engine/gfx/camera.h"
#include "engine/gfx/spatial.h"

namespace engine {
namespace gfx {

class Light;

// The blackboard of the current scene: the current camera and every camera seen since
// the last start, the lights met during this frame's walk, and named groups of nodes
// through which the program and material scripts refer to scene objects.
//
// As a module (priority 12500, after the renderer) it empties the light list every pass,
// so the next walk refills it.
class ENGINE_API SceneInfo : public pattern::Singleton<SceneInfo>, public core::Module {
 public:
  SceneInfo();
  ~SceneInfo() override;

  bool Start() override;
  void Update() override;
  void Stop() override;

  // Stores `node` under `name` in `group`; warns first when the name is taken there.
  void AddNode(const boost::shared_ptr<Node>& node, const std::wstring& name, const std::wstring& group);
  // Stores `node` under `name` in `group`, silently replacing.
  void SetNode(const boost::shared_ptr<Node>& node, const std::wstring& name, const std::wstring& group);
  // The node stored under `name` in `group`; an error when there is none.
  boost::shared_ptr<Node> GetNode(const std::wstring& name, const std::wstring& group);
  // Removes `name` from `group`, if it is there.
  void DelNode(const std::wstring& name, const std::wstring& group);

  // The first camera to report after the camera map was cleared becomes current; from
  // then on only a camera of the same name refreshes the current record.
  void SetCamera(const CameraRecord& record, const std::wstring& name);
  const CameraRecord& CurrentCamera() const { return currentCamera; }
  const std::wstring& CurrentCameraName() const { return currentCameraName; }
  const std::map<std::wstring, CameraRecord>& Cameras() const { return cameras; }

  void AddLight(Light* light);
  const std::vector<Light*>& Lights() const { return lights; }
  int LightCount() const { return lightCount; }

 private:
  CameraRecord currentCamera;
  std::wstring currentCameraName;
  std::vector<Light*> lights;  // non-owning; registered during this frame's walk
  std::map<std::wstring, CameraRecord> cameras;
  std::map<std::wstring, std::map<std::wstring, boost::shared_ptr<Node>>> groups;
  int lightCount;
};

}  // namespace gfx
}  // namespace engine
