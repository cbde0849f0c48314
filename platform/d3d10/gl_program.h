#pragma once

// GLSL programs as device objects. The API's shader objects take compiled bytecode,
// which means nothing to GL; the layer's effect code and the GL tests draw with GLSL
// programs instead, created and bound through this extension of the device:
//
//   IGlslDevice* glsl = nullptr;
//   device->QueryInterface(__uuidof(IGlslDevice), reinterpret_cast<void**>(&glsl));
//   glsl->CreateGlslProgram(vertexSource, nullptr, pixelSource, &program);
//   glsl->SetGlslProgram(program);
//   glsl->Release();
//
// Binding conventions, since GL has one set of units for all stages: shader resource
// and sampler slot s of the pixel stage is texture unit s, of the vertex stage unit
// 16 + s, of the geometry stage 32 + s; constant buffer slot s is uniform block binding
// s (pixel), 16 + s (vertex), 32 + s (geometry). Programs use layout(binding = ...)
// accordingly.

#include <string>

#include "platform/d3d10.h"

struct IGlslProgram : ID3D10DeviceChild {
  using Parent = ID3D10DeviceChild;
  // The program's vertex inputs as an input signature (platform/d3d10/input_signature.h),
  // for CreateInputLayout. An input is named by its semantic: "POSITION" or
  // "TEXCOORD1" (trailing digits are the semantic index); an "in_" prefix is ignored.
  virtual void GetInputSignature(const void** data, SIZE_T* size) = 0;
  virtual UINT GetGlName() = 0;
};

struct IGlslDevice : IUnknown {
  using Parent = IUnknown;
  // geometry may be null. Compile and link errors go to standard error with the
  // stage's info log and fail with E_FAIL.
  virtual HRESULT CreateGlslProgram(const char* vertex, const char* geometry, const char* pixel,
                                    IGlslProgram** program) = 0;
  // A program whose last vertex stage writes into the stream output targets as well:
  // `varyings` names what is captured, buffer after buffer, interleaved within a buffer
  // ("gl_NextBuffer" moves to the next buffer, "gl_SkipComponents1".."4" leaves a gap),
  // as glTransformFeedbackVaryings takes them. pixel may be null: the draws then reach
  // the rasterizer only where a depth-stencil target tests depth or stencil.
  virtual HRESULT CreateGlslProgramWithStreamOutput(const char* vertex, const char* geometry, const char* pixel,
                                                    const char* const* varyings, UINT varyingCount,
                                                    IGlslProgram** program) = 0;
  // The program the following draws use; null draws nothing.
  virtual void SetGlslProgram(IGlslProgram* program) = 0;
};

NEBLU_INTERFACE_ID(IGlslProgram, 0x00000301)
NEBLU_INTERFACE_ID(IGlslDevice, 0x00000302)

namespace platform {

// Stage offsets of the binding conventions above.
constexpr UINT kPixelStageUnitBase = 0;
constexpr UINT kVertexStageUnitBase = 16;
constexpr UINT kGeometryStageUnitBase = 32;

// Live GL names this layer created and has not deleted yet, over all devices.
PLATFORM_API long LiveGlObjects();

}  // namespace platform

namespace platform {

// The GL name behind a buffer, texture or GLSL program of this layer (0 for anything
// else), for code that must speak GL beside the device: the window layer's surfaces
// and the benchmark that measures the device against plain GL.
PLATFORM_API UINT GlNameOf(IUnknown* object);

}  // namespace platform
