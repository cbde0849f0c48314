#pragma once

// What the plain-GL baselines share: the program an effect pass drew with, the uniform
// blocks it reads, the per-draw block write, and a way to hand GL back to the device as
// it was. Only benchmarks include this; they are the one place outside platform/ that
// speaks GL, because measuring against GL needs GL.

#include <epoxy/gl.h>

#include <vector>

namespace bench {

// The device binds a pass's program lazily, at the first draw after Apply, so ask after
// that draw.
inline GLuint CurrentProgram() {
  GLint program = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &program);
  return static_cast<GLuint>(program);
}

struct UniformBlock {
  GLuint binding;
  GLint size;  // bytes the program reads
};

inline std::vector<UniformBlock> UniformBlocks(GLuint program) {
  GLint count = 0;
  glGetProgramiv(program, GL_ACTIVE_UNIFORM_BLOCKS, &count);
  std::vector<UniformBlock> blocks;
  for (GLint b = 0; b < count; ++b) {
    GLint binding = 0, size = 0;
    glGetActiveUniformBlockiv(program, static_cast<GLuint>(b), GL_UNIFORM_BLOCK_BINDING, &binding);
    glGetActiveUniformBlockiv(program, static_cast<GLuint>(b), GL_UNIFORM_BLOCK_DATA_SIZE, &size);
    blocks.push_back({static_cast<GLuint>(binding), size});
  }
  return blocks;
}

// Uniforms outside any block: a baseline that only writes blocks cannot feed them.
inline int LooseUniforms(GLuint program) {
  GLint count = 0;
  glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
  int loose = 0;
  for (GLuint u = 0; u < static_cast<GLuint>(count); ++u) {
    GLint block = -1;
    glGetActiveUniformsiv(program, 1, &u, GL_UNIFORM_BLOCK_INDEX, &block);
    if (block < 0) ++loose;
  }
  return loose;
}

// One draw's constants, the way a hand-written GL renderer passes them: rewrite the
// block's buffer, bind it.
inline void WriteUniformBlock(GLuint buffer, GLuint binding, const void* data, GLsizeiptr size) {
  glNamedBufferSubData(buffer, 0, size, data);
  glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer);
}

// The device remembers what it bound (program, vertex array, uniform buffers) and skips
// calls that would not change it, so GL issued beside it must put those back before the
// device draws again.
class SavedBindings {
 public:
  explicit SavedBindings(const std::vector<GLuint>& uniformBindings) {
    glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
    for (GLuint binding : uniformBindings) {
      GLint buffer = 0;
      glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, binding, &buffer);
      uniformBuffers_.push_back({binding, static_cast<GLuint>(buffer)});
    }
  }
  void Restore() const {
    glUseProgram(static_cast<GLuint>(program_));
    glBindVertexArray(static_cast<GLuint>(vertexArray_));
    for (const auto& b : uniformBuffers_) glBindBufferBase(GL_UNIFORM_BUFFER, b.binding, b.buffer);
  }

 private:
  struct Bound {
    GLuint binding, buffer;
  };
  GLint program_ = 0;
  GLint vertexArray_ = 0;
  std::vector<Bound> uniformBuffers_;
};

}  // namespace bench
