#include <cstring>

#include "platform/effect/layout.h"
#include "platform/effect/objects.h"

namespace platform::fx {

Variable::~Variable() {
  for (ID3D10ShaderResourceView*& v : views) SafeRelease(v);
  SafeRelease(sampler);
  SafeRelease(blend);
  SafeRelease(depthStencil);
  SafeRelease(rasterizer);
}

std::vector<std::unique_ptr<Variable>> MakeAnnotations(const std::vector<Annotation>& list, Variable* invalid) {
  std::vector<std::unique_ptr<Variable>> result;
  for (const Annotation& a : list) {
    auto v = std::make_unique<Variable>(invalid);
    v->valid = true;
    v->annotation = true;
    v->name = a.name;
    v->type = a.value.type;
    v->text = a.value.text;
    v->constant.resize(a.value.data.size() * 4);
    if (!a.value.data.empty()) std::memcpy(v->constant.data(), a.value.data.data(), v->constant.size());
    v->size = static_cast<std::uint32_t>(v->constant.size());
    result.push_back(std::move(v));
  }
  return result;
}

HRESULT Variable::GetDesc(D3D10_EFFECT_VARIABLE_DESC* desc) {
  if (!valid || !desc) return E_FAIL;
  desc->Name = name.c_str();
  desc->Semantic = semantic.empty() ? nullptr : semantic.c_str();
  desc->Flags = (pooled ? D3D10_EFFECT_VARIABLE_POOLED : 0) | (annotation ? D3D10_EFFECT_VARIABLE_ANNOTATION : 0);
  desc->Annotations = static_cast<UINT>(annotations.size());
  desc->BufferOffset = offset;
  desc->ExplicitBindPoint = 0;
  return S_OK;
}

ID3D10EffectVariable* Variable::GetAnnotationByIndex(UINT index) {
  if (index < annotations.size()) return annotations[index].get();
  return invalid;
}

ID3D10EffectVariable* Variable::GetAnnotationByName(LPCSTR n) {
  for (auto& a : annotations)
    if (n && a->name == n) return a.get();
  return invalid;
}

ID3D10EffectScalarVariable* Variable::AsScalar() {
  return valid && type.IsNumeric() && type.cls != TypeClass::Struct ? this : invalid;
}
ID3D10EffectVectorVariable* Variable::AsVector() {
  return valid && (type.cls == TypeClass::Vector || type.cls == TypeClass::Scalar) ? this : invalid;
}
ID3D10EffectMatrixVariable* Variable::AsMatrix() { return valid && type.cls == TypeClass::Matrix ? this : invalid; }
ID3D10EffectStringVariable* Variable::AsString() {
  return valid && type.object == ObjectType::String ? this : invalid;
}
ID3D10EffectShaderResourceVariable* Variable::AsShaderResource() {
  return valid && type.IsTexture() ? this : invalid;
}

std::uint8_t* Variable::Bytes(UINT at, UINT count) {
  if (!Numeric() || at > size || count > size - at) return nullptr;
  return image->bytes.data() + offset + at;
}

HRESULT Variable::SetRawValue(const void* data, UINT at, UINT count) {
  std::uint8_t* dst = Bytes(at, count);
  if (!dst || (!data && count)) return E_INVALIDARG;
  if (count) std::memcpy(dst, data, count);
  image->Touch();
  return S_OK;
}

HRESULT Variable::GetRawValue(void* data, UINT at, UINT count) {
  if (annotation) {
    if (at > constant.size() || count > constant.size() - at || (!data && count)) return E_INVALIDARG;
    if (count) std::memcpy(data, constant.data() + at, count);
    return S_OK;
  }
  std::uint8_t* src = Bytes(at, count);
  if (!src || (!data && count)) return E_INVALIDARG;
  if (count) std::memcpy(data, src, count);
  return S_OK;
}

HRESULT Variable::SetFloat(float value) {
  if (type.scalar != ScalarType::Float) return SetInt(static_cast<int>(value));
  return SetRawValue(&value, 0, 4);
}
HRESULT Variable::GetFloat(float* value) {
  if (annotation || type.scalar == ScalarType::Float) return GetRawValue(value, 0, 4);
  int i = 0;
  HRESULT hr = GetRawValue(&i, 0, 4);
  *value = static_cast<float>(i);
  return hr;
}
HRESULT Variable::SetInt(int value) {
  if (type.scalar == ScalarType::Float) return SetFloat(static_cast<float>(value));
  if (type.scalar == ScalarType::Bool) value = value != 0;
  return SetRawValue(&value, 0, 4);
}
HRESULT Variable::GetInt(int* value) { return GetRawValue(value, 0, 4); }
HRESULT Variable::SetBool(BOOL value) { return SetInt(value ? 1 : 0); }
HRESULT Variable::GetBool(BOOL* value) { return GetRawValue(value, 0, 4); }

HRESULT Variable::SetFloatVector(const float* value) {
  if (!value) return E_INVALIDARG;
  return SetRawValue(value, 0, 4u * static_cast<UINT>(type.cols));
}
HRESULT Variable::GetFloatVector(float* value) { return GetRawValue(value, 0, 4u * static_cast<UINT>(type.cols)); }
HRESULT Variable::SetIntVector(const int* value) {
  if (!value) return E_INVALIDARG;
  return SetRawValue(value, 0, 4u * static_cast<UINT>(type.cols));
}

// Element (r, c) of a matrix: column_major keeps one column per register, row_major one row.
static std::uint32_t MatrixOffset(const Type& t, int r, int c) {
  return t.rowMajor ? static_cast<std::uint32_t>(r * 16 + c * 4) : static_cast<std::uint32_t>(c * 16 + r * 4);
}

HRESULT Variable::SetMatrix(const float* m) {
  if (!m || type.cls != TypeClass::Matrix) return E_INVALIDARG;
  std::uint8_t* dst = Bytes(0, 0);
  if (!dst) return E_INVALIDARG;
  for (int r = 0; r < type.rows; ++r)
    for (int c = 0; c < type.cols; ++c) std::memcpy(dst + MatrixOffset(type, r, c), &m[r * 4 + c], 4);
  image->Touch();
  return S_OK;
}

HRESULT Variable::GetMatrix(float* m) {
  if (!m || type.cls != TypeClass::Matrix) return E_INVALIDARG;
  std::uint8_t* src = Bytes(0, 0);
  if (!src) return E_INVALIDARG;
  for (int i = 0; i < 16; ++i) m[i] = 0.0f;
  for (int r = 0; r < type.rows; ++r)
    for (int c = 0; c < type.cols; ++c) std::memcpy(&m[r * 4 + c], src + MatrixOffset(type, r, c), 4);
  return S_OK;
}

HRESULT Variable::SetMatrixTranspose(const float* m) {
  if (!m) return E_INVALIDARG;
  float t[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) t[r * 4 + c] = m[c * 4 + r];
  return SetMatrix(t);
}

HRESULT Variable::GetString(LPCSTR* value) {
  if (!valid || type.object != ObjectType::String || !value) return E_FAIL;
  *value = text.c_str();
  return S_OK;
}

HRESULT Variable::SetResource(ID3D10ShaderResourceView* view) { return SetResourceArray(&view, 0, 1); }

HRESULT Variable::GetResource(ID3D10ShaderResourceView** view) {
  if (!valid || !type.IsTexture() || !view || views.empty()) return E_FAIL;
  *view = views[0];
  if (*view) (*view)->AddRef();
  return S_OK;
}

HRESULT Variable::SetResourceArray(ID3D10ShaderResourceView** list, UINT at, UINT count) {
  if (!valid || !type.IsTexture() || (!list && count)) return E_INVALIDARG;
  if (at > views.size() || count > views.size() - at) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) {
    ID3D10ShaderResourceView*& slot = views[at + i];
    if (list[i]) list[i]->AddRef();
    SafeRelease(slot);
    slot = list[i];
  }
  return S_OK;
}

