#include "tools/demo/sceneDescription.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <initializer_list>
#include <limits>
#include <set>

#include <lua.hpp>

#include "engine/core/exception.h"
#include "engine/core/luaWrapper.h"
#include "engine/core/textConversion.h"

namespace demo {

using engine::gfx::DemoCurve;
using engine::gfx::DemoFile;
using engine::gfx::DemoKey;
using engine::gfx::DemoObject;

namespace {

constexpr double kFramesPerSecond = 25.0;
constexpr double kPi = 3.14159265358979323846;

int Seconds(lua_State* L) {
  lua_pushnumber(L, luaL_checknumber(L, 1) * kFramesPerSecond);
  return 1;
}

int Degrees(lua_State* L) {
  lua_pushnumber(L, luaL_checknumber(L, 1) * kPi / 180.0);
  return 1;
}

// Camera paths and rings of objects need a little trigonometry; the sandbox has no
// standard library, so these few functions are all a description gets.
template <double (*F)(double)>
int Unary(lua_State* L) {
  lua_pushnumber(L, F(luaL_checknumber(L, 1)));
  return 1;
}

int Atan2(lua_State* L) {
  lua_pushnumber(L, std::atan2(luaL_checknumber(L, 1), luaL_checknumber(L, 2)));
  return 1;
}

double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Sqrt(double x) { return std::sqrt(x); }
double Floor(double x) { return std::floor(x); }

void RegisterMath(lua_State* L) {
  lua_newtable(L);
  const std::pair<const char*, lua_CFunction> functions[] = {
      {"sin", Unary<Sin>}, {"cos", Unary<Cos>}, {"sqrt", Unary<Sqrt>}, {"floor", Unary<Floor>}, {"atan2", Atan2}};
  for (const auto& f : functions) {
    lua_pushcfunction(L, f.second);
    lua_setfield(L, -2, f.first);
  }
  lua_pushnumber(L, kPi);
  lua_setfield(L, -2, "pi");
  lua_setglobal(L, "math");
}

void RegisterSections(lua_State* L, const std::vector<ScoreSection>& sections) {
  lua_newtable(L);
  for (const ScoreSection& section : sections) {
    lua_newtable(L);
    lua_pushnumber(L, section.first);
    lua_setfield(L, -2, "first");
    lua_pushnumber(L, section.frames);
    lua_setfield(L, -2, "frames");
    lua_setfield(L, -2, section.name.c_str());
  }
  lua_setglobal(L, "sections");
}

std::string NumberText(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", value);
  return buf;
}

// Walks the globals the script left behind. Every table read is checked for fields the
// format does not know, so that a misspelt name is an error rather than a silently
// missing value. `where` grows as the walk goes down: "scene.lua: object 2 ("Sofa"): ".
class Describer {
 public:
  Describer(lua_State* state, const std::string& path) : L(state), scene(path) {}

  DemoFile Read() {
    DemoFile file;
    where = scene + ": ";
    lua_getfield(L, LUA_GLOBALSINDEX, "length");
    if (lua_isnil(L, -1)) Fail("length is missing: set length to the running time in frames (25 per second)");
    file.length = WholeNumber(-1, "length");
    // The program plays a part for its length; a part of none is a slip of the author's.
    if (file.length < 1) Fail("length " + std::to_string(file.length) + " is not a running time: it must be at least 1 frame");
    lua_pop(L, 1);

    lua_getfield(L, LUA_GLOBALSINDEX, "objects");
    if (lua_isnil(L, -1)) Fail("objects is missing: set objects to a list of objects, {} for none");
    if (!lua_istable(L, -1)) Fail("objects must be a list of objects");
    const int objects = lua_gettop(L);
    CheckFields(objects, ListLength(objects), {}, "objects");
    for (int i = 1; i <= ListLength(objects); ++i) {
      lua_rawgeti(L, objects, i);
      where = scene + ": object " + std::to_string(i) + ": ";
      file.objects.push_back(ReadObject(lua_gettop(L)));
      lua_pop(L, 1);
    }
    lua_pop(L, 1);
    CheckLinks(file);
    return file;
  }

