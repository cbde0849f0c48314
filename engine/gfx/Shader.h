#pragma once

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/api.h"
#include "engine/gfx/material.h"
#include "engine/gfx/renderObject.h"
#include "platform/effect.h"

namespace engine {
namespace core {
class Resource;
namespace resources {
class FXEffect;
class DepthTargetTexture;
}  // namespace resources
}  // namespace core
namespace gfx {

class Mesh;

// The ordered render-target resources a pass draws into; an empty pointer is the back
// buffer. Lists compare by resource identity, element by element.
using TargetList = std::vector<boost::shared_ptr<core::Resource>>;

// The semantics the engine fills from the scene, by table row.
enum class SemanticRule {
  World,
  WorldTranspose,
  WorldInverse,
  WorldInverseTranspose,
  View,
  ViewInverse,
  WorldView,
  Projection,
  ViewProjection,
  WorldViewProjection,
  Time,
  ElapsedTime,
  Position,
  Direction,
};

struct SemanticBinding {
  std::wstring objectName;  // empty: the render object being drawn
  std::wstring groupName;   // "global" unless the variable says otherwise
  ID3D10EffectVariable* variable;
  SemanticRule rule;
  bool reportedEmpty = false;  // the named object was found empty and said so once
};

// A semantic the engine does not know: the named object's GetCustomData supplies the
// bytes.
struct CustomSemanticBinding {
  std::wstring objectName;
  std::wstring groupName;
  std::wstring semantic;
  ID3D10EffectVariable* variable;
  bool reportedEmpty = false;  // the named object was found empty and said so once
};

// One pass of an effect: an .fx file (compiled as a child of the pool), one technique,
// its targets and its parameter values. Built by the effect pool from a pass
// description; usable for drawing once Bind has run. Variables are found once per bind;
// a draw writes through the stored interfaces, and re-binds first when the effect file
// was reloaded since.
class ENGINE_API Shader {
 public:
  // From a pass of a material; `path` is "data/fx/" + d.fx. Raises when the effect file
  // fails or the technique lookup yields nothing.
  Shader(const PassDescription& d, const std::string& path);
  // The pool's own shader: semantic bindings only.
  explicit Shader(const boost::shared_ptr<core::resources::FXEffect>& poolEffect);
  ~Shader();
  Shader(const Shader&) = delete;
  Shader& operator=(const Shader&) = delete;

  void Bind();
  void BindSemantics();
  // Writes every semantic-bound variable for one render object (may be empty).
  void UpdateSemantics(const boost::shared_ptr<RenderObject>& object);
  // Writes the parameters of `p` through the bound variables of the shader `p` belongs
  // to, which is `this` when called on that shader.
  void ApplyParameters(const PassDescription& p);

  // Stores the technique's pass count when k is 0; makes pass k current when below it.
  unsigned SelectPass(unsigned k);
  void SubmitQuad();
  void Draw(const boost::shared_ptr<RenderObject>& object);

  const boost::shared_ptr<core::resources::FXEffect>& GetEffect() const { return effect; }
  const boost::shared_ptr<core::resources::DepthTargetTexture>& GetDepthTarget() const { return depthTarget; }
  const TargetList& Targets() const { return targets; }
  ID3D10EffectTechnique* Technique() const { return technique; }
  int Instances() const { return instances; }
  bool IsQuad() const { return quad; }
  const boost::shared_ptr<Mesh>& QuadMesh() const { return quadMesh; }
  ID3D10InputLayout* InputLayout() const { return inputLayout; }
  // Takes over one reference on the layout; releases the one it held.
  void InputLayout(ID3D10InputLayout* layout);
  const PassDescription& Pass() const { return pass; }
  const std::string& Name() const { return name; }
  int renderIndex;  // place in the global render order; -1 until the pool sorts

  const std::vector<SemanticBinding>& SemanticBindings() const { return semanticBindings; }
  const std::vector<CustomSemanticBinding>& CustomBindings() const { return customBindings; }
  // The variables found for each parameter kind, parallel to the pass's lists.
  const std::vector<ID3D10EffectVariable*>& BoundVariables(ShaderParameters::Kind kind) const {
    return boundVariables[kind];
  }

 private:
  ID3D10Effect* DeviceEffect() const;
  void LookUpTechnique();
  // Rebinds when the effect file changed on disk since the last bind.
  void RebindIfReloaded();

  std::vector<SemanticBinding> semanticBindings;
  std::vector<CustomSemanticBinding> customBindings;
  PassDescription pass;
  std::vector<ID3D10EffectVariable*> boundVariables[ShaderParameters::KIND_COUNT];
  boost::shared_ptr<core::resources::FXEffect> effect;
  TargetList targets;
  boost::shared_ptr<core::resources::DepthTargetTexture> depthTarget;
  int instances;
  ID3D10EffectTechnique* technique;
  ID3D10InputLayout* inputLayout;
  bool quad;
  boost::shared_ptr<Mesh> quadMesh;
  std::int64_t effectTime;
  std::string name;
  ID3D10Effect* boundEffect;  // the compiled effect the variables belong to
};

}  // namespace gfx
}  // namespace engine
