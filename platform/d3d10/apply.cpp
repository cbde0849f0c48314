// How the device sends what the setters recorded to GL before a draw: targets,
// viewports, the fixed-function state blocks (only what differs from what GL already
// has), vertex arrays and the resources of every stage.

#include <algorithm>
#include <cstring>

#include "platform/d3d10/device.h"
#include "platform/d3d10/program.h"
#include "platform/d3d10/report.h"

namespace platform {
namespace d3d {
namespace {

GLenum CompareFunc(D3D10_COMPARISON_FUNC func) {
  switch (func) {
    case D3D10_COMPARISON_NEVER: return GL_NEVER;
    case D3D10_COMPARISON_LESS: return GL_LESS;
    case D3D10_COMPARISON_EQUAL: return GL_EQUAL;
    case D3D10_COMPARISON_LESS_EQUAL: return GL_LEQUAL;
    case D3D10_COMPARISON_GREATER: return GL_GREATER;
    case D3D10_COMPARISON_NOT_EQUAL: return GL_NOTEQUAL;
    case D3D10_COMPARISON_GREATER_EQUAL: return GL_GEQUAL;
    case D3D10_COMPARISON_ALWAYS: return GL_ALWAYS;
  }
  return GL_ALWAYS;
}

GLenum StencilOp(D3D10_STENCIL_OP op) {
  switch (op) {
    case D3D10_STENCIL_OP_KEEP: return GL_KEEP;
    case D3D10_STENCIL_OP_ZERO: return GL_ZERO;
    case D3D10_STENCIL_OP_REPLACE: return GL_REPLACE;
    case D3D10_STENCIL_OP_INCR_SAT: return GL_INCR;
    case D3D10_STENCIL_OP_DECR_SAT: return GL_DECR;
    case D3D10_STENCIL_OP_INVERT: return GL_INVERT;
    case D3D10_STENCIL_OP_INCR: return GL_INCR_WRAP;
    case D3D10_STENCIL_OP_DECR: return GL_DECR_WRAP;
  }
  return GL_KEEP;
}

GLenum BlendFactor(D3D10_BLEND blend) {
  switch (blend) {
    case D3D10_BLEND_ZERO: return GL_ZERO;
    case D3D10_BLEND_ONE: return GL_ONE;
    case D3D10_BLEND_SRC_COLOR: return GL_SRC_COLOR;
    case D3D10_BLEND_INV_SRC_COLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3D10_BLEND_SRC_ALPHA: return GL_SRC_ALPHA;
    case D3D10_BLEND_INV_SRC_ALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3D10_BLEND_DEST_ALPHA: return GL_DST_ALPHA;
    case D3D10_BLEND_INV_DEST_ALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3D10_BLEND_DEST_COLOR: return GL_DST_COLOR;
    case D3D10_BLEND_INV_DEST_COLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3D10_BLEND_SRC_ALPHA_SAT: return GL_SRC_ALPHA_SATURATE;
    case D3D10_BLEND_BLEND_FACTOR: return GL_CONSTANT_COLOR;
    case D3D10_BLEND_INV_BLEND_FACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    case D3D10_BLEND_SRC1_COLOR: return GL_SRC1_COLOR;
    case D3D10_BLEND_INV_SRC1_COLOR: return GL_ONE_MINUS_SRC1_COLOR;
    case D3D10_BLEND_SRC1_ALPHA: return GL_SRC1_ALPHA;
    case D3D10_BLEND_INV_SRC1_ALPHA: return GL_ONE_MINUS_SRC1_ALPHA;
  }
  return GL_ONE;
}

GLenum BlendOp(D3D10_BLEND_OP op) {
  switch (op) {
    case D3D10_BLEND_OP_ADD: return GL_FUNC_ADD;
    case D3D10_BLEND_OP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3D10_BLEND_OP_REV_SUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3D10_BLEND_OP_MIN: return GL_MIN;
    case D3D10_BLEND_OP_MAX: return GL_MAX;
  }
  return GL_FUNC_ADD;
}

void Enable(GLenum cap, bool on) { on ? glEnable(cap) : glDisable(cap); }

bool SameStencilOps(const D3D10_DEPTH_STENCILOP_DESC& a, const D3D10_DEPTH_STENCILOP_DESC& b) {
  return a.StencilFailOp == b.StencilFailOp && a.StencilDepthFailOp == b.StencilDepthFailOp &&
         a.StencilPassOp == b.StencilPassOp && a.StencilFunc == b.StencilFunc;
}

// Field by field: the two byte masks leave padding that a byte comparison would read.
bool SameDepthStencil(const D3D10_DEPTH_STENCIL_DESC& a, const D3D10_DEPTH_STENCIL_DESC& b) {
  return a.DepthEnable == b.DepthEnable && a.DepthWriteMask == b.DepthWriteMask && a.DepthFunc == b.DepthFunc &&
         a.StencilEnable == b.StencilEnable && a.StencilReadMask == b.StencilReadMask &&
         a.StencilWriteMask == b.StencilWriteMask && SameStencilOps(a.FrontFace, b.FrontFace) &&
         SameStencilOps(a.BackFace, b.BackFace);
}

}  // namespace

void Device::ApplyTargets() {
  bool attachmentsChanged = false;
  for (UINT i = 0; i < D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT; ++i) {
    RenderTargetView* view = i < targetCount_ ? targets_[i] : nullptr;
    const std::uint64_t serial = view ? view->serial : 0;
    if (attachedColor_[i] == serial) continue;
    AttachView(drawFramebuffer_, GL_COLOR_ATTACHMENT0 + i, view ? view->view : ViewTarget{});
    attachedColor_[i] = serial;
    attachmentsChanged = true;
  }
  const std::uint64_t depthSerial = depthTarget_ ? depthTarget_->serial : 0;
  if (attachedDepth_ != depthSerial) {
    attachmentsChanged = true;
    if (attachedDepthPoint_) glNamedFramebufferTexture(drawFramebuffer_, attachedDepthPoint_, 0, 0);
    attachedDepthPoint_ = 0;
    if (depthTarget_) {
      attachedDepthPoint_ = depthTarget_->HasStencil() ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
      AttachView(drawFramebuffer_, attachedDepthPoint_, depthTarget_->view);
    }
    attachedDepth_ = depthSerial;
  }
  GLenum buffers[D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT];
  for (UINT i = 0; i < D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT; ++i) {
    buffers[i] = i < targetCount_ && targets_[i] ? GL_COLOR_ATTACHMENT0 + i : GL_NONE;
  }
  // The same views again (every pass of a batch binds its targets): nothing to send, and
  // the completeness found for them still holds, as textures never change their storage.
  if (!attachmentsChanged && drawBuffersSet_ && std::equal(buffers, buffers + D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT,
                                                          drawBuffers_)) {
    return;
  }
  std::copy(buffers, buffers + D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT, drawBuffers_);
  drawBuffersSet_ = true;
  glNamedFramebufferDrawBuffers(drawFramebuffer_, D3D10_SIMULTANEOUS_RENDER_TARGET_COUNT, buffers);
  const GLenum status = glCheckNamedFramebufferStatus(drawFramebuffer_, GL_DRAW_FRAMEBUFFER);
  targetsComplete_ = status == GL_FRAMEBUFFER_COMPLETE;
  if (!targetsComplete_) {
    Report("OMSetRenderTargets: the bound views cannot be drawn into together (framebuffer status 0x%04X); draws "
           "are skipped", status);
  }
}

void Device::ApplyViewports() {
  if (glViewportsSet_ && glViewportCount_ == viewportCount_ &&
      std::memcmp(glViewports_, viewports_, sizeof(D3D10_VIEWPORT) * viewportCount_) == 0) {
    return;
  }
  std::copy(viewports_, viewports_ + viewportCount_, glViewports_);
  glViewportCount_ = viewportCount_;
  glViewportsSet_ = true;
  if (viewportCount_ == 0) {
    glViewport(0, 0, 0, 0);
    return;
  }
  for (UINT i = 0; i < viewportCount_; ++i) {
    const D3D10_VIEWPORT& v = viewports_[i];
    glViewportIndexedf(i, static_cast<float>(v.TopLeftX), static_cast<float>(v.TopLeftY), static_cast<float>(v.Width),
                       static_cast<float>(v.Height));
    glDepthRangeIndexed(i, v.MinDepth, v.MaxDepth);
  }
}

void Device::ApplyRasterizer() {
  const D3D10_RASTERIZER_DESC desc = rasterizer_ ? rasterizer_->desc : DefaultRasterizerDesc();
  // Four-byte fields only, so the bytes compare as the fields do.
  if (glRasterizerSet_ && std::memcmp(&desc, &glRasterizer_, sizeof desc) == 0) return;
  glRasterizer_ = desc;
  glRasterizerSet_ = true;
  glPolygonMode(GL_FRONT_AND_BACK, desc.FillMode == D3D10_FILL_WIREFRAME ? GL_LINE : GL_FILL);
  Enable(GL_CULL_FACE, desc.CullMode != D3D10_CULL_NONE);
  glCullFace(desc.CullMode == D3D10_CULL_FRONT ? GL_FRONT : GL_BACK);
  // Clip control with the upper-left origin keeps GL's winding as seen on screen, so
  // the API's clockwise front is GL's clockwise front (the culling tests pin this).
  glFrontFace(desc.FrontCounterClockwise ? GL_CCW : GL_CW);
  const bool bias = desc.DepthBias != 0 || desc.SlopeScaledDepthBias != 0.0f;
  Enable(GL_POLYGON_OFFSET_FILL, bias);
  Enable(GL_POLYGON_OFFSET_LINE, bias);
  if (bias) glPolygonOffset(desc.SlopeScaledDepthBias, static_cast<float>(desc.DepthBias));
  Enable(GL_DEPTH_CLAMP, !desc.DepthClipEnable);
  Enable(GL_SCISSOR_TEST, desc.ScissorEnable != 0);
  Enable(GL_LINE_SMOOTH, desc.AntialiasedLineEnable != 0);
}

void Device::ApplyDepthStencil() {
  const D3D10_DEPTH_STENCIL_DESC desc = depthStencil_ ? depthStencil_->desc : DefaultDepthStencilDesc();
  if (glDepthStencilSet_ && glStencilRef_ == stencilRef_ && SameDepthStencil(desc, glDepthStencil_)) return;
  glDepthStencil_ = desc;
  glStencilRef_ = stencilRef_;
  glDepthStencilSet_ = true;
  Enable(GL_DEPTH_TEST, desc.DepthEnable != 0);
  glDepthMask(desc.DepthWriteMask == D3D10_DEPTH_WRITE_MASK_ALL ? GL_TRUE : GL_FALSE);
  glDepthFunc(CompareFunc(desc.DepthFunc));
  Enable(GL_STENCIL_TEST, desc.StencilEnable != 0);
  const GLint ref = static_cast<GLint>(stencilRef_);
  glStencilFuncSeparate(GL_FRONT, CompareFunc(desc.FrontFace.StencilFunc), ref, desc.StencilReadMask);
  glStencilFuncSeparate(GL_BACK, CompareFunc(desc.BackFace.StencilFunc), ref, desc.StencilReadMask);
  glStencilOpSeparate(GL_FRONT, StencilOp(desc.FrontFace.StencilFailOp), StencilOp(desc.FrontFace.StencilDepthFailOp),
                      StencilOp(desc.FrontFace.StencilPassOp));
  glStencilOpSeparate(GL_BACK, StencilOp(desc.BackFace.StencilFailOp), StencilOp(desc.BackFace.StencilDepthFailOp),
                      StencilOp(desc.BackFace.StencilPassOp));
  glStencilMask(desc.StencilWriteMask);
}

void Device::ApplyBlend() {
  const D3D10_BLEND_DESC desc = blend_ ? blend_->desc : DefaultBlendDesc();
  // No padding between its fields either: BOOLs and enums, then the eight byte masks.
  if (glBlendSet_ && glSampleMask_ == sampleMask_ && std::equal(blendFactor_, blendFactor_ + 4, glBlendFactor_) &&
      std::memcmp(&desc, &glBlend_, sizeof desc) == 0) {
    return;
  }
  glBlend_ = desc;
  std::copy(blendFactor_, blendFactor_ + 4, glBlendFactor_);
  glSampleMask_ = sampleMask_;
  glBlendSet_ = true;
  for (GLuint i = 0; i < 8; ++i) {
    desc.BlendEnable[i] ? glEnablei(GL_BLEND, i) : glDisablei(GL_BLEND, i);
    const UINT8 mask = desc.RenderTargetWriteMask[i];
    glColorMaski(i, (mask & 1) != 0, (mask & 2) != 0, (mask & 4) != 0, (mask & 8) != 0);
  }
  glBlendFuncSeparate(BlendFactor(desc.SrcBlend), BlendFactor(desc.DestBlend), BlendFactor(desc.SrcBlendAlpha),
                      BlendFactor(desc.DestBlendAlpha));
  glBlendEquationSeparate(BlendOp(desc.BlendOp), BlendOp(desc.BlendOpAlpha));
  glBlendColor(blendFactor_[0], blendFactor_[1], blendFactor_[2], blendFactor_[3]);
  Enable(GL_SAMPLE_ALPHA_TO_COVERAGE, desc.AlphaToCoverageEnable != 0);
  Enable(GL_SAMPLE_MASK, sampleMask_ != 0xFFFFFFFFu);
  glSampleMaski(0, sampleMask_);
}

void Device::ApplyVertexArray() {
  GLuint vao = emptyVertexArray_;
  std::uint64_t vaoSerial = 0;
  std::uint64_t* elementBuffer = &emptyArrayElementBuffer_;
  if (layout_) {
    vao = layout_->vao;
    vaoSerial = layout_->serial;
    elementBuffer = &layout_->elementBuffer;
    for (UINT s : layout_->usedSlots) {
      InputLayout::Slot& slot = layout_->slots[s];
      const VertexBinding& binding = vertexBuffers_[s];
      const std::uint64_t serial = binding.buffer ? binding.buffer->serial : 0;
      if (slot.buffer == serial && slot.offset == binding.offset && slot.stride == binding.stride) continue;
      glVertexArrayVertexBuffer(vao, s, binding.buffer ? binding.buffer->name : 0, binding.offset,
                                static_cast<GLsizei>(binding.stride));
      slot.buffer = serial;
      slot.offset = binding.offset;
      slot.stride = binding.stride;
    }
  }
  const std::uint64_t indexSerial = indexBuffer_ ? indexBuffer_->serial : 0;
  if (*elementBuffer != indexSerial) {
    glVertexArrayElementBuffer(vao, indexBuffer_ ? indexBuffer_->name : 0);
    *elementBuffer = indexSerial;
  }
  if (boundVertexArray_ != vaoSerial) {
    glBindVertexArray(vao);
    boundVertexArray_ = vaoSerial;
  }
}

void Device::ApplyResources() {
  for (UINT stage = 0; stage < kStageCount; ++stage) {
    // Pixel slots are units 0..15, vertex 16..31, geometry 32..47 (see gl_program.h).
    const UINT base = stage == kPixel ? kPixelStageUnitBase : stage == kVertex ? kVertexStageUnitBase
                                                                               : kGeometryStageUnitBase;
    for (UINT slot = 0; slot < kSlots; ++slot) {
      const UINT unit = base + slot;
      ShaderResourceView* view = resources_[stage][slot];
      const std::uint64_t textureSerial = view ? view->serial : 0;
      if (boundTextures_[unit] != textureSerial) {
        glBindTextureUnit(unit, view ? view->view.glTexture : 0);
        boundTextures_[unit] = textureSerial;
      }
      SamplerState* sampler = samplers_[stage][slot];
      const std::uint64_t samplerSerial = sampler ? sampler->serial : 0;
      if (boundSamplers_[unit] != samplerSerial) {
        glBindSampler(unit, sampler ? sampler->name : 0);
        boundSamplers_[unit] = samplerSerial;
      }
      Buffer* buffer = constantBuffers_[stage][slot];
      const std::uint64_t bufferSerial = buffer ? buffer->serial : 0;
      if (boundUniformBuffers_[unit] != bufferSerial) {
        glBindBufferBase(GL_UNIFORM_BUFFER, unit, buffer ? buffer->name : 0);
        boundUniformBuffers_[unit] = bufferSerial;
      }
    }
  }
}

}  // namespace d3d
}  // namespace platform
