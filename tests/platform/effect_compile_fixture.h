#pragma once

// Effect files of the tests' own compiled from a scratch folder without the cache, for the
// tests of the effect language.

#include <gtest/gtest.h>

#include <string>

#include "platform/effect/compiler.h"
#include "support/scratch_dir.h"

namespace effecttest {

class EffectCompileFixture : public ::testing::Test {
 protected:
  // Writes FILE and compiles it; false with the message in `error`.
  bool Compile(const std::string& file, const std::string& source) {
    scratch.Write(file, source);
    platform::fx::CompileOptions options;
    options.useCache = false;
    error.clear();
    return CompileEffectFile(scratch.Path(file), options, effect, error);
  }
  // Compiles FILE, which must give `techniques` techniques (any number when -1), every
  // one of them valid here.
  ::testing::AssertionResult Compiles(const std::string& file, const std::string& source, int techniques = -1) {
    if (!Compile(file, source)) return ::testing::AssertionFailure() << error;
    if (techniques >= 0 && effect.techniques.size() != static_cast<std::size_t>(techniques))
      return ::testing::AssertionFailure() << effect.techniques.size() << " techniques, not " << techniques;
    for (const auto& t : effect.techniques)
      if (!t.valid) return ::testing::AssertionFailure() << "technique not valid: " << t.reason;
    return ::testing::AssertionSuccess();
  }
  const platform::fx::VariableDecl& Variable(const std::string& name) {
    const platform::fx::VariableDecl* v = effect.syntax.FindVariable(name);
    if (!v) ADD_FAILURE() << "no variable " << name;
    static const platform::fx::VariableDecl none;
    return v ? *v : none;
  }

  testing_support::ScratchDir scratch;
  platform::fx::CompiledEffect effect;
  std::string error;
};

}  // namespace effecttest
