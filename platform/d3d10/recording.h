#pragma once

// A recording device: wraps a device (or nothing) and writes down every call with its
// arguments, in order, so renderer tests can assert call sequences without pixels.
//
//   ID3D10Device* recording = nullptr;
//   platform::CreateRecordingDevice(inner /* or nullptr */, &recording);
//   ID3D10DeviceRecording* log = nullptr;
//   recording->QueryInterface(__uuidof(ID3D10DeviceRecording), reinterpret_cast<void**>(&log));
//   log->Name(backBufferView, "backbuffer");
//   ... renderer draws through `recording` ...
//   log->Calls() == {"OMSetRenderTargets(1, [backbuffer], null)", "DrawIndexed(36, 0, 0)", ...}
//
// Objects appear by the name given with Name(), else by kind and creation order
// through the recorder ("Buffer#1", "RenderTargetView#2"), else as "?". Floats print
// in %g. With an inner device every call is also carried out; without one, setters
// and draws are only recorded (the objects passed are never touched, so tests may
// pass any distinct pointers), and creation calls fail.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/d3d10.h"

struct ID3D10DeviceRecording : IUnknown {
  using Parent = IUnknown;
  virtual const std::vector<std::string>& Calls() = 0;
  virtual void ClearCalls() = 0;
  // Names an object in the log; the recorder keeps no reference.
  virtual void Name(const void* object, const char* name) = 0;
  // With false, calls are only counted, not written down: what a benchmark of the
  // caller's own cost wants, since formatting each call costs more than most calls.
  virtual void KeepText(bool keep) = 0;
  // Every call since the device was made, written down or not.
  virtual std::size_t CallCount() const = 0;
};

NEBLU_INTERFACE_ID(ID3D10DeviceRecording, 0x00000401)

namespace platform {
PLATFORM_API HRESULT CreateRecordingDevice(ID3D10Device* inner, ID3D10Device** recording);
}  // namespace platform
