// Lit surfaces in one colour: the part's sun, a sky-and-ground ambient, a rim towards the
// camera and, in the Shadowed technique, the lamp's cascaded shadows.
#include "litSurface.fxh"

struct SurfaceIn { float3 position : POSITION; float3 normal : NORMAL; };

Surface VS(SurfaceIn input) { return Place(input.position, input.normal); }

float4 PlainPS(Surface input) : SV_Target { return float4(Shade(input, 1, Colour.rgb), 1); }
float4 ShadowedPS(Surface input) : SV_Target {
  return float4(Shade(input, ShadowAt(input), Colour.rgb), 1);
}

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
