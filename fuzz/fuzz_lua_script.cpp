// Feeds arbitrary bytes to the script host as a data file, then reads globals the way
// the resource and material loaders do. Anything but an engine error is a bug.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/luaWrapper.h"

using engine::core::LuaList;
using engine::core::LuaScript;
using engine::core::LuaValue;

namespace {

void Walk(LuaScript& script, LuaValue value, int depth) {
  value.ToString();
  value.ToNumber();
  if (depth == 0) return;
  Walk(script, value["name"], depth - 1);
  script.Pop();
  for (LuaList list(value); list.HasNext();) {
    Walk(script, list.Next(), depth - 1);
    script.Pop();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  engine::core::SetLoggingSwitch(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  char path[] = "/tmp/neblu-fuzz-lua-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    try {
      LuaScript script(path);
      for (const char* global : {"resources", "alternatives", "passes", "template", "x"}) {
        Walk(script, script.GetGlobal(global), 3);
        script.Pop();
      }
    } catch (const engine::core::Exception&) {
    }
  }
  unlink(path);
  return 0;
}
