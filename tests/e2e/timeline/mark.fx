// A solid square drawn straight in clip space at its object's x and y, so a test can
// tell from a pixel which object, and so which part, is on screen; no camera involved.
// Red unless the included file or a material says otherwise; the Textured technique
// takes its colour from the middle of an image instead.
#include "mark_colour.fxh"

float4x4 World : World;
float4 Tint = MARK_COLOUR;
Texture2D Image;
SamplerState MarkPoint { Filter = MIN_MAG_MIP_POINT; };

RasterizerState Solid { FillMode = SOLID; CullMode = NONE; };
DepthStencilState NoDepth { DepthEnable = FALSE; };

float4 VS(float3 position : POSITION) : SV_Position {
  return float4(position.xy * 0.12 + World[3].xy, 0.5, 1);
}

float4 PS() : SV_Target { return Tint; }
float4 ImagePS() : SV_Target { return Image.Sample(MarkPoint, float2(0.5, 0.5)); }

technique10 Mark {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(Solid);
    SetDepthStencilState(NoDepth, 0);
  }
}

technique10 Textured {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, ImagePS()));
    SetRasterizerState(Solid);
    SetDepthStencilState(NoDepth, 0);
  }
}
