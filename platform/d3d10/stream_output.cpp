// Stream output on GL transform feedback.
//
// The API keeps, per buffer, how much stream output has written, so that a later draw
// appends and DrawAuto draws exactly what was written. GL counts what a capture wrote
// in a query; reading it waits for the GPU, so the count stays a query until something
// needs the number: appending a second capture, or DrawAuto from a buffer whose data
// does not start at 0. DrawAuto from a buffer one capture filled from its start draws
// through the buffer's transform feedback object and never waits.

#include <algorithm>
#include <cstdint>

#include "platform/d3d10/device.h"
#include "platform/d3d10/program.h"
#include "platform/d3d10/report.h"

namespace platform {
namespace d3d {
namespace {

// What transform feedback counts a draw of `topology` as, when no geometry stage says.
GLenum CapturedPrimitive(D3D10_PRIMITIVE_TOPOLOGY topology) {
  switch (PrimitiveMode(topology)) {
    case GL_LINES: case GL_LINE_STRIP: case GL_LINES_ADJACENCY: case GL_LINE_STRIP_ADJACENCY:
      return GL_LINES;
    case GL_TRIANGLES: case GL_TRIANGLE_STRIP: case GL_TRIANGLES_ADJACENCY: case GL_TRIANGLE_STRIP_ADJACENCY:
      return GL_TRIANGLES;
    default:
      return GL_POINTS;
  }
}

UINT VerticesOf(GLenum captured) { return captured == GL_POINTS ? 1 : captured == GL_LINES ? 2 : 3; }

bool TestsDepthOrStencil(const DepthStencilState* state) {
  // No state object means the API's defaults, which test depth.
  return !state || state->desc.DepthEnable || state->desc.StencilEnable;
}

}  // namespace

void Device::ResolveFill(Buffer* buffer) {
  Buffer::StreamFill& fill = buffer->streamFill;
  if (!fill.pending || !MakeCurrent()) return;
  GLuint primitives = 0;
  glGetQueryObjectuiv(fill.counter->counterQuery, GL_QUERY_RESULT, &primitives);
  const std::uint64_t end = fill.fillStart + std::uint64_t{primitives} * fill.bytesPerPrimitive;
  fill.fillEnd = static_cast<UINT>(std::min<std::uint64_t>(end, buffer->Desc().ByteWidth));
  fill.pending = false;
  fill.counter = nullptr;
}

void Device::SOSetTargets(UINT count, ID3D10Buffer* const* targets, const UINT* offsets) {
  if (count > D3D10_SO_BUFFER_SLOT_COUNT) {
    Report("SOSetTargets: %u buffers given; stream output has %u slots", count, D3D10_SO_BUFFER_SLOT_COUNT);
    count = D3D10_SO_BUFFER_SLOT_COUNT;
  }
  UnbindStreamTargets();
  for (UINT i = 0; i < count; ++i) {
    Buffer* buffer = targets ? Ours<Buffer>(this, targets[i], "SOSetTargets") : nullptr;
    if (buffer && !(buffer->Desc().BindFlags & D3D10_BIND_STREAM_OUTPUT)) {
      Report("SOSetTargets: the buffer in slot %u was not created with D3D10_BIND_STREAM_OUTPUT", i);
      buffer = nullptr;
    }
    const UINT offset = offsets ? offsets[i] : 0;
    if (buffer && offset != ~0u && offset % 4 != 0) {
      Report("SOSetTargets: the offset %u of slot %u is not a multiple of 4", offset, i);
      buffer = nullptr;
    }
    Rebind(streamTargets_[i].buffer, buffer);
    streamTargets_[i].offset = offset;
    streamTargets_[i].append = offset == ~0u;
  }
}

void Device::UnbindStreamTargets() {
  // A count kept in another buffer's query is read while that buffer is still held.
  for (StreamTarget& target : streamTargets_) {
    if (target.buffer && target.buffer->streamFill.counter != target.buffer) ResolveFill(target.buffer);
  }
  for (StreamTarget& target : streamTargets_) {
    Rebind(target.buffer, static_cast<Buffer*>(nullptr));
    target = StreamTarget();
  }
}

void Device::SOGetTargets(UINT count, ID3D10Buffer** targets, UINT* offsets) {
  for (UINT i = 0; i < count; ++i) {
    Buffer* buffer = i < D3D10_SO_BUFFER_SLOT_COUNT ? streamTargets_[i].buffer : nullptr;
    if (targets) {
      targets[i] = buffer;
      if (buffer) buffer->AddRef();
    }
    if (offsets) offsets[i] = buffer ? streamTargets_[i].offset : 0;
  }
}

void Device::BeginStreamOut() {
  if (!program_->streamsOut) return;
  if (!program_->hasPixelStage && !(depthTarget_ && TestsDepthOrStencil(depthStencil_))) {
    glEnable(GL_RASTERIZER_DISCARD);
    discarding_ = true;
  }
  Buffer* first = nullptr;
  for (UINT i = 0; i < D3D10_SO_BUFFER_SLOT_COUNT; ++i) {
    Buffer* buffer = streamTargets_[i].buffer;
    if (program_->feedbackStrides[i] && !buffer) {
      // GL cannot capture with a buffer missing; the API drops what goes to an empty slot.
      if (!streamWarningShown_ && first)
        Report("stream output: the program writes to slot %u, which has no buffer; nothing is captured", i);
      streamWarningShown_ = streamWarningShown_ || first;
      return;
    }
    if (!first) first = buffer;
  }
  if (!first) return;
  const GLenum captured = program_->feedbackMode ? program_->feedbackMode : CapturedPrimitive(topology_);
  // Where each buffer's capture starts, and whether any has room left at all (GL binds
  // no empty range; the API writes nothing to any buffer once one is full).
  UINT starts[D3D10_SO_BUFFER_SLOT_COUNT] = {};
  bool room = true;
  for (UINT i = 0; i < D3D10_SO_BUFFER_SLOT_COUNT; ++i) {
    StreamTarget& target = streamTargets_[i];
    if (!target.buffer) continue;
    if (target.append) ResolveFill(target.buffer);
    const UINT width = target.buffer->Desc().ByteWidth;
    starts[i] = std::min(target.append ? target.buffer->streamFill.fillEnd : target.offset, width);
    room = room && starts[i] < width;
  }
  if (!first->feedback) {
    glCreateTransformFeedbacks(1, &first->feedback);
    CountGlObjects(1);
  }
  if (!first->counterQuery) {
    glCreateQueries(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, 1, &first->counterQuery);
    CountGlObjects(1);
  }
  for (UINT i = 0; i < D3D10_SO_BUFFER_SLOT_COUNT; ++i) {
    StreamTarget& target = streamTargets_[i];
    if (!target.buffer) continue;
    target.append = true;  // later draws continue where this one stops
    Buffer::StreamFill& fill = target.buffer->streamFill;
    fill = Buffer::StreamFill();
    fill.fillEnd = starts[i];
    if (!room) continue;
    fill.pending = true;
    fill.counter = first;
    fill.fillStart = starts[i];
    fill.bytesPerPrimitive = VerticesOf(captured) * program_->feedbackStrides[i];
    fill.mode = captured;
    glTransformFeedbackBufferRange(first->feedback, i, target.buffer->name, starts[i],
                                   target.buffer->Desc().ByteWidth - starts[i]);
  }
  if (!room) return;
  glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, first->feedback);
  glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, first->counterQuery);
  glBeginTransformFeedback(captured);
  capturing_ = true;
}

