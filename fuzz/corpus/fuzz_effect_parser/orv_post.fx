shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float4x4 ViewProjection : ViewProjection;
  float4x4 ViewInverse : ViewInverse;
  float Time : Time;
  float ElapsedTime : ElapsedTime;
};
shared cbuffer Lamp {
  float4 LightDirection : Direction <string Object = "PointLight0";>;
  float4 LightPosition : Position <string Object = "PointLight0";>;
  float4x4 LightView : View <string Object = "PointLight0";>;
};
shared cbuffer Cascades {
  float4x4 SplitProjection[3] : SplitProjection <string Object = "Shadow";>;
  float3 SplitPlanes : SplitPlanes <string Object = "Shadow";>;
};
RasterizerState TwoSided { CullMode = NONE; };
RasterizerState Wire { FillMode = WIREFRAME; CullMode = NONE; };
DepthStencilState DepthOn { DepthEnable = TRUE; DepthWriteMask = ALL; DepthFunc = LESS_EQUAL; };
DepthStencilState DepthTest { DepthEnable = TRUE; DepthWriteMask = ZERO; DepthFunc = LESS_EQUAL; };
DepthStencilState DepthOff { DepthEnable = FALSE; DepthWriteMask = ZERO; };
BlendState Opaque { BlendEnable[0] = FALSE; };
BlendState Additive {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = ONE; BlendOpAlpha = ADD;
};
BlendState Over {
  BlendEnable[0] = TRUE; SrcBlend = SRC_ALPHA; DestBlend = INV_SRC_ALPHA; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = INV_SRC_ALPHA; BlendOpAlpha = ADD;
};
SamplerState Linear { Filter = MIN_MAG_MIP_LINEAR; AddressU = CLAMP; AddressV = CLAMP; };
SamplerState Point { Filter = MIN_MAG_MIP_POINT; AddressU = CLAMP; AddressV = CLAMP; };
Texture2D fft;
float Spectrum(float bin) { return fft.SampleLevel(Point, float2((bin + 0.5) / 512, 0.5), 0).r; }
float Bass() { return saturate((Spectrum(1) + Spectrum(2) + Spectrum(3)) * 0.5); }
float Snare() {
  float s = 0;
  for (int i = 0; i < 8; ++i) s += Spectrum(40 + i * 10);
  return saturate(s * 0.4);
}
Texture2D Source;
Texture2D Scene;
Texture2D Glow;
float2 Texel = float2(1.0 / 640, 1.0 / 360);
float Threshold = 0.7;
float GlowStrength = 0.8;
float4 Grade = float4(1, 1, 1, 0);
float4 Tone = float4(1, 1, 1, 1);
float Vignette = 0.25;
struct Quad { float4 position : SV_Position; float2 uv : TEXCOORD0; };
Quad QuadVS(float3 position : POSITION, float2 uv : TEXCOORD0) {
  Quad o;
  o.position = float4(position.xy, 0.5, 1);
  o.uv = float2(position.x * 0.5 + 0.5, 0.5 - position.y * 0.5);
  return o;
}
float4 BrightPS(Quad input) : SV_Target {
  float4 c = Source.SampleLevel(Linear, input.uv, 0);
  float luma = dot(c.rgb, float3(0.3, 0.59, 0.11));
  return float4(c.rgb * saturate((luma - Threshold) * 4) * c.a, 1);
}
static const float weights[5] = {0.227, 0.194, 0.121, 0.054, 0.016};
float4 Blur(float2 uv, float2 step) {
  float3 sum = Source.SampleLevel(Linear, uv, 0).rgb * weights[0];
  for (int i = 1; i < 5; ++i) {
    sum += Source.SampleLevel(Linear, uv + step * i * 1.5, 0).rgb * weights[i];
    sum += Source.SampleLevel(Linear, uv - step * i * 1.5, 0).rgb * weights[i];
  }
  return float4(sum, 1);
}
float4 BlurHPS(Quad input) : SV_Target { return Blur(input.uv, float2(Texel.x, 0)); }
float4 BlurVPS(Quad input) : SV_Target { return Blur(input.uv, float2(0, Texel.y)); }
float4 CompositePS(Quad input) : SV_Target {
  float4 scene = Scene.SampleLevel(Point, input.uv, 0);
  float3 glow = Glow.SampleLevel(Linear, input.uv, 0).rgb * GlowStrength;
  float3 c = scene.rgb * Grade.rgb;
  c = lerp(c, c * Tone.rgb, Grade.w);
  float2 d = input.uv - 0.5;
  float shade = 1 - Vignette * dot(d, d) * 2;
  return float4((c + glow) * shade * scene.a + glow * (1 - scene.a), scene.a);
}
BlendState Composite {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = INV_SRC_ALPHA; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = INV_SRC_ALPHA; BlendOpAlpha = ADD;
};
technique10 BrightPass { pass P { SetVertexShader(CompileShader(vs_4_0, QuadVS())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, BrightPS())); SetRasterizerState(TwoSided); SetDepthStencilState(DepthOff, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
technique10 BlurAcross { pass P { SetVertexShader(CompileShader(vs_4_0, QuadVS())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, BlurHPS())); SetRasterizerState(TwoSided); SetDepthStencilState(DepthOff, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
technique10 BlurDown { pass P { SetVertexShader(CompileShader(vs_4_0, QuadVS())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, BlurVPS())); SetRasterizerState(TwoSided); SetDepthStencilState(DepthOff, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
technique10 Composite { pass P { SetVertexShader(CompileShader(vs_4_0, QuadVS())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, CompositePS())); SetRasterizerState(TwoSided); SetDepthStencilState(DepthOff, 0); SetBlendState(Composite, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
float4 TriggerVS(float3 position : POSITION) : SV_Position { return float4(0, 0, 2, 1); }
float4 TriggerPS() : SV_Target { return float4(0, 0, 0, 0); }
technique10 Trigger <bool quad = true; string material = "post";> {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, TriggerVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, TriggerPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOff, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
