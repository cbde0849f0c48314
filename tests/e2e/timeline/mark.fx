// A solid red square drawn straight in clip space at its object's x and y, so a test can
// tell from a pixel which object, and so which part, is on screen; no camera involved.
#include "mark_colour.fxh"

float4x4 World : World;

RasterizerState Solid { FillMode = SOLID; CullMode = NONE; };
DepthStencilState NoDepth { DepthEnable = FALSE; };

float4 VS(float3 position : POSITION) : SV_Position {
  return float4(position.xy * 0.12 + World[3].xy, 0.5, 1);
}

float4 PS() : SV_Target { return MARK_COLOUR; }

technique10 Mark {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(Solid);
    SetDepthStencilState(NoDepth, 0);
  }
}
