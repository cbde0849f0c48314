#pragma once

#include <boost/shared_ptr.hpp>

#include "engine/api.h"
#include "engine/gfx/spatial.h"

namespace engine {
namespace gfx {

class Mesh;
struct RenderObject;

// A mesh attached to a node. It has no placement of its own (its matrices are its
// parent's) and no children; every walk with a render list hands the renderer one render
// object with this frame's and the previous frame's world matrices.
class ENGINE_API Geometry : public Spatial {
 public:
  Geometry(const boost::shared_ptr<Mesh>& mesh, Spatial* parent);
  ~Geometry() override;

  math::Matrix4x4 World() override;
  math::Matrix4x4 WorldInverse() override;
  math::Matrix4x4 Local() override;
  math::Matrix4x4 LocalInverse() override;
  void Update(Renderer* renderList) override;
  std::pair<float, Spatial*> TraverseRay(const math::Vector3f& origin, const math::Vector3f& direction) override;
  virtual boost::shared_ptr<RenderObject> BuildRenderObject();

  const boost::shared_ptr<Mesh>& GetMesh() const { return mesh; }

 private:
  boost::shared_ptr<Mesh> mesh;
  math::Matrix4x4 previousWorld;  // of the last render object built
  bool hasPrevious;               // false until the first render object
};

}  // namespace gfx
}  // namespace engine
