#include "platform/d3d10/recording.h"

#include <cstdio>
#include <map>
#include <sstream>

#include "platform/d3d10/formats.h"
#include "platform/d3d10/gl_program.h"
#include "platform/d3d10/report.h"

namespace platform {
namespace {

class RecordingDevice final : public ComObject<ID3D10Device>, public IGlslDevice, public ID3D10DeviceRecording {
 public:
  explicit RecordingDevice(ID3D10Device* inner) : inner_(inner) {
    if (inner_) {
      inner_->AddRef();
      inner_->QueryInterface(__uuidof(IGlslDevice), reinterpret_cast<void**>(&glsl_));
    }
  }
  ~RecordingDevice() override {
    if (glsl_) glsl_->Release();
    if (inner_) inner_->Release();
  }

  HRESULT QueryInterface(REFIID iid, void** object) override { return ComObject::QueryInterface(iid, object); }
  ULONG AddRef() override { return ComObject::AddRef(); }
  ULONG Release() override { return ComObject::Release(); }

  const std::vector<std::string>& Calls() override { return calls_; }
  void ClearCalls() override { calls_.clear(); }
  void Name(const void* object, const char* name) override { names_[object] = name ? name : "?"; }
  void KeepText(bool keep) override { keepText_ = keep; }
  std::size_t CallCount() const override { return count_; }

  // --- shader stages ---
  void VSSetConstantBuffers(UINT s, UINT n, ID3D10Buffer* const* b) override {
    Log("VSSetConstantBuffers", s, n, List(b, n));
    if (inner_) inner_->VSSetConstantBuffers(s, n, b);
  }
  void PSSetConstantBuffers(UINT s, UINT n, ID3D10Buffer* const* b) override {
    Log("PSSetConstantBuffers", s, n, List(b, n));
    if (inner_) inner_->PSSetConstantBuffers(s, n, b);
  }
  void GSSetConstantBuffers(UINT s, UINT n, ID3D10Buffer* const* b) override {
    Log("GSSetConstantBuffers", s, n, List(b, n));
    if (inner_) inner_->GSSetConstantBuffers(s, n, b);
  }
  void VSSetShaderResources(UINT s, UINT n, ID3D10ShaderResourceView* const* v) override {
    Log("VSSetShaderResources", s, n, List(v, n));
    if (inner_) inner_->VSSetShaderResources(s, n, v);
  }
  void PSSetShaderResources(UINT s, UINT n, ID3D10ShaderResourceView* const* v) override {
    Log("PSSetShaderResources", s, n, List(v, n));
    if (inner_) inner_->PSSetShaderResources(s, n, v);
  }
  void GSSetShaderResources(UINT s, UINT n, ID3D10ShaderResourceView* const* v) override {
    Log("GSSetShaderResources", s, n, List(v, n));
    if (inner_) inner_->GSSetShaderResources(s, n, v);
  }
  void VSSetSamplers(UINT s, UINT n, ID3D10SamplerState* const* v) override {
    Log("VSSetSamplers", s, n, List(v, n));
    if (inner_) inner_->VSSetSamplers(s, n, v);
  }
  void PSSetSamplers(UINT s, UINT n, ID3D10SamplerState* const* v) override {
    Log("PSSetSamplers", s, n, List(v, n));
    if (inner_) inner_->PSSetSamplers(s, n, v);
  }
  void GSSetSamplers(UINT s, UINT n, ID3D10SamplerState* const* v) override {
    Log("GSSetSamplers", s, n, List(v, n));
    if (inner_) inner_->GSSetSamplers(s, n, v);
  }

