// The white points part (bars 0-19 from 15.36 s of music).
//   Grid      the 256 x 256 ring grid: pale tiles that rise and darken where the
//             spectrum (ring number -> bin) and a wave from the centre on every beat lift them
//   Cubes     256 black cubes that fall in on the beats of bars 0-6 and bounce on the kick;
//             three instances: the cube, its shadow on the grid, a motion echo
//   Flashes   grid tiles of the centre that flash orange on the snare (from bar 8)
//   Bubbles   ink-outlined bubbles over the centre that grow and pop on the snare (from bar 8)
//   Electric  the spiral of glowing billboards that grows from bar 14, flickering with the treble
//
// Light surfaces are written as "ink" over the white clear colour: colour and coverage
// (alpha), so that only the few bright things (flashes, the spiral's core) feed the glow.
#include "common.fxh"

float4x4 World : World;
float4 Accent = float4(1.0, 0.32, 0.12, 1);
float4 Spark = float4(0.08, 0.36, 1.0, 1);

static const float Start = 15.36;       // the part's first frame, in seconds of music
static const float BeatLength = 0.48;
static const float BarLength = 1.92;
static const float PI = 3.14159265;

float PartTime() { return Time - Start; }
float Beats() { return max(PartTime(), 0) / BeatLength; }
float Hash(float2 p) { return frac(sin(dot(p, float2(12.9898, 78.233))) * 43758.5453); }
float Hash1(float x) { return frac(sin(x * 91.345) * 47453.5453); }

BlendState Ink {
  BlendEnable[0] = TRUE; SrcBlend = SRC_ALPHA; DestBlend = INV_SRC_ALPHA; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = INV_SRC_ALPHA; BlendOpAlpha = ADD;
};

// The wave that runs out from the centre on every beat, at distance r.
float BeatWave(float r) {
  float f = frac(Beats());
  float front = f * BeatLength * 13.0;
  float w = exp(-pow((r - front) * 0.9, 2)) * exp(-front * 0.22);
  return PartTime() < 0 ? 0 : w;
}

// The spectrum's lift of ring `ring` (10 near the centre to about 480 at the corners).
float SpectrumLift(float ring) {
  float s = Spectrum(ring);
  return saturate(s * (2 + ring / 40.0));
}

// How far the grid stands up at world xy: the beat's wave and the spectrum.
float RingOf(float2 xy) { return dot(xy * 12.8, xy * 12.8) / 70.0 + 10.0; }
float Lift(float2 xy, float ring) {
  float r = length(xy);
  float grow = saturate(PartTime() / BarLength);
  return (BeatWave(r) * 0.45 + SpectrumLift(ring) * 0.55) * (0.4 + 0.6 * grow);
}

float3 Sun() { return -normalize(LightDirection.xyz); }
float3 Eye() { return ViewInverse[3].xyz; }
float4 Project(float3 world) { return mul(mul(float4(world, 1), View), Projection); }

// ---------------------------------------------------------------- the ring grid
struct GridIn {
  float3 position : POSITION;
  float2 corner : TEXCOORD0;
  float2 centre : TEXCOORD1;
  uint ring : TEXCOORD2;
};
struct GridOut {
  float4 position : SV_Position;
  float4 colour : COLOUR;
  float2 corner : CORNER;
};

GridOut GridVS(GridIn input) {
  GridOut o;
  float2 centre = float2(input.centre.x * 20 - 10, -input.centre.y * 20 - 10);
  // The middle 64 x 64 tiles start as the intro's finished grid, dark side up, and go
  // pale a batch a beat over the first two bars.
  float2 a = abs(centre);
  float th = Hash(centre * 3.7 + 0.3);
  float dark = max(a.x, a.y) < 2.5 && th * 8 > floor(Beats()) ? 1 : 0;
  float2 local = (input.position.xy - centre) * lerp(0.82, 0.9, dark);
  float lift = Lift(centre, input.ring);
  float3 world = float3(centre + local, lift * 0.9);
  o.position = Project(world);
  o.corner = input.corner * 2 - 1;
  // Pale where flat, ink where high; the highest take the accent. Far tiles fade out.
  float r = length(centre);
  float edge = saturate((r - 6.5) / 3.5);
  float far = saturate(1.6 - length(Eye() - world) / 11);
  float band = (input.ring & 1) ? 1.0 : 0.7;  // every other ring a shade lighter
  float ink = saturate((0.08 + lift * 1.6) * band + BeatWave(r) * 0.5) * (1 - edge * 0.75) * far;
  // The beat's wave front lights its ring in the accent.
  float3 c = lerp(float3(0.1, 0.1, 0.11), Accent.rgb, saturate(max((lift - 0.6) * 3, BeatWave(r) * 1.2 - 0.2)));
  float3 tile = float3(0.06, 0.06, 0.07) + lerp(0.0, 0.22, frac(th * 13.7));
  if (frac(th * 91.3) < 0.025) tile = Accent.rgb;
  o.colour = dark > 0 ? float4(tile, 1) : float4(c, ink);
  return o;
}

