// Lit surfaces: the part's sun, a sky-and-ground ambient, a rim towards the camera and,
// in the Shadowed technique, the lamp's cascaded shadows.
#include "common.fxh"
#include "shadow.fxh"

float4x4 World : World;
float4 Colour = float4(0.8, 0.8, 0.8, 1);
float4 Sky = float4(0.35, 0.38, 0.45, 1);     // ambient from above
float4 Ground = float4(0.12, 0.11, 0.10, 1);  // ambient from below
float4 Rim = float4(0, 0, 0, 0);              // rgb and strength
float Sunlight = 1;

struct SurfaceIn { float3 position : POSITION; float3 normal : NORMAL; };
struct Surface {
  float4 position : SV_Position;
  float4 world : WORLDPOS;
  float3 normal : NORMAL;
  float depth : VIEWDEPTH;
};

Surface VS(SurfaceIn input) {
  Surface o;
  o.world = mul(float4(input.position, 1), World);
  o.normal = normalize(mul(input.normal, (float3x3)World));
  float4 view = mul(o.world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  return o;
}

float3 Shade(Surface input, float shadow) {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world.xyz);
  float sun = saturate(dot(n, toLight)) * shadow * Sunlight;
  float3 ambient = lerp(Ground.rgb, Sky.rgb, n.z * 0.5 + 0.5);
  float rim = pow(1 - saturate(dot(n, toEye)), 3) * Rim.a;
  return Colour.rgb * (ambient + sun) + Rim.rgb * rim;
}

float4 PlainPS(Surface input) : SV_Target { return float4(Shade(input, 1), 1); }
float4 ShadowedPS(Surface input) : SV_Target { return float4(Shade(input, Shadowed(input.world, input.depth)), 1); }

technique10 Plain {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PlainPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 Shadowed {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, ShadowedPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
