#pragma once

// A linked GLSL program (see platform/d3d10/gl_program.h). Internal.

#include <cstdint>
#include <vector>

#include "platform/d3d10/objects.h"
#include "platform/d3d10/gl_program.h"

namespace platform {
namespace d3d {

class GlslProgram final : public DeviceChild<IGlslProgram> {
 public:
  GlslProgram(Device* device, GLuint name, std::vector<std::uint8_t> signature, bool geometryStage, bool pixelStage,
              bool streamOutput);
  ~GlslProgram() override;
  void GetInputSignature(const void** data, SIZE_T* size) override {
    if (data) *data = signature_.data();
    if (size) *size = signature_.size();
  }
  UINT GetGlName() override { return name; }
  const GLuint name;
  const bool hasPixelStage;
  const bool streamsOut;  // captures into the stream output targets
  // The primitive its geometry stage emits, as transform feedback counts them (GL_POINTS,
  // GL_LINES, GL_TRIANGLES) when it streams out; 0 otherwise, and without a geometry
  // stage: the draw's topology decides.
  GLenum feedbackMode = 0;
  // Bytes a vertex takes in each stream output buffer; 0 for buffers it does not write.
  UINT feedbackStrides[D3D10_SO_BUFFER_SLOT_COUNT] = {};

 private:
  std::vector<std::uint8_t> signature_;
};

}  // namespace d3d
}  // namespace platform
