// The fallback look: white lines over whatever the mesh is.
#include "shared.fxh"

float4x4 World : World;

RasterizerState Lines { FillMode = WIREFRAME; CullMode = NONE; };

float4 VS(float3 position : POSITION) : SV_Position {
  return mul(mul(mul(float4(position, 1), World), View), Projection);
}

float4 PS() : SV_Target { return float4(1, 1, 1, 1); }

technique10 Wire {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(Lines);
  }
}
