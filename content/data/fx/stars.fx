// The night sky of the city and the star field: camera-facing points on a shell far
// out, most of them faint, a few bright enough to glow. Technique Flares adds a
// geometry shader that gives the brightest stars four long spikes; Points is the same
// sky without them, for devices that run no geometry shaders.
#include "common.fxh"

float4x4 World : World;
float Size = 1;        // scales every star's sprite
float Horizon = 0.06;  // sine of the elevation (in the shell's own frame) below which stars fade out

struct StarIn {
  float3 centre : POSITION;
  float2 uv : TEXCOORD0;
  float3 corner : TEXCOORD1;  // xy: the sprite's corner offset; z: the star's number / 1024
};

struct Star {
  float4 position : SV_Position;
  float2 uv : TEXCOORD0;      // -1..1 over the sprite
  float3 colour : COLOUR;     // brightness included
  float kind : KIND;          // 0 the star's disc, 1 a spike (long along uv.x)
};

// What the geometry shader needs before the sprite is made: the centre in view space
// and the star's look.
struct StarPoint {
  float4 view : VIEWPOS;
  float2 corner : CORNER;
  float2 uv : TEXCOORD0;
  float4 look : LOOK;  // rgb colour, a: sprite scale
};

float Hash(float n) { return frac(sin(n * 12.9898) * 43758.5453); }

// A star's colour and brightness (rgb) and sprite scale (a) from its number. Brightness
// falls off steeply, so only a handful of stars are big; each twinkles slowly on its own
// phase, and the beat lifts the bright ones a little.
float4 Look(float k, float3 centre) {
  float r = Hash(k * 7.13 + 0.5);
  float magnitude = pow(r, 9);
  float twinkle = 0.78 + 0.22 * sin(Time * (0.9 + 2.1 * Hash(k + 3.7)) + 6.283 * Hash(k + 9.1));
  float3 cold = float3(0.62, 0.74, 1.0), warm = float3(1.0, 0.82, 0.62);
  float3 tint = lerp(cold, warm, step(0.86, Hash(k + 1.3)) * 0.8);
  float brightness = (0.35 + 0.5 * Hash(k + 5.3) + 2.6 * magnitude) * twinkle;
  float elevation = centre.z / length(centre);
  brightness *= smoothstep(Horizon - 0.05, Horizon + 0.1, elevation);
  float scale = (0.55 + 0.6 * magnitude + 1.5 * step(0.965, r)) * Size;
  return float4(tint * brightness, scale);
}

StarPoint PointVS(StarIn input) {
  StarPoint o;
  float k = input.corner.z * 1024;
  o.look = Look(k, input.centre);
  o.view = mul(mul(float4(input.centre, 1), World), View);
  o.corner = input.corner.xy;
  o.uv = input.uv * 2 - 1;
  return o;
}

Star Emit(StarPoint p, float2 offset, float2 uv, float3 colour, float kind) {
  Star o;
  o.position = mul(float4(p.view.xyz + float3(offset, 0), 1), Projection);
  o.uv = uv;
  o.colour = colour;
  o.kind = kind;
  return o;
}

// Each of the sprite's two triangles sends its own half of the disc and, for a bright
// star, its half of a horizontal and a vertical spike, so the halves meet again.
[maxvertexcount(9)]
void FlaresGS(triangle StarPoint input[3], inout TriangleStream<Star> stream) {
  float4 look = input[0].look;
  for (int i = 0; i < 3; ++i) stream.Append(Emit(input[i], input[i].corner * look.a, input[i].uv, look.rgb, 0));
  stream.RestartStrip();
  float bright = dot(look.rgb, float3(0.3, 0.59, 0.11));
  if (look.a < 1.5 || bright < 1.2) return;
  float3 spike = look.rgb * 0.32;
  for (int j = 0; j < 3; ++j) {
    float2 c = input[j].corner * look.a;
    stream.Append(Emit(input[j], float2(c.x * 3.5, c.y * 0.3), input[j].uv, spike, 1));
  }
  stream.RestartStrip();
  for (int n = 0; n < 3; ++n) {
    float2 c = input[n].corner * look.a;
    stream.Append(Emit(input[n], float2(c.x * 0.3, c.y * 3.5), input[n].uv.yx, spike, 1));
  }
}

Star PointsVS(StarIn input) {
  StarPoint p = PointVS(input);
  return Emit(p, p.corner * p.look.a, p.uv, p.look.rgb, 0);
}

// A sharp core in a soft halo; a spike fades along its length and across it. Colour is
// premultiplied and added; alpha only marks the pixel as drawn (blend MAX, below), so
// the grade keeps the sky's colour as it is on the black of these parts.
float4 StarPS(Star input) : SV_Target {
  float2 d = input.uv;
  float r2 = dot(d, d);
  float disc = exp(-r2 * 14) + 0.25 * exp(-r2 * 4);
  float spike = pow(saturate(1 - abs(d.x)), 3) * saturate(1 - abs(d.y));
  float f = input.kind > 0.5 ? spike : disc;
  f *= saturate(1 - r2 * (1 - input.kind));
  return float4(input.colour * f, saturate(f * 20));
}

BlendState AddMarked {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = ONE; BlendOpAlpha = MAX;
};

technique10 Flares {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, PointVS()));
    SetGeometryShader(CompileShader(gs_4_0, FlaresGS()));
    SetPixelShader(CompileShader(ps_4_0, StarPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthTest, 0);
    SetBlendState(AddMarked, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 Points {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, PointsVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, StarPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthTest, 0);
    SetBlendState(AddMarked, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
