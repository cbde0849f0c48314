#!/usr/bin/env bash
# The libraries export their interface and nothing else: every symbol the engine defines
# for others (a strong one: not a template instantiation, which every user may make its
# own copy of) is in namespace engine, and every one the platform layer defines is in
# namespace platform or one of the Windows-shaped C calls (no namespace). Nothing of the
# libraries built into them (the HLSL compiler, SPIR-V tools, Lua, zlib) leaks out.
#   exported_symbols.sh LIBENGINE LIBPLATFORM
set -euo pipefail
engine=$1
platform=$2
fail=0
# strong_symbols LIB: the demangled names of the defined, non-weak dynamic symbols.
# (The linker's own markers of the data segment's ends, and the sanitizers' markers of
# instrumented globals, are no one's interface.)
strong_symbols() {
  nm -D --defined-only "$1" |
    awk '$2 ~ /^[TDBR]$/ && $3 !~ /^(__bss_start|_edata|_end|_init|_fini|__odr_asan[.].*|__asan_.*)$/ { print $3 }' | c++filt
}
# The qualified name alone: no "typeinfo for" and the like before it, no parameters after.
owner() {
  sed -E 's/^(typeinfo name for|typeinfo for|vtable for|VTT for|non-virtual thunk to|virtual thunk to|guard variable for) //; s/\(.*//'
}

bad=$(strong_symbols "$engine" | owner | grep -vE '^engine::' || true)
if [ -n "$bad" ]; then
  echo "$engine exports symbols outside namespace engine:"; echo "$bad" | head -20; fail=1
fi
bad=$(strong_symbols "$platform" | owner | grep -E '::' | grep -vE '^platform::' || true)
if [ -n "$bad" ]; then
  echo "$platform exports C++ symbols outside namespace platform:"; echo "$bad" | head -20; fail=1
fi
bad=$(strong_symbols "$platform" | grep -E '^(lua|luaL|shaderc|spv|gl[A-Z]|egl[A-Z]|deflate|inflate|mpg123|kiss)' || true)
if [ -n "$bad" ]; then
  echo "$platform exports the C symbols of libraries built into it:"; echo "$bad" | head -20; fail=1
fi
[ "$fail" -eq 0 ] && echo "both libraries export their own interface only: engine $(strong_symbols "$engine" | wc -l), platform $(strong_symbols "$platform" | wc -l) symbols"
exit "$fail"
