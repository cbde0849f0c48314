#line 1 "techniques.fx"
struct S { float a; float3 b; };
cbuffer Frame < string Object = "Lamp"; > { float4x4 World : World; row_major float3x4 Bones[2]; S s; int2 i; };
shared float4 Tint = float4(1, 0.5, -2, 0x10);
Texture2DArray ShadowMap;
SamplerComparisonState Cmp { Filter = COMPARISON_MIN_MAG_MIP_POINT; AddressU = CLAMP; ComparisonFunc = LESS; };
BlendState Add { BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; RenderTargetWriteMask[0] = 0x0F; };
DepthStencilState D { DepthEnable = FALSE; };
RasterizerState R { CullMode = NONE; };
float4 VS(float4 p : POSITION, uniform bool flip) : SV_Position { return p; }
[maxvertexcount(3)] void GS(triangle float4 p[3] : SV_Position, inout TriangleStream<float4> s) {}
float4 PS() : SV_Target { return Tint; }
VertexShader vs = CompileShader(vs_4_0, VS(true));
technique10 Blur < bool quad = true; string material = "blur"; > {
  pass P0 < int order = 3; > { SetVertexShader(vs); SetGeometryShader(CompileShader(gs_4_0, GS()));
    SetPixelShader(CompileShader(ps_4_0, PS())); SetBlendState(Add, float4(0, 0, 0, 0), 0xFFFFFFFF);
    SetDepthStencilState(D, 0); SetRasterizerState(R); }
  pass P1 { SetVertexShader(CompileShader(vs_5_0, VS(false))); SetGeometryShader(NULL); SetPixelShader(NULL); }
}