  // --- input assembly and draws ---
  void IASetInputLayout(ID3D10InputLayout* layout) override {
    Log("IASetInputLayout", Object(layout));
    if (inner_) inner_->IASetInputLayout(layout);
  }
  void IASetVertexBuffers(UINT s, UINT n, ID3D10Buffer* const* b, const UINT* strides, const UINT* offsets) override {
    Log("IASetVertexBuffers", s, n, List(b, n), Numbers(strides, n), Numbers(offsets, n));
    if (inner_) inner_->IASetVertexBuffers(s, n, b, strides, offsets);
  }
  void IASetIndexBuffer(ID3D10Buffer* buffer, DXGI_FORMAT format, UINT offset) override {
    Log("IASetIndexBuffer", Object(buffer), static_cast<unsigned>(format), offset);
    if (inner_) inner_->IASetIndexBuffer(buffer, format, offset);
  }
  void IASetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY topology) override {
    Log("IASetPrimitiveTopology", static_cast<int>(topology));
    if (inner_) inner_->IASetPrimitiveTopology(topology);
  }
  void IAGetInputLayout(ID3D10InputLayout** layout) override {
    Log("IAGetInputLayout");
    if (inner_) inner_->IAGetInputLayout(layout);
    else if (layout) *layout = nullptr;
  }
  void IAGetPrimitiveTopology(D3D10_PRIMITIVE_TOPOLOGY* topology) override {
    Log("IAGetPrimitiveTopology");
    if (inner_) inner_->IAGetPrimitiveTopology(topology);
    else if (topology) *topology = D3D10_PRIMITIVE_TOPOLOGY_UNDEFINED;
  }
  void Draw(UINT count, UINT start) override {
    Log("Draw", count, start);
    if (inner_) inner_->Draw(count, start);
  }
  void DrawInstanced(UINT count, UINT instances, UINT start, UINT startInstance) override {
    Log("DrawInstanced", count, instances, start, startInstance);
    if (inner_) inner_->DrawInstanced(count, instances, start, startInstance);
  }
  void DrawIndexed(UINT count, UINT start, INT base) override {
    Log("DrawIndexed", count, start, base);
    if (inner_) inner_->DrawIndexed(count, start, base);
  }
  void DrawIndexedInstanced(UINT count, UINT instances, UINT start, INT base, UINT startInstance) override {
    Log("DrawIndexedInstanced", count, instances, start, base, startInstance);
    if (inner_) inner_->DrawIndexedInstanced(count, instances, start, base, startInstance);
  }
  void DrawAuto() override {
    Log("DrawAuto");
    if (inner_) inner_->DrawAuto();
  }
  void SOSetTargets(UINT n, ID3D10Buffer* const* b, const UINT* offsets) override {
    Log("SOSetTargets", n, List(b, n), Numbers(offsets, n));
    if (inner_) inner_->SOSetTargets(n, b, offsets);
  }
  void SOGetTargets(UINT n, ID3D10Buffer** b, UINT* offsets) override {
    Log("SOGetTargets", n);
    if (inner_) {
      inner_->SOGetTargets(n, b, offsets);
      return;
    }
    for (UINT i = 0; i < n; ++i) {
      if (b) b[i] = nullptr;
      if (offsets) offsets[i] = 0;
    }
  }

