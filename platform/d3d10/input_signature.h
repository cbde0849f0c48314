#pragma once

// The input signature of a vertex program in this layer's own encoding: the bytes an
// effect pass reports as its input signature and CreateInputLayout checks input
// elements against. Each entry is one vertex input: its semantic (name and index),
// the attribute location the GL program reads it from, and how it is read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/api.h"

namespace platform {

enum class InputComponent : std::uint32_t { Float = 0, Int = 1, Uint = 2 };

struct InputSignatureElement {
  std::string semanticName;   // matched without regard to case, as HLSL semantics are
  std::uint32_t semanticIndex = 0;
  std::uint32_t location = 0;  // GL attribute location
  InputComponent component = InputComponent::Float;
  std::uint32_t componentCount = 4;
};

PLATFORM_API std::vector<std::uint8_t> EncodeInputSignature(const std::vector<InputSignatureElement>& elements);

// False, with the reason in *error, for bytes that are not a signature of ours.
PLATFORM_API bool DecodeInputSignature(const void* data, std::size_t size, std::vector<InputSignatureElement>* elements,
                                       std::string* error);

}  // namespace platform
