#!/usr/bin/env bash
# Runs the material inspector in a fresh content folder: a material with a template and
# two alternatives, read alone and built into an effect (the pass whose effect file is
# missing is left out), and the exit status and message for bad usage, a material that
# is not a list and a missing file.
#   efxinfo.sh EFXINFO CONTENT_DIR    (CONTENT_DIR: the effect pool's files)
set -euo pipefail
efxinfo=$(realpath "$1")
content=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export DISPLAY= WAYLAND_DISPLAY=

mkdir -p "$work/data/fx"
cp "$content/_shared.fx" "$content/wireframe.fx" "$work/data/fx/"
cp "$content/wireframe.efx" "$work/data/"

cat > "$work/data/fx/lit.fx" <<'FX'
// A lit surface: the shared frame values, a tint and the values the template sets.
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};
float4x4 World : World;
float4 Tint = float4(1, 1, 1, 1);
float2 Offset;
float Scale;
int Count;
bool On;
float Wave;

struct VSOut { float4 position : SV_Position; };

VSOut VS(float3 position : POSITION) {
  VSOut o;
  o.position = mul(mul(mul(float4(position, 1), World), View), Projection);
  return o;
}

float4 PS(VSOut i) : SV_Target { return Tint * Scale; }

technique10 Main {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
FX

# A scene pass into the half-size target, without depth, then the lit pass on screen.
cat > "$work/data/fx/lit.tpl" <<'LUA'
template = {
  pass = {
    { priority = 1, fx = "lit", tec = "Main", rendertarget = "half", depthtarget = "null", instances = 2,
      params = { { "Scene", "target", "half" }, { "On", "bool", true }, { "Count", "int", 3 },
                 { "Wave", "ipo" }, { "Offset", "float2", { 0.5, 0.25 } }, { "Scale", "float", 0.25 },
                 { "Tint", "float4", { 0, 0, 0, 1 } }, { "Screen", "target", "_framebuffer" },
                 { "Shadow", "depth", "_depthbuffer" } },
      streams = { { "pos", "P" }, { "normal", "N" } } },
    { priority = 2, fx = "lit", tec = "Main",
      params = { { "Tint", "float4", { 0.5, 0.5, 0.5, 0.5 } } }, streams = { { "pos", "P" } } },
  },
}
LUA

cat > "$work/data/crystal.efx" <<'LUA'
effect = {
  { priority = 10, template = "fx/lit.tpl",
    pass = { { fx = "glass", tec = "Refract", params = { { "Tint", "float4", { 1, 0.5, 0.5, 1 } } },
               streams = { { "pos", "P" }, { "tex", "T" } } } },
    params = { { "Tint", "float4", { 1, 1, 1, 1 } } } },
  { priority = 0,
    pass = { { fx = "simple", tec = "Main", params = {}, streams = { { "pos", "P" } } } } },
}
LUA

cat > "$work/data/startup.resources" <<'LUA'
resources = {
  { RENDERTARGET, "half", WINDOW_WIDTH / 2, WINDOW_HEIGHT / 2, FMT_R16G16B16A16_FLOAT, NO_MULTISAMPLING },
}
LUA
printf '_framebuffer\nhalf\n' > "$work/data/rtpriorities.txt"
echo 'effect = "lit"' > "$work/data/broken.efx"
cd "$work"

fail() { echo "$1"; exit 1; }

# Runs efxinfo, keeping the exit status, standard output and standard error apart. The
# graphics layer names the surface it draws through once a run; that line is not ours.
run() {
  status=0
  "$efxinfo" "$@" >out.json 2>err.all || status=$?
  grep -v '^platform: drawing through ' err.all >err.txt || true
}

run --resources data/startup.resources data/crystal.efx
[ "$status" = 0 ] || { cat err.txt; fail "reading crystal.efx: exit status $status"; }
python3 - out.json <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
assert list(doc) == ["materials"], list(doc)
(material,) = doc["materials"]
assert list(material) == ["path", "alternatives"], list(material)
assert material["path"] == "data/crystal.efx"
alternatives = material["alternatives"]
assert [a["priority"] for a in alternatives] == [10, 0], alternatives

scene, lit, glass = alternatives[0]["passes"]
assert list(glass) == ["priority", "fx", "tec", "targets", "depth", "instances", "params", "streams"], list(glass)
assert (scene["fx"], lit["fx"], glass["fx"], glass["tec"]) == ("lit.fx", "lit.fx", "glass.fx", "Refract")
assert glass["targets"] == ["_framebuffer"] and glass["depth"] == "_depthbuffer", glass
assert glass["instances"] == 1 and glass["priority"] == 0, glass
# The material-wide Tint wins over every pass's own.
assert glass["params"] == [{"name": "Tint", "type": "float4", "value": [1, 1, 1, 1]}], glass["params"]
assert lit["params"] == [{"name": "Tint", "type": "float4", "value": [1, 1, 1, 1]}], lit["params"]
assert glass["streams"] == [{"kind": "pos", "name": "P"}, {"kind": "tex", "name": "T"}], glass["streams"]

assert scene["targets"] == ["half"] and scene["depth"] == "" and scene["instances"] == 2, scene
assert scene["priority"] == 1 and lit["priority"] == 2
# Parameters come in storage order of their kinds, script order within a kind.
assert scene["params"] == [
    {"name": "Tint", "type": "float4", "value": [1, 1, 1, 1]},
    {"name": "Offset", "type": "float2", "value": [0.5, 0.25]},
    {"name": "Count", "type": "int", "value": 3},
    {"name": "Scale", "type": "float", "value": 0.25},
    {"name": "Wave", "type": "ipo", "value": None},
    {"name": "On", "type": "bool", "value": True},
    {"name": "Scene", "type": "target", "value": "half"},
    {"name": "Screen", "type": "target", "value": ""},
    {"name": "Shadow", "type": "depth", "value": "_depthbuffer"},
], scene["params"]
assert type(scene["params"][2]["value"]) is int
assert scene["streams"] == [{"kind": "pos", "name": "P"}, {"kind": "normal", "name": "N"}]

(simple,) = alternatives[1]["passes"]
assert (simple["fx"], simple["tec"], simple["params"]) == ("simple.fx", "Main", []), simple
PY
[ ! -e data/log.html ] || fail "efxinfo wrote a log"

run --resources data/startup.resources --build data/crystal.efx
[ "$status" = 0 ] || { cat err.txt; fail "building crystal.efx: exit status $status"; }
python3 - out.json <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
assert list(doc) == ["materials", "order"], list(doc)
(material,) = doc["materials"]
assert list(material) == ["path", "alternatives", "built"], list(material)
# glass.fx does not exist: its pass is dropped, and the template's two passes run.
built = material["built"]
assert built["wireframe"] is False, built
assert [(p["fx"], p["tec"]) for p in built["passes"]] == [("lit.fx", "Main")] * 2, built
# The half-size target's line comes later in the priority file, so it draws first; on
# screen the wireframe fallback (pass priority 0) draws before the lit pass (2).
order = doc["order"]
assert [(s["fx"], s["targets"], s["depth"]) for s in order] == [
    ("lit.fx", ["half"], ""),
    ("wireframe.fx", ["_framebuffer"], "_depthbuffer"),
    ("lit.fx", ["_framebuffer"], "_depthbuffer"),
], order
assert [s["renderIndex"] for s in order] == [0, 1, 2], order
assert [p["renderIndex"] for p in built["passes"]] == [0, 2], built
PY

run --help
[ "$status" = 0 ] || fail "--help: exit status $status"
for switch in --resources --build --help; do grep -q -- "$switch" out.json || fail "--help does not name $switch"; done

run
[ "$status" = 2 ] || fail "no arguments: exit status $status, expected 2"
grep -q "^usage: efxinfo" err.txt || fail "no arguments: no usage on standard error"
run --frobnicate data/crystal.efx
[ "$status" = 2 ] || fail "unknown switch: exit status $status, expected 2"

run data/broken.efx
[ "$status" = 1 ] || fail "broken.efx: exit status $status, expected 1"
[ "$(cat err.txt)" = "efxinfo: data/broken.efx: Effect must be a table" ] || fail "broken.efx: $(cat err.txt)"
[ ! -s out.json ] || fail "broken.efx: something on standard output"

run --resources data/startup.resources data/crystal.efx data/missing.efx
[ "$status" = 1 ] || fail "missing.efx: exit status $status, expected 1"
grep -q "^efxinfo: data/missing.efx: " err.txt || fail "missing.efx: $(cat err.txt)"
[ ! -s out.json ] || fail "missing.efx: something on standard output"
echo "efxinfo output as expected"
