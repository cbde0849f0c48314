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
  GlslProgram(Device* device, GLuint name, std::vector<std::uint8_t> signature);
  ~GlslProgram() override;
  void GetInputSignature(const void** data, SIZE_T* size) override {
    if (data) *data = signature_.data();
    if (size) *size = signature_.size();
  }
  UINT GetGlName() override { return name; }
  const GLuint name;

 private:
  std::vector<std::uint8_t> signature_;
};

}  // namespace d3d
}  // namespace platform