float4 GridPS(GridOut input) : SV_Target { return input.colour; }

// ---------------------------------------------------------------- the cube field
struct CubeIn {
  float3 position : POSITION;
  float3 normal : NORMAL;
  float3 cell : TEXCOORD1;
  uint ring : TEXCOORD2;
  uint instance : SV_InstanceID;
};
struct CubeOut {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
  float3 normal : NORMAL;
  float4 colour : COLOUR;
  float kind : KIND;  // 0 the cube, 1 its shadow, 2 the echo
};

float3 RotateZ(float3 v, float a) { float s = sin(a), c = cos(a); return float3(c * v.x - s * v.y, s * v.x + c * v.y, v.z); }

// The cube's centre and turn at part time t.
float4 CubeAt(float2 xy, float k, float h, float t) {
  float beats = max(t, 0) / BeatLength;
  float land = (2 + floor(k * 24)) * BeatLength;
  float fall = 0.9;
  float p = saturate((t - (land - fall)) / fall);
  float ground = Lift(xy, RingOf(xy)) * 0.9 + 0.125;
  float z = ground + 16 * (1 - p * p);
  float turn = (1 - p) * (h - 0.5) * 8;
  if (t > land) {
    // Bounce: every beat from the kick, higher in the middle of the part.
    float f = frac(beats);
    float bar = t / BarLength;
    float amp = (0.25 + 0.6 * h) * (bar < 8 ? 0.6 : bar < 14 ? 1.2 : 0.9) * saturate((t - land) / BeatLength);
    z += amp * 4 * f * (1 - f);
    turn += floor(beats) * (h > 0.5 ? 0.5 : -0.5) * PI * 0.5 + f * f * (3 - 2 * f) * (h > 0.5 ? 0.5 : -0.5) * PI * 0.5;
  }
  return float4(xy, z, p > 0 ? turn : -1000);
}

CubeOut CubesVS(CubeIn input) {
  CubeOut o;
  float2 xy = float2((input.cell.x * 64 - 0.5) / 3.2 - 10, (-input.cell.y * 64 - 0.5) / 3.2 - 10);
  float3 local = input.position - float3(xy, 0);
  float k = saturate((-input.cell.z - 65) / 30);
  float h = Hash(xy * 0.37 + 1.3);
  float t = PartTime();
  float4 at = CubeAt(xy, k, h, input.instance == 2 ? t - 0.07 : t);
  float visible = at.w > -999 ? 1 : 0;
  float f = frac(Beats());
  // A squash on the kick, once it has landed.
  float landed = t > (2 + floor(k * 24)) * BeatLength ? 1 : 0;
  float squash = 1 - 0.3 * exp(-f * 14) * landed;
  float3 shaped = RotateZ(local, at.w) * float3(1 / sqrt(squash), 1 / sqrt(squash), squash) * visible;
  float3 world = at.xyz + shaped;
  world.z -= 0.125 * (1 - squash);
  float3 n = RotateZ(input.normal, at.w);
  float ground = Lift(xy, RingOf(xy)) * 0.9;
  o.kind = input.instance;
  o.colour = float4(0.05, 0.05, 0.06, 1);
  if (h > 0.9) o.colour.rgb = Accent.rgb;
  if (input.instance == 1) {
    // The shadow: the cube flattened along the sun onto the grid under it.
    float3 l = Sun();
    world = world - l * ((world.z - ground - 0.01) / l.z);
    float height = at.z - ground;
    o.colour = float4(0.1, 0.1, 0.12, saturate(0.45 - height * 0.05) * visible);
  } else if (input.instance == 2) {
    // The echo trails only while the cube moves fast.
    float falling = t < (2 + floor(k * 24)) * BeatLength ? 1 : 0;
    float speed = abs(at.z - CubeAt(xy, k, h, t).z);
    o.colour.a = saturate(speed * 2) * 0.2 * visible * falling;
    if (o.colour.a < 0.002) world = at.xyz;  // nothing to draw: every corner in one point
  }
  o.world = world;
  o.normal = n;
  o.position = Project(world);
  return o;
}

