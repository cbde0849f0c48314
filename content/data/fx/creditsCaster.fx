// The credits' words cast the lamp's shadow with their blocks where Reveal and Wave have
// put them; otherwise as shadow.fx: depth only, three instances, one cascade each. (A file of
// its own: two geometry shaders that emit to different streams in one effect source stop
// the compiler.)
#include "common.fxh"
#include "creditsWord.fxh"

struct CasterIn { float4 lamp : POSITION; uint slice : SLICE; };
struct CasterOut { float4 position : SV_Position; uint slice : SV_RenderTargetArrayIndex; };

CasterIn CasterVS(float3 position : POSITION, uint instance : SV_InstanceID) {
  CasterIn o;
  // The cascades' crop projections work in the lamp's frame, not the world's.
  o.lamp = mul(mul(float4(Assemble(position).position, 1), World), LightView);
  o.slice = instance;
  return o;
}

[maxvertexcount(3)]
void CasterGS(triangle CasterIn input[3], inout TriangleStream<CasterOut> stream) {
  for (int k = 0; k < 3; ++k) {
    CasterOut o;
    o.position = mul(input[k].lamp, SplitProjection[input[0].slice]);
    o.slice = input[0].slice;
    stream.Append(o);
  }
}

technique10 Caster {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, CasterVS()));
    SetGeometryShader(CompileShader(gs_4_0, CasterGS()));
    SetPixelShader(NULL);
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
