#include "engine/core/luaWrapper.h"

#include <cerrno>
#include <cmath>
#include <limits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <boost/filesystem.hpp>
#include <lua.hpp>

#include "engine/core/logging.h"
#include "platform/paths.h"

namespace engine {
namespace core {

namespace {

constexpr int kHookInterval = 100000;

// Counts every byte the state holds so a script cannot exhaust the machine's memory;
// a refused allocation becomes an ordinary Lua memory error.
void* CappedAlloc(void* ud, void* ptr, size_t oldSize, size_t newSize) {
  size_t& allocated = *static_cast<size_t*>(ud);
  if (newSize == 0) {
    std::free(ptr);
    allocated -= oldSize;
    return nullptr;
  }
  if (newSize > oldSize && newSize - oldSize > LuaScript::kMemoryLimit - allocated) return nullptr;
  void* block = std::realloc(ptr, newSize);
  if (block) allocated = allocated - oldSize + newSize;
  return block;
}

// Called every kHookInterval instructions: a data file that loops forever is an error,
// not a hang.
void InstructionBudget(lua_State* L, lua_Debug* /*ar*/) {
  lua_getfield(L, LUA_REGISTRYINDEX, "neblu.instructions");
  const lua_Number used = lua_tonumber(L, -1) + kHookInterval;
  lua_pop(L, 1);
  if (used > LuaScript::kInstructionLimit) {
    lua_pushstring(L, "script ran too long (instruction limit reached)");
    lua_error(L);
  }
  lua_pushnumber(L, used);
  lua_setfield(L, LUA_REGISTRYINDEX, "neblu.instructions");
}

// Streams a file into lua_load in blocks, so the chunk name can be the name the engine
// was given ("data\\startup.resources") rather than the translated path that
// luaL_loadfile would put into every message.
struct FileReader {
  std::FILE* file;
  char block[4096];
};

const char* ReadBlock(lua_State* /*L*/, void* data, size_t* size) {
  FileReader& reader = *static_cast<FileReader*>(data);
  *size = std::fread(reader.block, 1, sizeof reader.block, reader.file);
  return *size > 0 ? reader.block : nullptr;
}

// luaL_loadfile's contract with the given name as chunk name: a first line starting with
// '#' is skipped, and a failure to open says "cannot open NAME: reason". Precompiled
// chunks are refused: the 5.1 loader does not verify bytecode, so a damaged one could
// crash the process, and every engine script is source text.
int LoadChunk(lua_State* L, const std::string& file) {
  const std::string chunkName = "@" + file;
  FileReader reader;
  const std::string native = platform::NativePath(file);
  // A folder or a FIFO is no script: the first would fail to read, the second would block.
  if (!platform::IsRegularFile(native)) {
    boost::system::error_code ignored;
    const bool exists = boost::filesystem::exists(native, ignored);
    lua_pushfstring(L, "cannot open %s: %s", file.c_str(),
                    exists ? "not a regular file" : std::strerror(ENOENT));
    return LUA_ERRFILE;
  }
  reader.file = std::fopen(native.c_str(), "rb");
  if (!reader.file) {
    lua_pushfstring(L, "cannot open %s: %s", file.c_str(), std::strerror(errno));
    return LUA_ERRFILE;
  }
  int first = std::getc(reader.file);
  if (first == '#') {
    while (first != EOF && first != '\n') first = std::getc(reader.file);
    // Keeps the line count right for the messages.
    std::ungetc('\n', reader.file);
  } else if (first == LUA_SIGNATURE[0]) {
    std::fclose(reader.file);
    lua_pushfstring(L, "cannot load %s: precompiled chunks are not accepted", file.c_str());
    return LUA_ERRSYNTAX;
  } else if (first != EOF) {
    std::ungetc(first, reader.file);
  }
  const int result = lua_load(L, ReadBlock, &reader, chunkName.c_str());
  const bool readFailed = std::ferror(reader.file) != 0;
  std::fclose(reader.file);
  if (readFailed) {
    lua_settop(L, 0);
    lua_pushfstring(L, "cannot read %s", file.c_str());
    return LUA_ERRFILE;
  }
  return result;
}

}  // namespace

LuaScript::LuaScript() : L(nullptr), allocated(0) {
  L = lua_newstate(CappedAlloc, &allocated);
  if (!L) NEBLU_ERROR("Error in lua script: cannot create a Lua state");
}

LuaScript::LuaScript(const std::string& file) : LuaScript() {
  // The delegated constructor has finished, so a failing file still closes the state.
  Run(file);
}

LuaScript::~LuaScript() { lua_close(L); }

void LuaScript::Run(const std::string& file) {
  lua_pushnumber(L, 0);
  lua_setfield(L, LUA_REGISTRYINDEX, "neblu.instructions");
  lua_sethook(L, InstructionBudget, LUA_MASKCOUNT, kHookInterval);
  int result = LoadChunk(L, file);
  if (result == 0) result = lua_pcall(L, 0, 0, 0);
  lua_sethook(L, nullptr, 0, 0);
  if (result == 0) return;

  size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  const std::string message = text ? std::string(text, length) : std::string("(error object is not a string)");
  lua_pop(L, 1);
  NEBLU_ERROR("Error in lua script: " + message);
}

void LuaScript::SetGlobal(const std::string& name, int value) {
  ReserveSlot();
  lua_pushinteger(L, value);
  lua_setfield(L, LUA_GLOBALSINDEX, name.c_str());
}

LuaValue LuaScript::GetGlobal(const std::string& name) {
  ReserveSlot();
  lua_getfield(L, LUA_GLOBALSINDEX, name.c_str());
  return Top();
}

void LuaScript::Pop() {
  if (lua_gettop(L) > 0) lua_settop(L, -2);
}

void LuaScript::ReserveSlot() {
  if (!lua_checkstack(L, 1)) NEBLU_ERROR("Error in lua script: too many values held at once");
}

LuaValue LuaScript::Top() { return LuaValue(lua_gettop(L), this); }

LuaValue::LuaValue(int index_, LuaScript* script_) : index(index_), script(script_) {}

lua_State* LuaValue::State() const { return script->L; }

int LuaValue::ToInt() const {
  const double value = ToNumber();
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

bool LuaValue::ToBoolean() const { return lua_toboolean(State(), index) != 0; }

bool LuaValue::IsTable() const { return lua_type(State(), index) == LUA_TTABLE; }

bool LuaValue::IsString() const { return lua_isstring(State(), index) != 0; }

LuaValue LuaValue::operator[](int i) const {
  lua_State* L = State();
  script->ReserveSlot();
  // Indexing anything but a table would raise a Lua error outside protected mode.
  if (lua_type(L, index) == LUA_TTABLE) {
    lua_rawgeti(L, index, i);
  } else {
    lua_pushnil(L);
  }
  return script->Top();
}

LuaValue LuaValue::operator[](const std::string& name) const {
  lua_State* L = State();
  script->ReserveSlot();
  if (lua_type(L, index) == LUA_TTABLE) {
    lua_pushstring(L, name.c_str());
    lua_gettable(L, index);
  } else {
    lua_pushnil(L);
  }
  return script->Top();
}

std::string LuaValue::ToString() const {
  lua_State* L = State();
  const int type = lua_type(L, index);
  if (type != LUA_TSTRING && type != LUA_TNUMBER) return std::string();
  size_t length = 0;
  const char* text = lua_tolstring(L, index, &length);
  return text ? std::string(text, length) : std::string();
}

double LuaValue::ToNumber() const { return lua_tonumber(State(), index); }

LuaList::LuaList(const LuaValue& table) : index(table.Index()), script(table.Script()), next(1) {}

bool LuaList::HasNext() {
  LuaValue element = LuaValue(index, script)[next];
  const bool present = lua_type(script->L, element.Index()) != LUA_TNIL;
  script->Pop();
  return present;
}

LuaValue LuaList::Next() { return LuaValue(index, script)[next++]; }

}  // namespace core
}  // namespace engine
