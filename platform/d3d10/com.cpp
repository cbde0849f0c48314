#include "platform/d3d10/com.h"

namespace platform {
namespace {
std::atomic<long> liveObjects{0};
}  // namespace

long LiveComObjects() { return liveObjects.load(); }

namespace detail {
void CountComObject(int delta) { liveObjects += delta; }
}  // namespace detail

}  // namespace platform