  // --- rasterizer and output merger ---
  void RSSetViewports(UINT n, const D3D10_VIEWPORT* v) override {
    std::string list = "[";
    for (UINT i = 0; v && i < n; ++i) {
      list += (i ? ", (" : "(") + Join(v[i].TopLeftX, v[i].TopLeftY, v[i].Width, v[i].Height, v[i].MinDepth,
                                       v[i].MaxDepth) + ")";
    }
    Log("RSSetViewports", n, list + "]");
    if (inner_) inner_->RSSetViewports(n, v);
  }
  void RSGetViewports(UINT* n, D3D10_VIEWPORT* v) override {
    Log("RSGetViewports");
    if (inner_) inner_->RSGetViewports(n, v);
    else if (n) *n = 0;
  }
  void RSSetState(ID3D10RasterizerState* state) override {
    Log("RSSetState", Object(state));
    if (inner_) inner_->RSSetState(state);
  }
  void OMSetRenderTargets(UINT n, ID3D10RenderTargetView* const* views, ID3D10DepthStencilView* depth) override {
    Log("OMSetRenderTargets", n, List(views, n), Object(depth));
    if (inner_) inner_->OMSetRenderTargets(n, views, depth);
  }
  void OMGetRenderTargets(UINT n, ID3D10RenderTargetView** views, ID3D10DepthStencilView** depth) override {
    Log("OMGetRenderTargets", n);
    if (inner_) {
      inner_->OMGetRenderTargets(n, views, depth);
      return;
    }
    for (UINT i = 0; views && i < n; ++i) views[i] = nullptr;
    if (depth) *depth = nullptr;
  }
  void OMSetDepthStencilState(ID3D10DepthStencilState* state, UINT ref) override {
    Log("OMSetDepthStencilState", Object(state), ref);
    if (inner_) inner_->OMSetDepthStencilState(state, ref);
  }
  void OMSetBlendState(ID3D10BlendState* state, const FLOAT factor[4], UINT mask) override {
    Log("OMSetBlendState", Object(state), Color(factor), mask);
    if (inner_) inner_->OMSetBlendState(state, factor, mask);
  }
  void ClearRenderTargetView(ID3D10RenderTargetView* view, const FLOAT color[4]) override {
    Log("ClearRenderTargetView", Object(view), Color(color));
    if (inner_) inner_->ClearRenderTargetView(view, color);
  }
  void ClearDepthStencilView(ID3D10DepthStencilView* view, UINT flags, FLOAT depth, UINT8 stencil) override {
    Log("ClearDepthStencilView", Object(view), flags, depth, static_cast<unsigned>(stencil));
    if (inner_) inner_->ClearDepthStencilView(view, flags, depth, stencil);
  }
  void ClearState() override {
    Log("ClearState");
    if (inner_) inner_->ClearState();
  }
  void Flush() override {
    Log("Flush");
    if (inner_) inner_->Flush();
  }

  // --- resources ---
  void UpdateSubresource(ID3D10Resource* r, UINT sub, const D3D10_BOX* box, const void* data, UINT row,
                         UINT depth) override {
    Log("UpdateSubresource", Object(r), sub, box ? "box" : "null", row, depth);
    if (inner_) inner_->UpdateSubresource(r, sub, box, data, row, depth);
  }
  void ResolveSubresource(ID3D10Resource* d, UINT ds, ID3D10Resource* s, UINT ss, DXGI_FORMAT f) override {
    Log("ResolveSubresource", Object(d), ds, Object(s), ss, static_cast<unsigned>(f));
    if (inner_) inner_->ResolveSubresource(d, ds, s, ss, f);
  }
  void CopyResource(ID3D10Resource* d, ID3D10Resource* s) override {
    Log("CopyResource", Object(d), Object(s));
    if (inner_) inner_->CopyResource(d, s);
  }
  void GenerateMips(ID3D10ShaderResourceView* view) override {
    Log("GenerateMips", Object(view));
    if (inner_) inner_->GenerateMips(view);
  }