 private:
  DemoObject ReadObject(int table) {
    if (!lua_istable(L, table)) Fail("must be a table { TYPE, NAME, ... }");
    DemoObject object;
    object.type = Text(table, 1, "the type (first element)");
    object.name = Text(table, 2, "the name (second element)");
    if (object.type.empty()) Fail("the type (first element) is empty");
    if (object.name.empty()) Fail("the name (second element) is empty");
    where.insert(where.size() - 2, " (\"" + object.name + "\")");
    CheckFields(table, 2, {"mesh", "parent", "location", "rotation", "curves"}, "");

    lua_getfield(L, table, "mesh");
    const bool hasMesh = !lua_isnil(L, -1);
    lua_pop(L, 1);
    object.mesh = hasMesh ? Text(table, "mesh") : object.type == "Mesh" ? object.name : std::string();
    if (object.type == "Mesh" && object.mesh.empty()) Fail("mesh is empty");
    object.parent = OptionalText(table, "parent");
    if (object.parent == object.name) Fail("is its own parent");
    Vector(table, "location", object.location);
    Vector(table, "rotation", object.rotation);

    lua_getfield(L, table, "curves");
    if (!lua_isnil(L, -1)) {
      if (!lua_istable(L, -1)) Fail("curves must be a list of curves");
      const int curves = lua_gettop(L);
      CheckFields(curves, ListLength(curves), {}, "curves");
      const std::string objectWhere = where;
      for (int c = 1; c <= ListLength(curves); ++c) {
        lua_rawgeti(L, curves, c);
        where = objectWhere + "curve " + std::to_string(c) + ": ";
        object.curves.push_back(ReadCurve(lua_gettop(L)));
        lua_pop(L, 1);
      }
      where = objectWhere;
    }
    lua_pop(L, 1);
    return object;
  }

  DemoCurve ReadCurve(int table) {
    if (!lua_istable(L, table)) Fail("must be a table { CHANNEL, {time, value}, ... }");
    const int count = ListLength(table);
    DemoCurve curve;
    curve.channel = Text(table, 1, "the channel (first element)");
    if (curve.channel.empty()) Fail("the channel (first element) is empty");
    where.insert(where.size() - 2, " (" + curve.channel + ")");
    CheckFields(table, count, {"interpolation", "extrapolation"}, "");
    curve.interpolation = OptionalText(table, "interpolation", "Bezier");
    curve.extrapolation = OptionalText(table, "extrapolation", "Constant");
    if (engine::gfx::DemoInterpolationOf(curve.interpolation) < 0) {
      Fail(engine::gfx::UnsupportedInterpolationMessage(curve.interpolation) +
           " Use \"Bezier\", \"Linear\" or \"Constant\".");
    }
    if (engine::gfx::DemoExtrapolationOf(curve.extrapolation) < 0) {
      Fail(engine::gfx::UnsupportedExtrapolationMessage(curve.extrapolation) +
           " Use \"Constant\", \"Cyclic\" or \"Cyclic_extrapolation\".");
    }
    if (count < 2) Fail("has no keys: give at least one {time, value} after the channel");

    // Handles a key spells out are kept; the others are filled in once every key's time
    // and value are known, since the automatic ones depend on the neighbours.
    struct Given {
      bool left, right;
    };
    std::vector<Given> given;
    const std::string curveWhere = where;
    for (int k = 2; k <= count; ++k) {
      lua_rawgeti(L, table, k);
      where = curveWhere + "key " + std::to_string(k - 1) + ": ";
      const int key = lua_gettop(L);
      if (!lua_istable(L, key)) Fail("must be a table {time, value}");
      CheckFields(key, 2, {"left", "right"}, "");
      DemoKey stored{};
      stored.time = Float(key, 1, "the time (first element)");
      stored.value = Float(key, 2, "the value (second element)");
      if (!curve.keys.empty() && !(stored.time > curve.keys.back().time)) {
        Fail("time " + NumberText(stored.time) + " is not after the previous key's time " +
             NumberText(curve.keys.back().time) + "; keys must be in increasing time");
      }
      const bool left = Handle(key, "left", stored.leftTime, stored.leftValue);
      const bool right = Handle(key, "right", stored.rightTime, stored.rightValue);
      curve.keys.push_back(stored);
      given.push_back({left, right});
      lua_pop(L, 1);
    }
    where = curveWhere;
    for (std::size_t k = 0; k < curve.keys.size(); ++k) {
      const DemoKey automatic = AutoSmoothKey(curve.keys, k);
      if (!given[k].left) {
        curve.keys[k].leftTime = automatic.leftTime;
        curve.keys[k].leftValue = automatic.leftValue;
      }
      if (!given[k].right) {
        curve.keys[k].rightTime = automatic.rightTime;
        curve.keys[k].rightValue = automatic.rightValue;
      }
    }
    return curve;
  }

