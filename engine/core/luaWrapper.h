#pragma once

#include <string>

#include "engine/api.h"

struct lua_State;

namespace engine {
namespace core {

class LuaScript;

// A handle to the value at one absolute position of a script's Lua stack. Every access
// pushes exactly one value and returns a handle to the new top; the caller pops what it
// has read, newest first (LuaScript::Pop).
class ENGINE_API LuaValue {
 public:
  LuaValue(int index, LuaScript* script);

  // Element i of the table (raw access). Anything but a table yields nil.
  LuaValue operator[](int i) const;
  // Field `name` of the table. Anything but a table yields nil.
  LuaValue operator[](const std::string& name) const;

  // Strings with their full length (zero bytes kept), numbers in Lua's text form; nil
  // and every other type give an empty string.
  std::string ToString() const;
  // Numbers and numeric strings; 0 for anything else.
  double ToNumber() const;
  // ToNumber truncated toward zero; held at the ends of the 32-bit range, NaN reads 0,
  // so a script's number never becomes undefined behaviour.
  int ToInt() const;
  // Lua truth: false only for nil and false (0 is true).
  bool ToBoolean() const;
  bool IsTable() const;
  // Strings and numbers (what Lua converts to text).
  bool IsString() const;

  int Index() const { return index; }
  LuaScript* Script() const { return script; }
  lua_State* State() const;

 private:
  int index;
  LuaScript* script;
};

// Walks the array part of a table from index 1 up to the first nil.
class ENGINE_API LuaList {
 public:
  explicit LuaList(const LuaValue& table);

  // True when element [next] is not nil; leaves the stack as it was.
  bool HasNext();
  // Pushes element [next], advances, and returns its handle (the caller pops it).
  LuaValue Next();

 private:
  int index;
  LuaScript* script;
  int next;
};

// One Lua state running one data file: a chunk that assigns globals which engine code
// then reads. The state is bare: no standard library exists inside the scripts.
//
// A script cannot take the process down: it runs with a memory cap and an instruction
// budget, and any failure (missing file, syntax, run time, either limit) raises
// "Error in lua script: " followed by Lua's message.
class ENGINE_API LuaScript {
 public:
  LuaScript();
  explicit LuaScript(const std::string& file);
  ~LuaScript();
  LuaScript(const LuaScript&) = delete;
  LuaScript& operator=(const LuaScript&) = delete;

  // Loads and runs the file; the path may use either separator.
  void Run(const std::string& file);
  void SetGlobal(const std::string& name, int value);
  LuaValue GetGlobal(const std::string& name);
  // Pops the newest value a handle was made for.
  void Pop();

  lua_State* State() const { return L; }

  // Bytes a script may allocate, and VM instructions one Run may execute.
  static constexpr size_t kMemoryLimit = size_t(256) << 20;
  static constexpr int kInstructionLimit = 200000000;

 private:
  friend class LuaValue;
  friend class LuaList;
  // Makes room for one more value, or raises an error when the stack cannot grow.
  void ReserveSlot();
  LuaValue Top();

  lua_State* L;
  size_t allocated;
};

}  // namespace core
}  // namespace engine
