#pragma once

// How the graphics layer tells people why a call failed: one line on standard error
// with the `platform:` prefix, since the engine's calls pass no error blob.

#include "platform/d3d10/com.h"

namespace platform {

// printf-style; writes "platform: <text>\n". Returns `code` so failures read
// `return Fail(E_INVALIDARG, "CreateBuffer: ByteWidth is 0");`.
HRESULT Fail(HRESULT code, const char* format, ...) __attribute__((format(printf, 2, 3)));
void Report(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "<call>: not implemented", once per call name for the life of the process.
HRESULT NotImplemented(const char* call);

}  // namespace platform
