#pragma once

#include <boost/shared_array.hpp>
#include <boost/shared_ptr.hpp>
#include <string>
#include <vector>

#include "engine/api.h"
#include "engine/core/resource.h"
#include "engine/gfx/mesh.h"
#include "engine/gfx/renderObject.h"
#include "engine/math/vector.h"

namespace engine {
namespace gfx {

class AnimationController;
class Effect;

// Animations a program installs on a mesh: every controller advances by speed x seconds.
struct AnimationSet {
  float speed = 1.0f;
  std::vector<boost::shared_ptr<AnimationController>> animations;
};

// The drawable form of a CPU mesh: one interleaved immutable vertex buffer (the mesh's
// streams in list order), one immutable index buffer, and one input layout per shader of
// its effect. Create checks the streams against what the effect's passes read, derives
// missing normals or a tangent frame, drops normals nobody reads, and finds a bounding
// sphere. Several scene nodes draw one mesh through copies of its render object.
class ENGINE_API Mesh : public core::Resource {
 public:
  // The .nbl file `name` with its material `name` + ".efx"; "data/quad.nbl" has none.
  explicit Mesh(const std::wstring& name);
  // A CPU mesh (taken over) with an effect; the export AddMesh registers it by name.
  Mesh(LoadMesh* mesh, const boost::shared_ptr<Effect>& effect);
  // Another mesh's buffers drawn with another effect: a quad pass's full-screen quad.
  Mesh(const boost::shared_ptr<Mesh>& geometry, const boost::shared_ptr<Effect>& effect);
  ~Mesh() override;

  void Create() override;
  void Destroy() override;
  virtual boost::shared_ptr<RenderObject> CreateRenderObject();

  // A reload: the mesh made again from `fresh` CPU data (taken over) with `effect`, as a
  // new mesh would be, then put in place of what this one held, which is released. The
  // scene draws it from the next frame, since nodes copy the render object every frame.
  // Raises, keeping the mesh as it was, when the new one cannot be made.
  void Rebuild(LoadMesh* fresh, const boost::shared_ptr<Effect>& effect);

  void AdvanceAnimation(float seconds);
  void ResetAnimation();
  bool DoCulling() const { return culling; }
  void DoCulling(bool doCulling) { culling = doCulling; }

  LoadMesh* CPUMesh() const { return mesh; }
  const boost::shared_ptr<RenderObject>& GetRenderObject() const { return renderObject; }
  const boost::shared_ptr<Effect>& GetEffect() const { return renderObject->effect; }
  const std::vector<D3D10_INPUT_ELEMENT_DESC>& InputElements() const { return inputElements; }
  float Radius() const { return radius; }
  const math::Vector3f& Centre() const { return centre; }
  boost::shared_ptr<AnimationSet> animationSet;

 private:
  bool IsQuad() const;
  void CompleteStreams();
  void CreateBuffers();
  void DescribeVertex();
  void CreateInputLayouts();

  LoadMesh* mesh;  // owned until Destroy
  boost::shared_ptr<RenderObject> renderObject;
  std::vector<D3D10_INPUT_ELEMENT_DESC> inputElements;
  boost::shared_array<std::string> semanticNames;  // what the element descriptions point at
  float radius;
  math::Vector3f centre;
  bool culling;  // false: nobody asked for culling
  boost::shared_ptr<Mesh> geometry;  // the mesh whose buffers a quad mesh shares
};

}  // namespace gfx
}  // namespace engine
