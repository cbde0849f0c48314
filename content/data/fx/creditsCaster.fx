// The credits' words cast the lamp's shadow with their blocks where Reveal has put
// them; otherwise as shadow.fx: depth only, three instances, one cascade each. (A file of
// its own: two geometry shaders that emit to different streams in one effect source stop
// the compiler.)
#include "common.fxh"
#include "creditsWord.fxh"

struct CasterIn { float4 world : POSITION; uint slice : SLICE; };
struct CasterOut { float4 position : SV_Position; uint slice : SV_RenderTargetArrayIndex; };

CasterIn CasterVS(float3 position : POSITION, uint instance : SV_InstanceID) {
  CasterIn o;
  float arrival;
  o.world = mul(float4(Assemble(position, arrival), 1), World);
  o.slice = instance;
  return o;
}

[maxvertexcount(3)]
void CasterGS(triangle CasterIn input[3], inout TriangleStream<CasterOut> stream) {
  for (int k = 0; k < 3; ++k) {
    CasterOut o;
    o.position = mul(input[k].world, SplitProjection[input[0].slice]);
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