namespace {

// Writes the numbers of a value of `type` at `base`, from data[k] on; a struct's fields at
// their places, element by element. Stops where the data ends.
void WriteValue(const Type& type, std::uint8_t* base, const std::vector<std::uint32_t>& data, std::size_t& k) {
  const int elements = std::max(1, type.elements);
  const std::uint32_t stride = ElementStride(type);
  const std::vector<Placement> fields = type.cls == TypeClass::Struct ? LayoutStruct(type) : std::vector<Placement>();
  for (int e = 0; e < elements; ++e) {
    std::uint8_t* element = base + static_cast<std::uint32_t>(e) * stride;
    if (type.cls == TypeClass::Struct) {
      for (std::size_t f = 0; f < type.fields.size() && f < fields.size(); ++f)
        WriteValue(type.fields[f].type, element + fields[f].offset, data, k);
      continue;
    }
    for (int r = 0; r < type.rows; ++r)
      for (int c = 0; c < type.cols; ++c) {
        if (k >= data.size()) return;
        std::uint32_t at = type.cls == TypeClass::Matrix ? MatrixOffset(type, r, c) : static_cast<std::uint32_t>(c * 4);
        std::memcpy(element + at, &data[k++], 4);
      }
  }
}

}  // namespace

void Variable::WriteInitial(const std::vector<std::uint32_t>& data) {
  if (!Numeric()) return;
  std::size_t k = 0;
  WriteValue(type, image->bytes.data() + offset, data, k);
  image->Touch();
}

}  // namespace platform::fx
