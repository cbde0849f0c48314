#include "engine/gfx/sceneInfo.h"

#include "engine/core/logging.h"

namespace engine {
namespace gfx {

SceneInfo::SceneInfo() : lightCount(0) {
  name = L"Global Scene Information";
  priority = 12500;
}

SceneInfo::~SceneInfo() = default;

bool SceneInfo::Start() {
  lights.clear();
  lightCount = 0;
  cameras.clear();
  return true;
}

void SceneInfo::Update() {
  lights.clear();
  lightCount = 0;
}

void SceneInfo::Stop() {}

void SceneInfo::AddNode(const boost::shared_ptr<Node>& node, const std::wstring& nodeName,
                        const std::wstring& group) {
  std::map<std::wstring, boost::shared_ptr<Node>>& members = groups[group];
  if (members.count(nodeName)) NEBLU_WARNING(L"Node " + nodeName + L" already exists in group " + group);
  members[nodeName] = node;
}

void SceneInfo::SetNode(const boost::shared_ptr<Node>& node, const std::wstring& nodeName,
                        const std::wstring& group) {
  groups[group][nodeName] = node;
}

boost::shared_ptr<Node> SceneInfo::GetNode(const std::wstring& nodeName, const std::wstring& group) {
  auto members = groups.find(group);
  if (members != groups.end()) {
    auto found = members->second.find(nodeName);
    if (found != members->second.end()) return found->second;
  }
  NEBLU_ERROR(L"Node " + nodeName + L" not found in group " + group);
}

void SceneInfo::DelNode(const std::wstring& nodeName, const std::wstring& group) {
  auto members = groups.find(group);
  if (members != groups.end()) members->second.erase(nodeName);
}

void SceneInfo::SetCamera(const CameraRecord& record, const std::wstring& cameraName) {
  if (cameras.empty()) {
    currentCamera = record;
    currentCameraName = cameraName;
  }
  cameras[cameraName] = record;
  if (cameraName == currentCameraName) currentCamera = record;
}

void SceneInfo::AddLight(Light* light) {
  lights.push_back(light);
  ++lightCount;
}

}  // namespace gfx
}  // namespace engine
