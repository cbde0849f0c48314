// The star field's planet: a banded sphere lit from behind, so most of what faces the
// camera is night side; the lit crescent warms towards the terminator, and a thin
// atmosphere rim lights up where the sun grazes it.
#include "common.fxh"

float4x4 World : World;
float Radius = 1;
float Spin = 0.015;  // turns a second of the bands about the planet's axis
float Pulse;         // the downbeat's glow on the rim: 1 on the bar line, ebbing to 0 (the object's curve)
float Swell;         // the snare roll's build into the next part: 0 calm, 1 full (the object's curve)
float Halo = 1.3;    // the atmosphere shell's radius, in planet radii: room for the widest glow

struct PlanetIn { float3 position : POSITION; float3 normal : NORMAL; };
struct PlanetOut {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
  float3 normal : NORMAL;
  float3 local : LOCAL;  // the unit sphere's point, for the bands
};

PlanetOut VS(PlanetIn input) {
  PlanetOut o;
  float4 world = mul(float4(input.position * Radius, 1), World);
  o.world = world.xyz;
  o.normal = normalize(mul(input.normal, (float3x3)World));
  o.local = input.position;
  o.position = mul(world, ViewProjection);
  return o;
}

float4 PS(PlanetOut input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float facing = saturate(dot(n, toEye));
  float light = dot(n, toLight);

  // Bands of latitude, wavering with longitude as they turn.
  float longitude = atan2(input.local.y, input.local.x) + Time * Spin * 6.283;
  float latitude = input.local.z + 0.04 * sin(longitude * 3 + input.local.z * 5);
  float bands = 0.5 + 0.5 * sin(latitude * 17 + 0.6 * sin(latitude * 5 + longitude));
  float3 surface = lerp(float3(0.26, 0.33, 0.52), float3(0.50, 0.56, 0.72), bands);

  float day = saturate(light);
  float terminator = saturate(1 - abs(light) * 3);
  float3 lit = surface * day * 1.1 + float3(0.75, 0.42, 0.36) * terminator * saturate(light + 0.15) * 0.35;
  // Starlight and the glow of the rim lift the night side just enough for its bands to
  // show turning when the planet fills the view.
  float3 night = float3(0.016, 0.024, 0.052) * (0.35 + 1.1 * bands) * (0.6 + 0.4 * facing);

  // The atmosphere: thin, bright where the sun is behind it, a faint cold line elsewhere.
  float edge = pow(1 - facing, 5);
  float behind = saturate(dot(-toEye, toLight) * 0.5 + 0.5);
  // On a downbeat it flares and widens a little, warmest where the sun is behind it.
  float flare = Pulse * pow(1 - facing, 3) * (0.25 + 1.6 * behind * saturate(light + 0.6));
  float3 rim = float3(0.55, 0.72, 1.0) * edge * (0.12 + 2.6 * saturate(light + 0.35) * behind)
             + float3(0.95, 0.72, 0.55) * flare;
  return float4(night + lit + rim, 1);
}

// The atmosphere seen edge-on, outside the disc: the rim alone is a pixel wide, too thin
// to carry the light when the planet hides the sun. Drawn on a shell round the planet,
// each pixel works out how close its view ray passes to the surface, so the glow has no
// facets and fades out before the shell's edge.
struct HaloOut {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
};

HaloOut HaloVS(PlanetIn input) {
  HaloOut o;
  float4 world = mul(float4(input.position * Radius * Halo, 1), World);
  o.world = world.xyz;
  o.position = mul(world, ViewProjection);
  return o;
}

float4 HaloPS(HaloOut input) : SV_Target {
  float3 centre = mul(float4(0, 0, 0, 1), World).xyz;
  float3 eye = ViewInverse[3].xyz;
  float3 ray = normalize(input.world - eye);
  float3 closest = eye + ray * dot(centre - eye, ray);
  float3 offset = closest - centre;
  float height = (length(offset) - Radius) / Radius;  // of the ray above the surface, in radii
  float3 n = offset / max(length(offset), 1e-4);
  float3 toLight = -normalize(LightDirection.xyz);

  // Thin and cold where the sun is not behind it; deep and warm on the downbeat and as
  // the roll builds, beating with the snare as it does.
  float width = 0.035 + 0.05 * Pulse + 0.08 * Swell;
  float outside = exp(-max(height, 0) / width) * saturate(1 - height / (Halo - 1));
  float inside = saturate(1 + height / 0.02);  // over the disc it ends just inside the limb
  float behind = saturate(dot(ray, toLight) * 0.5 + 0.5);
  float sunSide = saturate(dot(n, toLight) + 0.45);
  float strength = (0.1 + 1.3 * sunSide * behind * behind) * (0.6 + 1.1 * Pulse + Swell * (2.2 + 1.5 * Snare()));
  float warm = saturate(0.35 * Pulse + 0.9 * Swell) * saturate(dot(n, toLight) * 1.5);
  float3 colour = lerp(float3(0.45, 0.62, 1.0), float3(1.0, 0.72, 0.48), warm);
  float glow = outside * inside * strength;
  return float4(colour * glow, saturate(glow * 6));
}

// The glow's light adds to what is behind it; alpha keeps the largest, as the sky's does.
BlendState HaloBlend {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = ONE; BlendOpAlpha = MAX;
};

technique10 Halo {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, HaloVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, HaloPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthTest, 0);
    SetBlendState(HaloBlend, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 Planet {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
