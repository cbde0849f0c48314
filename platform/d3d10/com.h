#pragma once

// The COM shape every device object shares: HRESULT codes, interface ids, IUnknown
// and the single reference-counting base all our objects derive from.

#include <atomic>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/api.h"
#include "platform/win32/types.h"

typedef std::int32_t HRESULT;
typedef std::uint32_t ULONG;
typedef float FLOAT;
typedef int INT;
typedef std::uint8_t UINT8;
typedef std::uint64_t UINT64;
typedef std::size_t SIZE_T;

#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT DXGI_ERROR_INVALID_CALL = static_cast<HRESULT>(0x887A0001u);
constexpr HRESULT DXGI_ERROR_NOT_FOUND = static_cast<HRESULT>(0x887A0002u);
constexpr HRESULT DXGI_ERROR_MORE_DATA = static_cast<HRESULT>(0x887A0003u);
constexpr HRESULT DXGI_ERROR_UNSUPPORTED = static_cast<HRESULT>(0x887A0004u);
constexpr HRESULT D3D10_ERROR_FILE_NOT_FOUND = static_cast<HRESULT>(0x88790002u);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);

struct GUID {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];
};
typedef GUID IID;
typedef const GUID& REFIID;
typedef const GUID& REFGUID;

inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

namespace platform {
// The id of interface T. Ours are private to this layer: code compares them, never
// stores them, so their values only need to be distinct.
template <class T>
struct InterfaceId;
}  // namespace platform

#define NEBLU_INTERFACE_ID(Interface, number)                           \
  namespace platform {                                                  \
  template <>                                                           \
  struct InterfaceId<Interface> {                                       \
    static const GUID& Get() {                                          \
      static const GUID id = {number, 0x4E42, 0x4C55, {0x4E, 0x45, 0x42, 0x4C, 0x55, 0, 0, 0}}; \
      return id;                                                        \
    }                                                                   \
  };                                                                    \
  }

// The MSVC spelling the engine's code uses: __uuidof(ID3D10Texture2D).
#define __uuidof(Interface) (::platform::InterfaceId<Interface>::Get())

struct IUnknown {
  using Parent = void;
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
NEBLU_INTERFACE_ID(IUnknown, 0x00000000)

namespace platform {

// Number of our COM objects alive in the process, for leak tests.
PLATFORM_API long LiveComObjects();

namespace detail {
PLATFORM_API void CountComObject(int delta);

template <class I>
bool ImplementsInterface(REFIID iid) {
  if (iid == InterfaceId<I>::Get()) return true;
  if constexpr (std::is_same<typename I::Parent, void>::value) {
    return false;
  } else {
    return ImplementsInterface<typename I::Parent>(iid);
  }
}
}  // namespace detail

// The one reference-counting base. Interface is the most derived interface the object
// implements; QueryInterface answers for it and every interface it derives from (each
// interface names its base as `Parent`). The last Release calls FinalRelease, which
// deletes the object unless a class needs more (the device waits for its children).
template <class Interface>
class ComObject : public Interface {
 public:
  ComObject() { detail::CountComObject(1); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (detail::ImplementsInterface<Interface>(iid)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    return QueryExtraInterface(iid, object);
  }
  ULONG AddRef() override { return refs_.fetch_add(1) + 1; }
  ULONG Release() override {
    ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) FinalRelease();
    return left;
  }

 protected:
  ~ComObject() override { detail::CountComObject(-1); }
  virtual void FinalRelease() { delete this; }
  // For objects that implement a second, unrelated interface.
  virtual HRESULT QueryExtraInterface(REFIID, void** object) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG RefCount() const { return refs_.load(); }

 private:
  std::atomic<ULONG> refs_{1};
};

// Releases and nulls a COM pointer if it is set.
template <class T>
void SafeRelease(T*& p) {
  if (p) {
    p->Release();
    p = nullptr;
  }
}

}  // namespace platform
