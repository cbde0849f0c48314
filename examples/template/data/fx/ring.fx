// The ring: lit by the lamp, its colour turning round the colour wheel with Hue (0 to 1,
// the object's curve of that name) and a band of light running round it in time.
#include "shared.fxh"

float4x4 World : World;
float Hue;
float Shine = 0.6;

RasterizerState Solid { FillMode = SOLID; CullMode = BACK; };
DepthStencilState DepthOn { DepthEnable = TRUE; DepthWriteMask = ALL; DepthFunc = LESS; };

struct Lit {
  float4 position : SV_Position;
  float3 normal : NORMAL;
  float3 local : LOCAL;
};

Lit VS(float3 position : POSITION, float3 normal : NORMAL) {
  Lit o;
  o.position = mul(mul(mul(float4(position, 1), World), View), Projection);
  o.normal = mul(normal, (float3x3)World);
  o.local = position;
  return o;
}

float3 Wheel(float h) { return saturate(abs(frac(h + float3(0, 2, 1) / 3) * 6 - 3) - 1); }

float4 PS(Lit input) : SV_Target {
  float3 n = normalize(input.normal);
  float light = 0.25 + 0.75 * saturate(dot(n, -normalize(LightDirection.xyz)));
  float band = pow(saturate(cos(atan2(input.local.y, input.local.x) - Time * 2)), 24);
  return float4(Wheel(Hue) * light + Shine * band, 1);
}

technique10 Lit {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(Solid);
    SetDepthStencilState(DepthOn, 0);
  }
}
