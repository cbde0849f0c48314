float4 blendFactor = float4(0.5, 0.5, 0.5, 1);
uint coverage = 0xFFFFFFFF;
int stencilId = 1;
BlendState ByFactor { BlendEnable[0] = TRUE; SrcBlend = BLEND_FACTOR; DestBlend = INV_BLEND_FACTOR; };
DepthStencilState Mark { StencilEnable = TRUE; FrontFaceStencilFunc = ALWAYS; FrontFaceStencilPass = REPLACE; };
float4 VS(float4 p : POSITION) : SV_Position { return p; }
float4 PS() : SV_Target { return 1; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS()));
  SetBlendState(ByFactor, blendFactor, coverage); SetDepthStencilState(Mark, stencilId); } }