  // The loader keeps an object whose parent is missing at the top level; in a
  // description that is a typo, and an object named twice hides the first from lookups.
  void CheckLinks(const DemoFile& file) {
    std::set<std::string> names;
    for (std::size_t i = 0; i < file.objects.size(); ++i) {
      const DemoObject& object = file.objects[i];
      if (!names.insert(object.name).second) {
        FailObject(i, object, "the name is already used by an earlier object");
      }
    }
    for (std::size_t i = 0; i < file.objects.size(); ++i) {
      const DemoObject& object = file.objects[i];
      if (!object.parent.empty() && !names.count(object.parent)) {
        FailObject(i, object, "parent \"" + object.parent + "\" names no object of the scene");
      }
    }
  }

  [[noreturn]] void FailObject(std::size_t index, const DemoObject& object, const std::string& problem) {
    throw SceneError(scene + ": object " + std::to_string(index + 1) + " (\"" + object.name + "\"): " + problem);
  }

  bool Handle(int key, const char* name, float& time, float& value) {
    lua_getfield(L, key, name);
    const int handle = lua_gettop(L);
    const bool given = !lua_isnil(L, handle);
    if (given) {
      const std::string what = std::string(name) + " handle";
      if (!lua_istable(L, handle) || ListLength(handle) != 2) Fail(what + " must be {time, value}");
      CheckFields(handle, 2, {}, what);
      time = Float(handle, 1, what + " time");
      value = Float(handle, 2, what + " value");
    }
    lua_pop(L, 1);
    return given;
  }

  void Vector(int table, const char* name, float (&out)[3]) {
    lua_getfield(L, table, name);
    const int vector = lua_gettop(L);
    if (lua_isnil(L, vector)) {
      out[0] = out[1] = out[2] = 0.0f;
    } else {
      if (!lua_istable(L, vector) || ListLength(vector) != 3) Fail(std::string(name) + " must be {x, y, z}");
      CheckFields(vector, 3, {}, name);
      static const char* const kAxes[] = {"x", "y", "z"};
      for (int i = 0; i < 3; ++i) out[i] = Float(vector, i + 1, std::string(name) + " " + kAxes[i]);
    }
    lua_pop(L, 1);
  }

  // Lua numbers are doubles; the file holds float32, and a value that does not fit
  // would arrive as an infinity.
  float Float(int table, int index, const std::string& what) {
    lua_rawgeti(L, table, index);
    if (lua_type(L, -1) != LUA_TNUMBER) Fail(what + " must be a number, not " + TypeName(-1));
    const double value = lua_tonumber(L, -1);
    lua_pop(L, 1);
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) {
      Fail(what + " " + NumberText(value) + " is not a finite 32-bit float");
    }
    return static_cast<float>(value);
  }

  std::int32_t WholeNumber(int index, const std::string& what) {
    if (lua_type(L, index) != LUA_TNUMBER) Fail(what + " must be a number of frames, not " + TypeName(index));
    const double value = lua_tonumber(L, index);
    if (!(value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max()) ||
        value != std::floor(value)) {
      Fail(what + " " + NumberText(value) + " is not a whole number of frames");
    }
    return static_cast<std::int32_t>(value);
  }