float4 CubesPS(CubeOut input) : SV_Target {
  if (input.kind > 0.5) return input.colour;
  float3 n = normalize(input.normal);
  float3 toEye = normalize(Eye() - input.world);
  float sun = saturate(dot(n, Sun()));
  float sky = n.z * 0.5 + 0.5;
  float shine = pow(saturate(dot(n, normalize(Sun() + toEye))), 30) * 0.3;
  float3 c = input.colour.rgb * (0.6 + 0.9 * sun) + 0.05 * sky + shine;
  return float4(c, 1);
}

// ---------------------------------------------------------------- the flashes
struct FlashIn { float3 position : POSITION; float3 uv : TEXCOORD0; };
struct FlashOut { float4 position : SV_Position; float4 colour : COLOUR; float2 uv : TEXCOORD0; };

float Entrance(float bars) { return saturate((PartTime() / BarLength - bars) * 2); }

FlashOut FlashesVS(FlashIn input) {
  FlashOut o;
  float2 centre = input.position.xy + (0.5 - input.uv.xy) * 0.078125;
  float2 local = (input.position.xy - centre) * 0.82;
  // Each snare lights another fifth of them; the light dies within the beat.
  float beats = Beats();
  float sinceSnare = frac((beats - 1) / 2) * 2;  // beats since the last snare (beats 1 and 3)
  float hit = floor((beats - 1) / 2);
  float block = Hash(floor(centre / 0.3125) + 0.5);
  float chosen = frac(block + hit * 0.618) < 0.22 && input.uv.z < 0.8 ? 1 : 0;
  float r = length(centre);
  float light = exp(-sinceSnare * 3.5) * chosen * Entrance(8) * saturate(1.3 - r / 3.2);
  light *= 0.6 + 0.6 * Snare();
  float lift = Lift(centre, RingOf(centre)) * 0.9;
  float3 world = float3(centre + local * (light > 0.02 ? 1 : 0), lift + 0.01 + light * 0.12);
  o.position = Project(world);
  o.colour = float4(Accent.rgb * (0.8 + 2.2 * light), saturate(light * 2));
  o.uv = input.uv.xy;
  return o;
}

float4 FlashesPS(FlashOut input) : SV_Target { return input.colour; }