  HRESULT CreateBuffer(const D3D10_BUFFER_DESC* d, const D3D10_SUBRESOURCE_DATA* data, ID3D10Buffer** out) override {
    Log("CreateBuffer", d ? Join(d->ByteWidth, static_cast<int>(d->Usage), d->BindFlags) : "null");
    return Created(inner_ ? inner_->CreateBuffer(d, data, out) : NoInner("CreateBuffer"), out, "Buffer");
  }
  HRESULT CreateTexture2D(const D3D10_TEXTURE2D_DESC* d, const D3D10_SUBRESOURCE_DATA* data,
                          ID3D10Texture2D** out) override {
    Log("CreateTexture2D", d ? Join(d->Width, d->Height, d->MipLevels, d->ArraySize, GetFormatInfo(d->Format).name,
                                    d->SampleDesc.Count, d->BindFlags, d->MiscFlags)
                             : "null");
    return Created(inner_ ? inner_->CreateTexture2D(d, data, out) : NoInner("CreateTexture2D"), out, "Texture2D");
  }
  HRESULT CreateShaderResourceView(ID3D10Resource* r, const D3D10_SHADER_RESOURCE_VIEW_DESC* d,
                                   ID3D10ShaderResourceView** out) override {
    Log("CreateShaderResourceView", Object(r), d ? Join(GetFormatInfo(d->Format).name, static_cast<int>(d->ViewDimension)) : "null");
    return Created(inner_ ? inner_->CreateShaderResourceView(r, d, out) : NoInner("CreateShaderResourceView"), out,
                   "ShaderResourceView");
  }
  HRESULT CreateRenderTargetView(ID3D10Resource* r, const D3D10_RENDER_TARGET_VIEW_DESC* d,
                                 ID3D10RenderTargetView** out) override {
    Log("CreateRenderTargetView", Object(r), d ? Join(GetFormatInfo(d->Format).name, static_cast<int>(d->ViewDimension)) : "null");
    return Created(inner_ ? inner_->CreateRenderTargetView(r, d, out) : NoInner("CreateRenderTargetView"), out,
                   "RenderTargetView");
  }
  HRESULT CreateDepthStencilView(ID3D10Resource* r, const D3D10_DEPTH_STENCIL_VIEW_DESC* d,
                                 ID3D10DepthStencilView** out) override {
    Log("CreateDepthStencilView", Object(r), d ? Join(GetFormatInfo(d->Format).name, static_cast<int>(d->ViewDimension)) : "null");
    return Created(inner_ ? inner_->CreateDepthStencilView(r, d, out) : NoInner("CreateDepthStencilView"), out,
                   "DepthStencilView");
  }
  HRESULT CreateInputLayout(const D3D10_INPUT_ELEMENT_DESC* e, UINT n, const void* sig, SIZE_T size,
                            ID3D10InputLayout** out) override {
    std::string list = "[";
    for (UINT i = 0; e && i < n; ++i) {
      list += (i ? ", " : "") + std::string(e[i].SemanticName ? e[i].SemanticName : "?") +
              std::to_string(e[i].SemanticIndex) + ":" + GetFormatInfo(e[i].Format).name + "@" +
              std::to_string(e[i].InputSlot) + "+" + std::to_string(e[i].AlignedByteOffset);
    }
    Log("CreateInputLayout", list + "]", n);
    return Created(inner_ ? inner_->CreateInputLayout(e, n, sig, size, out) : NoInner("CreateInputLayout"), out,
                   "InputLayout");
  }
  HRESULT CreateBlendState(const D3D10_BLEND_DESC* d, ID3D10BlendState** out) override {
    Log("CreateBlendState");
    return Created(inner_ ? inner_->CreateBlendState(d, out) : NoInner("CreateBlendState"), out, "BlendState");
  }
  HRESULT CreateDepthStencilState(const D3D10_DEPTH_STENCIL_DESC* d, ID3D10DepthStencilState** out) override {
    Log("CreateDepthStencilState");
    return Created(inner_ ? inner_->CreateDepthStencilState(d, out) : NoInner("CreateDepthStencilState"), out,
                   "DepthStencilState");
  }
  HRESULT CreateRasterizerState(const D3D10_RASTERIZER_DESC* d, ID3D10RasterizerState** out) override {
    Log("CreateRasterizerState");
    return Created(inner_ ? inner_->CreateRasterizerState(d, out) : NoInner("CreateRasterizerState"), out,
                   "RasterizerState");
  }
  HRESULT CreateSamplerState(const D3D10_SAMPLER_DESC* d, ID3D10SamplerState** out) override {
    Log("CreateSamplerState");
    return Created(inner_ ? inner_->CreateSamplerState(d, out) : NoInner("CreateSamplerState"), out, "SamplerState");
  }
  HRESULT CheckMultisampleQualityLevels(DXGI_FORMAT format, UINT count, UINT* levels) override {
    Log("CheckMultisampleQualityLevels", GetFormatInfo(format).name, count);
    if (inner_) return inner_->CheckMultisampleQualityLevels(format, count, levels);
    if (levels) *levels = count == 1 ? 1 : 0;
    return S_OK;
  }

