// Shadow casters: depth only, into all three cascades of "ShadowMap" at once (the pass
// draws three instances; the geometry shader sends each to its cascade's slice).
#include "common.fxh"

float4x4 World : World;

struct CasterIn { float4 lamp : POSITION; uint slice : SLICE; };
struct CasterOut { float4 position : SV_Position; uint slice : SV_RenderTargetArrayIndex; };

CasterIn VS(float3 position : POSITION, uint instance : SV_InstanceID) {
  CasterIn o;
  o.lamp = mul(mul(float4(position, 1), World), LightView);
  o.slice = instance;
  return o;
}

[maxvertexcount(3)]
void GS(triangle CasterIn input[3], inout TriangleStream<CasterOut> stream) {
  for (int k = 0; k < 3; ++k) {
    CasterOut o;
    o.position = mul(input[k].lamp, SplitProjection[input[0].slice]);
    o.slice = input[0].slice;
    stream.Append(o);
  }
}

technique10 Cascades {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(CompileShader(gs_4_0, GS()));
    SetPixelShader(NULL);
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
