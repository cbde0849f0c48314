// The white intro: the 64 x 64 tile grid assembles to the beat. Every tile starts as a
// pale ghost lying face down; on its beat (TEXCOORD1, 0..63, picks one of the 28 beats of
// bars 0-6) it lifts, turns over and lands dark side up, exactly on the beat. In bar 7 the
// complete grid pulses once with the kick, a ring running out from the centre.
//
// Light surfaces are written as "ink" (colour 0, alpha = how much they darken the white
// clear colour) so that the glow chain, which blooms bright pixels, leaves them alone.
#include "common.fxh"

float4x4 World : World;
float4 Ink = float4(0.06, 0.06, 0.07, 1);       // the darkest tile
float4 Accent = float4(1.0, 0.32, 0.12, 1);     // the few tiles that land in colour
float4 FrameColour = float4(0.05, 0.05, 0.06, 1);

static const float BeatLength = 0.48;  // 125 beats a minute
static const float BarLength = 1.92;
static const float Flip = 0.42;         // seconds a tile takes to turn over
static const float PulseAt = 13.44;     // bar 7, the kick after the last tile

float Hash(float2 p) { return frac(sin(dot(p, float2(12.9898, 78.233))) * 43758.5453); }

struct TileIn {
  float3 position : POSITION;
  float2 lowerLeft : TEXCOORD0;
  uint random : TEXCOORD1;
};

struct Tile {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
  float3 normal : NORMAL;          // of the dark face
  float4 colour : COLOUR;          // the dark face's colour, alpha: the accent's share
  float2 corner : CORNER;          // -1..1 across the tile
  float glow : GLOW;               // the pulse's light
};

float3 RotateAbout(float3 v, float3 axis, float angle) {
  float s = sin(angle), c = cos(angle);
  return v * c + cross(axis, v) * s + axis * dot(axis, v) * (1 - c);
}

Tile GridVS(TileIn input) {
  Tile o;
  float t = Time;
  float2 ll = float2(input.lowerLeft.x * 2 - 1, -input.lowerLeft.y * 2 - 1);
  float2 centre = ll + 1.0 / 64;
  float2 offset = input.position.xy - centre;
  o.corner = sign(offset);
  float3 local = float3(offset * 0.9, 0);  // the thin gap

  // Its beat: 0..27 (bars 0-6); it lands on the beat after.
  float beatIndex = floor(input.random * 28.0 / 64.0);
  float land = (beatIndex + 1) * BeatLength;
  float p = saturate((t - (land - Flip)) / Flip);
  float h = Hash(centre * 7.31);
  // Turn about x or y, either way, so the field does not flip in one direction.
  float3 axis = h < 0.25 ? float3(1, 0, 0) : h < 0.5 ? float3(-1, 0, 0) : h < 0.75 ? float3(0, 1, 0) : float3(0, -1, 0);
  float eased = p * p * (3 - 2 * p);
  float angle = 3.14159265 * (1 - eased);
  float lift = sin(3.14159265 * p) * 0.09;
  // A small settle after the landing.
  float after = max(t - land, 0);
  float settle = p >= 1 ? -0.012 * exp(-after * 14) * sin(after * 40) : 0;

  // The pulse: a ring from the centre, with the kick.
  float r = length(centre);
  float front = (t - PulseAt) * 1.6;
  float ring = t > PulseAt ? exp(-pow((r - front) * 7, 2)) * saturate(1.4 - (t - PulseAt) * 0.6) : 0;
  float kick = t > PulseAt ? (0.6 + 0.4 * Bass()) : 0;

  // Dark face is the one that points down at rest.
  float3 rotated = RotateAbout(local, axis, angle);
  float3 n = RotateAbout(float3(0, 0, 1), axis, angle);
  float3 position = float3(centre, 0) + rotated + float3(0, 0, lift + settle + ring * 0.12 * kick);
  o.world = mul(float4(position, 1), World).xyz;
  o.normal = normalize(mul(n, (float3x3)World));
  o.position = mul(mul(float4(o.world, 1), View), Projection);

  float shade = lerp(0.0, 0.22, frac(h * 13.7));
  float accent = frac(h * 91.3) < 0.025 ? 1 : 0;
  o.colour = float4(Ink.rgb + shade, accent);
  o.glow = ring * kick;
  return o;
}

float4 GridPS(Tile input, bool front : SV_IsFrontFace) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float facing = dot(n, toEye);
  float3 toLight = -normalize(LightDirection.xyz);
  // Bevel-like falloff towards the tile's edge.
  float2 e = abs(input.corner);
  if (facing < 0) {
    // The ghost side: a pale card, darker towards its edge.
    float edge = max(e.x, e.y);
    return float4(0, 0, 0, 0.07 + 0.05 * edge * edge);
  }
  float sun = saturate(dot(n, toLight));
  float3 h = normalize(toLight + toEye);
  float shine = pow(saturate(dot(n, h)), 40) * 0.35;
  float3 base = lerp(input.colour.rgb, Accent.rgb, input.colour.a);
  float3 c = base * (0.55 + 0.6 * sun) + shine;
  c = lerp(c, Accent.rgb * 0.8, input.glow * 0.55);
  return float4(c, 1);
}

// The frame: dark, lit by the sun with a soft sheen.
struct FrameIn { float3 position : POSITION; float3 normal : NORMAL; };
struct FrameOut { float4 position : SV_Position; float3 world : WORLDPOS; float3 normal : NORMAL; };

FrameOut FrameVS(FrameIn input) {
  FrameOut o;
  o.world = mul(float4(input.position, 1), World).xyz;
  o.normal = normalize(mul(input.normal, (float3x3)World));
  o.position = mul(mul(float4(o.world, 1), View), Projection);
  return o;
}

float4 FramePS(FrameOut input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float sun = saturate(dot(n, toLight));
  float shine = pow(saturate(dot(n, normalize(toLight + toEye))), 30) * 0.25;
  // The kick of bar 7 catches it as a brief grey sheen.
  float pulse = Time > PulseAt ? exp(-(Time - PulseAt) * 5) * 0.12 : 0;
  return float4(FrameColour.rgb * (0.6 + 0.8 * sun) + shine + pulse, 1);
}

technique10 Grid {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, GridVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, GridPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 Frame {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, FrameVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, FramePS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