  std::string Text(int table, int index, const std::string& what) {
    lua_rawgeti(L, table, index);
    std::string text = TextOnTop(what);
    lua_pop(L, 1);
    return text;
  }

  std::string Text(int table, const char* name) {
    lua_getfield(L, table, name);
    std::string text = TextOnTop(name);
    lua_pop(L, 1);
    return text;
  }

  std::string OptionalText(int table, const char* name, const std::string& otherwise = std::string()) {
    lua_getfield(L, table, name);
    const bool absent = lua_isnil(L, -1);
    lua_pop(L, 1);
    return absent ? otherwise : Text(table, name);
  }

  // Only strings: Lua would turn a number into text, and a name written as 1 is more
  // likely a misplaced value than a name.
  std::string TextOnTop(const std::string& what) {
    if (lua_type(L, -1) != LUA_TSTRING) Fail(what + " must be a string, not " + TypeName(-1));
    std::size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) Fail(what + " is too long");
    return std::string(text, length);
  }

  std::string TypeName(int index) { return lua_typename(L, lua_type(L, index)); }

  // The array part up to the first nil, as the engine's list walker counts it.
  int ListLength(int table) {
    int n = 0;
    while (true) {
      lua_rawgeti(L, table, n + 1);
      const bool present = !lua_isnil(L, -1);
      lua_pop(L, 1);
      if (!present) return n;
      ++n;
    }
  }

  // Refuses every key of the table but the elements 1..listLength and the names given.
  void CheckFields(int table, int listLength, std::initializer_list<const char*> names, const std::string& what) {
    lua_pushnil(L);
    while (lua_next(L, table) != 0) {
      lua_pop(L, 1);  // the value; the key stays for lua_next
      bool known = false;
      if (lua_type(L, -1) == LUA_TNUMBER) {
        const double index = lua_tonumber(L, -1);
        known = index >= 1 && index <= listLength && index == std::floor(index);
      } else if (lua_type(L, -1) == LUA_TSTRING) {
        const std::string key = lua_tostring(L, -1);
        known = std::find_if(names.begin(), names.end(), [&](const char* n) { return key == n; }) != names.end();
      }
      if (!known) {
        std::string field;
        if (lua_type(L, -1) == LUA_TSTRING) {
          field = "field \"" + std::string(lua_tostring(L, -1)) + "\"";
        } else if (lua_type(L, -1) == LUA_TNUMBER) {
          field = "element " + NumberText(lua_tonumber(L, -1));
        } else {
          field = "a " + TypeName(-1) + " key";
        }
        lua_pop(L, 1);
        std::string allowed;
        for (const char* n : names) allowed += std::string(allowed.empty() ? "" : ", ") + n;
        Fail((what.empty() ? "unknown " : what + " has an unknown ") + field +
             (allowed.empty() ? "" : " (known fields: " + allowed + ")"));
      }
    }
  }

  [[noreturn]] void Fail(const std::string& problem) { throw SceneError(where + problem); }

  lua_State* L;
  std::string scene;
  std::string where;
};

}  // namespace

std::vector<ScoreSection> ReadScoreSections(const std::string& path) {
  // A folder opens as a stream and reads as nothing (a table "cut short"), and a FIFO
  // would block the open: only a file is read.
  std::error_code notThere;
  if (std::filesystem::exists(path, notThere) && !std::filesystem::is_regular_file(path, notThere))
    throw SceneError(path + ": cannot be read: it is " +
                     (std::filesystem::is_directory(path, notThere) ? "a folder, not a regular file" : "not a regular file"));
  std::ifstream file(path, std::ios::binary);
  if (!file) throw SceneError(path + ": cannot be read");
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) throw SceneError(path + ": cannot be read");
  return ParseScoreSections(text.str(), path);
}