// ---------------------------------------------------------------- the bubbles
struct BubbleIn { float3 position : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct BubbleOut { float4 position : SV_Position; float2 uv : TEXCOORD0; float4 look : LOOK; };

BubbleOut BubblesVS(BubbleIn input) {
  BubbleOut o;
  float2 xy = input.position.xy;
  float h = Hash(xy * 3.1 + 0.7);
  float h2 = Hash(xy * 1.7 + 4.1);
  float used = h2 < 0.09 ? 1 : 0;
  // Four groups, each popping on every fourth snare: a bubble lives eight beats.
  float group = floor(h * 4);
  float snares = (Beats() - 1) / 2;
  float life = frac((snares - group) / 4);
  float justPopped = life < 0.06 ? 1 : 0;
  float size = (0.035 + 0.07 * h2 / 0.09) * (justPopped > 0 ? 1.1 + life * 12 : sqrt(life));
  float entrance = Entrance(8);
  float3 centre = float3(xy, 0.35 - input.position.z * 0.75 + life * 0.5);
  centre.z += Lift(xy, RingOf(xy)) * 0.9;
  float3 right = ViewInverse[0].xyz, up = ViewInverse[1].xyz;
  float3 world = centre + (input.normal.x * right + input.normal.y * up) * size * used * entrance;
  o.position = Project(world);
  o.uv = input.uv * 2 - 1;
  o.look = float4(justPopped, life, entrance, 0);
  return o;
}

float4 BubblesPS(BubbleOut input) : SV_Target {
  float d = length(input.uv);
  if (d > 1) discard;
  if (input.look.x > 0.5) {
    // The pop: a thin ring that fades as it spreads.
    float ring = smoothstep(0.8, 0.92, d) * (1 - smoothstep(0.94, 1.0, d));
    return float4(0.05, 0.05, 0.06, ring * (1 - input.look.y / 0.06) * 0.9);
  }
  float rim = smoothstep(0.78, 0.9, d) * (1 - smoothstep(0.95, 1.0, d));
  float fill = 0.08 + 0.15 * d * d;
  float2 glint = input.uv - float2(-0.35, 0.35);
  float spot = 1 - smoothstep(0.1, 0.2, length(glint));
  float3 c = lerp(float3(0.05, 0.05, 0.06), float3(1, 1, 1), spot);
  return float4(c, saturate(max(rim * 0.85, fill) + spot * 0.5) * input.look.z);
}

// ---------------------------------------------------------------- the electric spiral
struct SparkIn { float3 position : POSITION; float2 uv : TEXCOORD0; float3 offset : TEXCOORD1; };
struct SparkOut { float4 position : SV_Position; float2 uv : TEXCOORD0; float2 look : LOOK; };

float Treble() {
  return saturate((Spectrum(180) + Spectrum(240) + Spectrum(300) + Spectrum(360)) * 2.5);
}

SparkOut ElectricVS(SparkIn input) {
  SparkOut o;
  float q = input.offset.z;
  float grow = saturate((PartTime() / BarLength - 14) / 2.5);
  float shown = q < grow ? 1 : 0;
  float frame = floor(Time * 25);
  float treble = Treble();
  float jitter = (0.04 + 0.16 * treble);
  float3 noise = float3(Hash1(q * 13 + frame), Hash1(q * 7 + frame * 1.3), Hash1(q * 3 + frame * 0.7)) - 0.5;
  float3 centre = float3(input.position.xy, 0.7 - input.position.z * 1.1) + noise * jitter;
  float flicker = 0.15 + 0.85 * step(0.45 - treble * 0.35, Hash1(floor(q * 40) + frame * 0.37));
  // The head of the growing spiral is brightest.
  float head = exp(-abs(grow - q) * 30) * (grow < 1 ? 1 : 0);
  float late = saturate(PartTime() / BarLength - 16);  // thicker for the last bars
  float size = (0.55 + 0.5 * treble + head * 0.8 + late * 0.2) * shown;
  float3 right = ViewInverse[0].xyz, up = ViewInverse[1].xyz;
  float3 world = centre + (input.offset.x * right + input.offset.y * up) * size;
  o.position = Project(world);
  o.uv = input.uv * 2 - 1;
  o.look = float2(flicker * (0.6 + 0.8 * treble) + head, 0);
  return o;
}

float4 ElectricPS(SparkOut input) : SV_Target {
  float d = dot(input.uv, input.uv);
  if (d > 1) discard;
  float core = exp(-d * 18);
  float halo = exp(-d * 4);
  float b = input.look.x;
  // Deep blue ink on the white, a pale core that only blooms when the treble is loud.
  float3 c = lerp(Spark.rgb * 0.8, float3(0.55, 0.8, 1.0) * (0.8 + 0.6 * b), core);
  return float4(c, saturate(halo * 0.6 + core) * saturate(0.35 + b));
}

#define PASS(vs, ps, depth, blend)                            \
  pass P {                                                    \
    SetVertexShader(CompileShader(vs_4_0, vs()));             \
    SetGeometryShader(NULL);                                  \
    SetPixelShader(CompileShader(ps_4_0, ps()));              \
    SetRasterizerState(TwoSided);                             \
    SetDepthStencilState(depth, 0);                           \
    SetBlendState(blend, float4(0, 0, 0, 0), 0xFFFFFFFF);     \
  }

technique10 Grid { PASS(GridVS, GridPS, DepthOn, Opaque) }
technique10 Cubes { PASS(CubesVS, CubesPS, DepthOn, Ink) }
technique10 Flashes { PASS(FlashesVS, FlashesPS, DepthTest, Ink) }
technique10 Bubbles { PASS(BubblesVS, BubblesPS, DepthTest, Ink) }
technique10 Electric { PASS(ElectricVS, ElectricPS, DepthTest, Ink) }
