#!/usr/bin/env bash
# Runs the material inspector in a fresh content folder: a material with a template and
# two alternatives, read alone (the data folder's resource script run by default, or the
# one named) and built into an effect; materials the engine would build only in part or
# draw as the wireframe (an effect file missing, a technique misspelt or unsupported),
# which fail; the exit status and message for bad usage, a material that is not a list
# and a missing file. Then the demo's own materials, built in a copy of its data folder,
# and that copy broken.
#   efxinfo.sh EFXINFO CONTENT_DIR DEMO_DATA
#   (CONTENT_DIR: the effect pool's files; DEMO_DATA: the demo's data folder as built)
set -euo pipefail
efxinfo=$(realpath "$1")
content=$(realpath "$2")
demo=$(realpath "$3")
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

# The template's passes alone; and the same lit pass misspelt, and in a technique whose
# shader model cannot run here, alone and with a fallback.
cat > "$work/data/tiled.efx" <<'LUA'
effect = { { priority = 10, template = "fx/lit.tpl", params = { { "Tint", "float4", { 1, 1, 1, 1 } } } } }
LUA
cat > "$work/data/misspelt.efx" <<'LUA'
effect = { { pass = { { fx = "lit", tec = "Mian", params = {}, streams = { { "pos", "P" } } } } } }
LUA
sed 's/vs_4_0/vs_5_0/; s/technique10 Main/technique10 Future/' "$work/data/fx/lit.fx" > "$work/data/fx/future.fx"
cat > "$work/data/future.efx" <<'LUA'
effect = { { pass = { { fx = "future", tec = "Future", params = {}, streams = { { "pos", "P" } } } } } }
LUA
cat > "$work/data/fallback.efx" <<'LUA'
effect = { { priority = 1, pass = { { fx = "future", tec = "Future", params = {}, streams = { { "pos", "P" } } } } },
           { priority = 0, pass = { { fx = "lit", tec = "Main", params = {}, streams = { { "pos", "P" } } } } } }
LUA
echo 'resources = {}' > "$work/data/bare.resources"

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

# The target "half" comes from the data folder's resource script, run by default.
run data/crystal.efx
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

# A script named instead replaces the default.
run --resources data/bare.resources data/crystal.efx
[ "$status" = 1 ] || fail "crystal.efx without its targets: exit status $status, expected 1"
[ "$(cat err.txt)" = "efxinfo: data/crystal.efx: No such render target half" ] || fail "--resources: $(cat err.txt)"

run --build data/tiled.efx
[ "$status" = 0 ] || { cat err.txt; fail "building tiled.efx: exit status $status"; }
python3 - out.json <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
assert list(doc) == ["materials", "order"], list(doc)
(material,) = doc["materials"]
assert list(material) == ["path", "alternatives", "built"], list(material)
# The template's two passes.
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

# What the engine would build only in part, or not at all: each problem named, status 1.
expect_failure() {
  local material=$1 expected=$2
  run --build "$material"
  [ "$status" = 1 ] || fail "building $material: exit status $status, expected 1"
  [ "$(cat err.txt)" = "$expected" ] || fail "building $material: $(cat err.txt)"
  [ ! -s out.json ] || fail "building $material: something on standard output"
}
expect_failure data/crystal.efx \
"efxinfo: data/crystal.efx: alternative 1 (priority 10), pass 3 (glass.fx, technique Refract): data/fx/glass.fx does not exist, so the engine leaves the pass out
efxinfo: data/crystal.efx: alternative 2 (priority 0), pass 1 (simple.fx, technique Main): data/fx/simple.fx does not exist, so the engine leaves the pass out"
expect_failure data/misspelt.efx \
  "efxinfo: data/misspelt.efx: alternative 1 (priority 0), pass 1 (lit.fx, technique Mian): data/fx/lit.fx has no technique Mian (it has Main), so the engine passes over the alternative"
expect_failure data/future.efx \
  "efxinfo: data/future.efx: none of its alternatives can be drawn here, so the engine draws the wireframe instead (alternative 1 (priority 0), pass 1 (future.fx, technique Future): technique Future of data/fx/future.fx cannot run here)"
# An alternative for what cannot run here is what alternatives are for.
run --build data/fallback.efx
[ "$status" = 0 ] || { cat err.txt; fail "building fallback.efx: exit status $status"; }
grep -q '"built": {"wireframe": false, "passes": \[{"fx": "lit.fx", "tec": "Main"' out.json || fail "fallback.efx: $(cat out.json)"

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

# The demo's own materials (those that name no texture the program makes itself) build
# whole in a copy of its data folder, with its own resource script found by default.
mkdir -p "$work/demo/data"
cp -r "$demo/fx" "$demo/startup.resources" "$demo/rtpriorities.txt" "$demo/wireframe.efx" "$work/demo/data/"
for part in city stars credits; do
  mkdir "$work/demo/data/$part.demo_scene"
  cp "$demo/$part.demo_scene/"*.efx "$work/demo/data/$part.demo_scene/"
done
cd "$work/demo"
run --build data/city.demo_scene/*.efx data/stars.demo_scene/*.efx data/credits.demo_scene/*.efx data/fx/post.efx
[ "$status" = 0 ] || { cat err.txt; fail "the demo's materials: exit status $status"; }
python3 - out.json <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
assert len(doc["materials"]) > 10, len(doc["materials"])
for material in doc["materials"]:
    assert not material["built"]["wireframe"], material["path"]
    assert len(material["built"]["passes"]) == sum(len(a["passes"]) for a in material["alternatives"][:1]), material["path"]
PY
# Broken: a technique misspelt, then its effect file gone.
sed -i 's/tec = "Night"/tec = "Nite"/' data/city.demo_scene/Cube.nbl.efx
run --build data/city.demo_scene/Cube.nbl.efx
[ "$status" = 1 ] || fail "a misspelt technique in the demo's Cube: exit status $status"
[ "$(cat err.txt)" = "efxinfo: data/city.demo_scene/Cube.nbl.efx: alternative 1 (priority 0), pass 2 (city.fx, technique Nite): data/fx/city.fx has no technique Nite (it has Night), so the engine passes over the alternative" ] ||
  fail "a misspelt technique in the demo's Cube: $(cat err.txt)"
rm data/fx/city.fx
run --build data/city.demo_scene/Cube.nbl.efx
[ "$status" = 1 ] || fail "the demo's Cube without city.fx: exit status $status"
grep -qx "efxinfo: data/city.demo_scene/Cube.nbl.efx: alternative 1 (priority 0), pass 2 (city.fx, technique Nite): data/fx/city.fx does not exist, so the engine leaves the pass out" err.txt ||
  fail "the demo's Cube without city.fx: $(cat err.txt)"
echo "efxinfo output as expected"