void Device::EndStreamOut() {
  if (capturing_) {
    glEndTransformFeedback();
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, 0);
    capturing_ = false;
  }
  if (discarding_) {
    glDisable(GL_RASTERIZER_DISCARD);
    discarding_ = false;
  }
}

void Device::DrawAuto() {
  const char* call = "ID3D10Device::DrawAuto";
  const VertexBinding& slot = vertexBuffers_[0];
  Buffer* buffer = slot.buffer;
  if (!buffer || !(buffer->Desc().BindFlags & D3D10_BIND_STREAM_OUTPUT) || slot.stride == 0) {
    Report("%s: vertex buffer slot 0 needs a stream output buffer and a stride", call);
    return;
  }
  if (!PrepareDraw(call)) return;
  BeginStreamOut();
  const Buffer::StreamFill& fill = buffer->streamFill;
  const GLenum mode = PrimitiveMode(topology_);
  if (fill.pending && fill.counter == buffer && fill.fillStart == 0 && slot.offset == 0 &&
      fill.bytesPerPrimitive == VerticesOf(fill.mode) * slot.stride) {
    glDrawTransformFeedback(mode, buffer->feedback);
  } else {
    ResolveFill(buffer);
    const UINT vertices = fill.fillEnd > slot.offset ? (fill.fillEnd - slot.offset) / slot.stride : 0;
    if (vertices) glDrawArrays(mode, 0, static_cast<GLsizei>(vertices));
  }
  EndStreamOut();
}

}  // namespace d3d
}  // namespace platform
