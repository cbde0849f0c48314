// The star field's planet: a banded sphere lit from behind, so most of what faces the
// camera is night side; the lit crescent warms towards the terminator, and a thin
// atmosphere rim lights up where the sun grazes it.
#include "common.fxh"

float4x4 World : World;
float Radius = 1;
float Spin = 0.015;  // turns a second of the bands about the planet's axis

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
  float3 night = float3(0.012, 0.018, 0.040) * (0.5 + 0.7 * bands);

  // The atmosphere: thin, bright where the sun is behind it, a faint cold line elsewhere.
  float edge = pow(1 - facing, 5);
  float behind = saturate(dot(-toEye, toLight) * 0.5 + 0.5);
  float3 rim = float3(0.55, 0.72, 1.0) * edge * (0.12 + 2.6 * saturate(light + 0.35) * behind);
  return float4(night + lit + rim, 1);
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