  HRESULT CreateGlslProgram(const char* vertex, const char* geometry, const char* pixel,
                            IGlslProgram** program) override {
    Log("CreateGlslProgram");
    return Created(glsl_ ? glsl_->CreateGlslProgram(vertex, geometry, pixel, program) : NoInner("CreateGlslProgram"),
                   program, "GlslProgram");
  }
  HRESULT CreateGlslProgramWithStreamOutput(const char* vertex, const char* geometry, const char* pixel,
                                            const char* const* varyings, UINT varyingCount,
                                            IGlslProgram** program) override {
    Log("CreateGlslProgramWithStreamOutput", varyingCount);
    return Created(glsl_ ? glsl_->CreateGlslProgramWithStreamOutput(vertex, geometry, pixel, varyings, varyingCount,
                                                                    program)
                         : NoInner("CreateGlslProgramWithStreamOutput"),
                   program, "GlslProgram");
  }
  void SetGlslProgram(IGlslProgram* program) override {
    Log("SetGlslProgram", Object(program));
    if (glsl_) glsl_->SetGlslProgram(program);
  }

 protected:
  HRESULT QueryExtraInterface(REFIID iid, void** object) override {
    if (iid == __uuidof(ID3D10DeviceRecording)) {
      *object = static_cast<ID3D10DeviceRecording*>(this);
    } else if (iid == __uuidof(IGlslDevice)) {
      *object = static_cast<IGlslDevice*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }

 private:
  static std::string Text(const std::string& s) { return s; }
  static std::string Text(const char* s) { return s; }
  static std::string Text(float v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(v));
    return buffer;
  }
  template <class T>
  static std::string Text(T v) {
    return std::to_string(v);
  }
  template <class... Args>
  std::string Join(const Args&... args) const {
    std::string out;
    if (!keepText_) return out;
    ((out += (out.empty() ? "" : ", ") + Text(args)), ...);
    return out;
  }
  template <class... Args>
  void Log(const char* call, const Args&... args) {
    ++count_;
    if (keepText_) calls_.push_back(std::string(call) + "(" + Join(args...) + ")");
  }

  std::string Object(const void* object) const {
    if (!keepText_) return std::string();
    if (!object) return "null";
    auto it = names_.find(object);
    return it == names_.end() ? "?" : it->second;
  }
  template <class T>
  std::string List(T* const* objects, UINT n) const {
    if (!keepText_) return std::string();
    std::string out = "[";
    for (UINT i = 0; i < n; ++i) out += (i ? ", " : "") + (objects ? Object(objects[i]) : std::string("null"));
    return out + "]";
  }
  std::string Numbers(const UINT* values, UINT n) const {
    if (!keepText_) return std::string();
    std::string out = "[";
    for (UINT i = 0; i < n; ++i) out += (i ? ", " : "") + (values ? std::to_string(values[i]) : std::string("0"));
    return out + "]";
  }
  std::string Color(const FLOAT* c) const {
    if (!keepText_) return std::string();
    return c ? "(" + Join(c[0], c[1], c[2], c[3]) + ")" : "null";
  }
  HRESULT NoInner(const char* call) {
    return Fail(E_FAIL, "%s: a recording device without an inner device creates nothing", call);
  }
  template <class T>
  HRESULT Created(HRESULT hr, T** out, const char* kind) {
    if (SUCCEEDED(hr) && out && *out && names_.find(*out) == names_.end()) {
      names_[*out] = std::string(kind) + "#" + std::to_string(++created_);
    }
    return hr;
  }

  ID3D10Device* inner_;
  IGlslDevice* glsl_ = nullptr;
  std::vector<std::string> calls_;
  std::map<const void*, std::string> names_;
  unsigned created_ = 0;
  std::size_t count_ = 0;
  bool keepText_ = true;
};

}  // namespace

HRESULT CreateRecordingDevice(ID3D10Device* inner, ID3D10Device** recording) {
  if (!recording) return Fail(E_INVALIDARG, "CreateRecordingDevice: the out pointer is null");
  *recording = new RecordingDevice(inner);
  return S_OK;
}

}  // namespace platform
