float4x4 WorldViewProj : WorldViewProjection;
texture DiffuseMap : DIFFUSE < string ResourceName = "default.png"; >;
textureCUBE EnvMap;
sampler2D DiffuseSampler = sampler_state {
  Texture = <DiffuseMap>;
  MinFilter = Linear; MagFilter = Linear; MipFilter = Linear;
  AddressU = Wrap; AddressV = Clamp;
};
samplerCUBE EnvSampler = sampler_state { Texture = (EnvMap); };
struct VOut { float4 pos : SV_Position; float2 uv : TEXCOORD0; float3 n : TEXCOORD1; };
VOut VS(float3 p : POSITION, float3 n : NORMAL, float2 uv : TEXCOORD0) {
  VOut o; o.pos = mul(float4(p, 1), WorldViewProj); o.uv = uv; o.n = n; return o;
}
float4 PS(VOut i) : SV_Target {
  return tex2D(DiffuseSampler, i.uv) * texCUBE(EnvSampler, i.n) + tex2Dlod(DiffuseSampler, float4(i.uv, 0, 2));
}
technique Legacy { pass P0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
technique10 Legacy { pass P0 { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, PS())); } }