std::vector<ScoreSection> ParseScoreSections(const std::string& text, const std::string& path) {
  std::istringstream in(text);
  std::vector<ScoreSection> sections;
  std::string line;
  bool total = false;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (line.empty()) continue;
    if (total) throw SceneError(where + "nothing may follow the total line");
    std::istringstream words(line);
    ScoreSection section;
    std::string rest;
    if (line.compare(0, 6, "total ") == 0) {
      int frames = 0;
      words >> rest >> frames;
      long long sum = 0;
      for (const ScoreSection& s : sections) sum += s.frames;
      if (words.fail() || (words >> rest) || frames != sum) {
        throw SceneError(where + "expected \"total FRAMES\" with the sum of the sections, " + std::to_string(sum));
      }
      total = true;
      continue;
    }
    words >> section.name >> section.first >> section.frames;
    if (words.fail() || (words >> rest) || section.frames < 0 || section.first < 0) {
      throw SceneError(where + "expected \"NAME FIRST_FRAME FRAMES\"");
    }
    const long long expected =
        sections.empty() ? 0 : static_cast<long long>(sections.back().first) + sections.back().frames;
    if (section.first != expected) {
      throw SceneError(where + section.name + " starts at frame " + std::to_string(section.first) +
                       ", not where the one before ends (" + std::to_string(expected) + ")");
    }
    sections.push_back(section);
  }
  if (!total) throw SceneError(path + ": the total line is missing (the file is cut short)");
  return sections;
}

DemoFile ReadSceneDescription(const std::string& path, const std::vector<ScoreSection>& sections,
                              const std::vector<std::string>& preludes) {
  engine::core::LuaScript script;
  lua_State* L = script.State();
  lua_register(L, "seconds", Seconds);
  lua_register(L, "degrees", Degrees);
  RegisterMath(L);
  RegisterSections(L, sections);
  std::string running = path;
  try {
    for (const std::string& prelude : preludes) {
      running = prelude;
      script.Run(prelude);
    }
    running = path;
    script.Run(path);
  } catch (const engine::core::Exception& e) {
    // Lua names the file in syntax and run-time errors but not when a limit stops it.
    const std::string text = engine::core::ToNarrow(e.GetText());
    throw SceneError(text.find(running) == std::string::npos ? running + ": " + text : text);
  }
  // Every read below pushes a few values at a time; the depth does not grow with the
  // scene, so this covers the whole walk.
  if (!lua_checkstack(L, 32)) throw SceneError(path + ": out of memory");
  return Describer(L, path).Read();
}

DemoKey AutoSmoothKey(const std::vector<DemoKey>& keys, std::size_t index) {
  DemoKey key = keys[index];
  const double t = key.time, v = key.value;
  if (keys.size() == 1) {
    key.leftTime = static_cast<float>(t - 1.0);
    key.rightTime = static_cast<float>(t + 1.0);
    key.leftValue = key.rightValue = key.value;
    return key;
  }
  const bool first = index == 0, last = index + 1 == keys.size();
  const double dtNext = first || !last ? keys[index + 1].time - t : 0.0;
  const double dtPrev = !first ? t - keys[index - 1].time : 0.0;
  // An end key mirrors its one neighbour's distance on the open side.
  const double leftSpan = first ? dtNext : dtPrev;
  const double rightSpan = last ? dtPrev : dtNext;

  double slope = 0.0;
  if (!first && !last) {
    const double prevValue = keys[index - 1].value, nextValue = keys[index + 1].value;
    slope = (nextValue - prevValue) / (keys[index + 1].time - keys[index - 1].time);
    const double rise = nextValue - v, fall = v - prevValue;
    if (rise * slope < 0.0 || fall * slope < 0.0) {
      slope = 0.0;
    } else {
      const double limit = std::min(3.0 * std::fabs(rise) / dtNext, 3.0 * std::fabs(fall) / dtPrev);
      if (std::fabs(slope) > limit) slope = std::copysign(limit, slope);
    }
  }
  key.leftTime = static_cast<float>(t - leftSpan / 3.0);
  key.leftValue = static_cast<float>(v - slope * leftSpan / 3.0);
  key.rightTime = static_cast<float>(t + rightSpan / 3.0);
  key.rightValue = static_cast<float>(v + slope * rightSpan / 3.0);
  return key;
}

}  // namespace demo
