#pragma once

#include <boost/shared_ptr.hpp>
#include <string>
#include <utility>
#include <vector>

#include "engine/api.h"
#include "engine/gfx/transformation.h"
#include "engine/math/matrix.h"
#include "engine/math/vector.h"

namespace engine {
namespace gfx {

class Renderer;

// Something placed in a scene: a local transformation, a parent, and world matrices.
// World matrices are not stored: a spatial caches its parent's world matrix (and its
// inverse) during each walk and combines it with its own local matrix on demand, so a
// changed local transformation shows in World() at once but reaches the children only
// with the next walk. The parent pointer never owns.
class ENGINE_API Spatial {
 public:
  Spatial(const Spatial& other);
  Spatial& operator=(const Spatial& other);
  virtual ~Spatial();

  // Local × parent world: the spatial's own transformation applies first.
  virtual math::Matrix4x4 World();
  // Parent world inverse × local inverse.
  virtual math::Matrix4x4 WorldInverse();
  virtual math::Matrix4x4 Local();
  virtual math::Matrix4x4 LocalInverse();
  virtual math::Matrix4x4 LocalReverse();
  virtual math::Matrix4x4 LocalReverseInverse();
  // The window's current camera projection.
  virtual math::Matrix4x4 Projection();
  // The per-frame scene walk. `renderList` may be null: nothing is then drawn, but
  // matrices are still refreshed.
  virtual void Update(Renderer* renderList) = 0;
  // The nearest hit along the ray: (distance, spatial), or (+infinity, null).
  virtual std::pair<float, Spatial*> TraverseRay(const math::Vector3f& origin, const math::Vector3f& direction);
  // Extra data a shader semantic asks for by name: (address, bytes), or (null, 0) with
  // a warning when the object has none.
  virtual std::pair<void*, int> GetCustomData(const std::wstring& semantic);

  void Parent(Spatial* parent);
  Spatial* Parent();
  // Replaces the local transformation, identity flag included.
  void Local(const Transformation& local);
  // For changing the local transformation in place.
  Transformation* LocalTransformation();
  Transformation GetLocalTransformation() const;

 protected:
  Spatial();

  Spatial* parent;                     // null for a root
  math::Matrix4x4 parentWorld;         // identity until the first walk reaches the spatial
  math::Matrix4x4 parentWorldInverse;  // identity until the first walk reaches the spatial
  Transformation local;                // identity
};

// A spatial with children, held jointly through shared pointers in insertion order.
class ENGINE_API Node : public Spatial {
 public:
  explicit Node(Spatial* parent = nullptr);
  ~Node() override;

  // Refreshes the cached parent matrices, then walks the children in order.
  void Update(Renderer* renderList) override;
  // The children's nearest hit; the first child wins ties.
  std::pair<float, Spatial*> TraverseRay(const math::Vector3f& origin, const math::Vector3f& direction) override;

  // Appends the child and returns its index. The child's parent pointer is left alone:
  // whoever links a child sets both.
  int AddChild(const boost::shared_ptr<Spatial>& child);

  // The children, for the engine's own linking and tests.
  std::vector<boost::shared_ptr<Spatial>>& Children() { return children; }

 protected:
  // Refreshes the cached parent matrices from the parent, when there is one.
  void RefreshFromParent();

  std::vector<boost::shared_ptr<Spatial>> children;
};

}  // namespace gfx
}  // namespace engine
