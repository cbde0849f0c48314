float Script : STANDARDSGLOBAL < string Script = "Technique=Main;" "Pass=P0;"; > = 0.8;
BlendState Add { BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; };
DepthStencilState Mark { StencilEnable = TRUE; };
RasterizerState Both { CullMode = NONE; };
float4 VS(float4 p : POSITION) : SV_Position { return p; }
float4 PS() : SV_Target { return float4(1, 0, 0, 1); }
VertexShader Shared = compile vs_4_0 VS();
technique10 Main < string Script = "Pass=" "P0;"; > {
  pass P0 { VertexShader = compile vs_4_0 VS(); GeometryShader = NULL; PixelShader = compile ps_4_0 PS(); }
  pass P1 { VERTEXSHADER = (Shared); PixelShader = CompileShader(ps_4_0, PS());
    BlendState = Add; AB_BlendFactor = float4(0.5, 0.5, 0.5, 1); AB_SampleMask = 0xF;
    DepthStencilState = Mark; DS_StencilRef = 3; RasterizerState = (Both); }
}
