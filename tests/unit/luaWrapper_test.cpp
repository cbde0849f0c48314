#include <gtest/gtest.h>

#include <lua.hpp>

#include <string>

#include "engine/core/exception.h"
#include "engine/core/logging.h"
#include "engine/core/luaWrapper.h"
#include "support/scratch_dir.h"

using engine::core::Exception;
using engine::core::LuaList;
using engine::core::LuaScript;
using engine::core::LuaValue;

namespace {

class LuaScriptTest : public ::testing::Test {
 protected:
  void TearDown() override { delete engine::core::Logging::mInstance; }

  // Runs `source` as data/test.lua and returns the exception text, or "" when it ran.
  std::wstring FailureOf(const std::string& source) {
    dir.Write("data/test.lua", source);
    try {
      LuaScript script("data\\test.lua");
    } catch (const Exception& e) {
      return e.GetText();
    }
    return L"";
  }

  static bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

  testing_support::ScratchDir dir;
};

TEST_F(LuaScriptTest, ReadsGlobalsFieldsAndListsThroughBackslashPaths) {
  dir.Write("data/startup.resources",
            "name = 'cubeTex'\n"
            "size = 3\n"
            "list = { 10, 20, nil, 40 }\n"
            "desc = { kind = 'TEXTURE', width = 512.5, shape = { w = 4 } }\n");
  LuaScript script("data\\startup.resources");
  lua_State* L = script.State();

  LuaValue name = script.GetGlobal("name");
  EXPECT_EQ(name.ToString(), "cubeTex");
  script.Pop();

  LuaValue size = script.GetGlobal("size");
  EXPECT_EQ(size.ToString(), "3");
  EXPECT_EQ(size.ToNumber(), 3.0);
  script.Pop();

  LuaValue list = script.GetGlobal("list");
  std::vector<double> seen;
  for (LuaList walk(list); walk.HasNext();) {
    seen.push_back(walk.Next().ToNumber());
    script.Pop();
  }
  EXPECT_EQ(seen, (std::vector<double>{10, 20}));  // the walk stops at the hole
  EXPECT_EQ(lua_gettop(L), list.Index());
  script.Pop();

  LuaValue desc = script.GetGlobal("desc");
  EXPECT_EQ(desc["kind"].ToString(), "TEXTURE");
  EXPECT_EQ(desc["width"].ToNumber(), 512.5);
  LuaValue shape = desc["shape"];
  EXPECT_EQ(lua_type(L, shape.Index()), LUA_TTABLE);
  EXPECT_EQ(shape["w"].ToNumber(), 4.0);
  EXPECT_EQ(lua_gettop(L), 5);  // every access pushed exactly one value
  lua_settop(L, 0);
}

TEST_F(LuaScriptTest, MissingValuesAndOtherTypesReadAsEmpty) {
  dir.Write("data/test.lua", "t = { flag = true, f = function() end }\nnumeric = '12.5'\n");
  LuaScript script("data/test.lua");
  LuaValue missing = script.GetGlobal("nothing");
  EXPECT_EQ(lua_type(script.State(), missing.Index()), LUA_TNIL);
  EXPECT_EQ(missing.ToString(), "");
  EXPECT_EQ(missing.ToNumber(), 0.0);
  // Indexing a nil or a number must not raise a Lua error outside protected mode.
  EXPECT_EQ(missing["field"][3].ToString(), "");
  LuaValue t = script.GetGlobal("t");
  EXPECT_EQ(t["flag"].ToString(), "");
  EXPECT_TRUE(lua_toboolean(script.State(), -1));
  EXPECT_EQ(t["f"].ToString(), "");
  EXPECT_EQ(t.ToString(), "");
  EXPECT_EQ(script.GetGlobal("numeric").ToNumber(), 12.5);
  EXPECT_FALSE(LuaList(script.GetGlobal("numeric")).HasNext());
}

TEST_F(LuaScriptTest, StringsKeepEmbeddedZeroBytes) {
  dir.Write("data/test.lua", "s = 'a\\0b'\n");
  LuaScript script("data/test.lua");
  EXPECT_EQ(script.GetGlobal("s").ToString(), std::string("a\0b", 3));
}

TEST_F(LuaScriptTest, SetGlobalBeforeRunIsSeenAsANumber) {
  dir.Write("data/test.lua", "doubled = width * 2\n");
  LuaScript script;
  script.SetGlobal("width", 640);
  script.Run("data/test.lua");
  EXPECT_EQ(script.GetGlobal("doubled").ToNumber(), 1280.0);
}

TEST_F(LuaScriptTest, EveryFailureIsOneErrorCarryingLuasMessage) {
  // No standard library: print does not exist.
  const std::wstring print = FailureOf("print('hello')\n");
  EXPECT_TRUE(StartsWith(print, L"Error in lua script: ")) << print.c_str();
  EXPECT_NE(print.find(L"print"), std::wstring::npos);

  const std::wstring syntax = FailureOf("x = = 1\n");
  EXPECT_TRUE(StartsWith(syntax, L"Error in lua script: ")) << syntax.c_str();
  EXPECT_NE(syntax.find(L"test.lua:1"), std::wstring::npos) << syntax.c_str();

  EXPECT_EQ(FailureOf(""), L"");  // an empty chunk is a valid data file
  std::wstring absent;
  try {
    LuaScript script("data\\absent.lua");
  } catch (const Exception& e) {
    absent = e.GetText();
  }
  EXPECT_TRUE(StartsWith(absent, L"Error in lua script: cannot open data\\absent.lua")) << absent.c_str();
}

// Messages name the script as the engine was given it, not the translated path.
TEST_F(LuaScriptTest, MessagesNameTheScriptAsGiven) {
  dir.Write("data/test.lua", "x = 1\ny = = 2\n");
  std::wstring syntax;
  try {
    LuaScript script("data\\test.lua");
  } catch (const Exception& e) {
    syntax = e.GetText();
  }
  EXPECT_TRUE(StartsWith(syntax, L"Error in lua script: data\\test.lua:2:")) << syntax.c_str();

  // A first line starting with '#' is skipped and the line numbers stay right.
  dir.Write("data/test.lua", "#!/usr/bin/env lua\nx = 1\ny = nil + 1\n");
  std::wstring run;
  try {
    LuaScript script("data\\test.lua");
  } catch (const Exception& e) {
    run = e.GetText();
  }
  EXPECT_TRUE(StartsWith(run, L"Error in lua script: data\\test.lua:3:")) << run.c_str();

  // Precompiled chunks are refused before Lua reads them.
  dir.Write("data/test.lua", std::string("\x1bLua\x51\x00garbage", 12));
  std::wstring binary;
  try {
    LuaScript script("data\\test.lua");
  } catch (const Exception& e) {
    binary = e.GetText();
  }
  EXPECT_NE(binary.find(L"precompiled chunks are not accepted"), std::wstring::npos) << binary.c_str();
}

TEST_F(LuaScriptTest, RunawayScriptsHitTheirLimitsInsteadOfHanging) {
  const std::wstring loop = FailureOf("while true do end\n");
  EXPECT_NE(loop.find(L"instruction limit"), std::wstring::npos) << loop.c_str();

  const std::wstring memory = FailureOf("s = 'xxxxxxxxxxxxxxxx'\nfor i = 1, 40 do s = s .. s end\n");
  EXPECT_NE(memory.find(L"not enough memory"), std::wstring::npos) << memory.c_str();
}

TEST_F(LuaScriptTest, DeepAccessGrowsTheStackInsteadOfOverrunningIt) {
  dir.Write("data/test.lua", "t = { 1 }\n");
  LuaScript script("data/test.lua");
  LuaValue t = script.GetGlobal("t");
  for (int i = 0; i < 200; ++i) EXPECT_EQ(t[1].ToNumber(), 1.0);
  EXPECT_EQ(lua_gettop(script.State()), 201);
}

}  // namespace
