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
Texture2DArray ShadowMap;
float Shadowed(float4 world, float viewDepth) {
  int slice = viewDepth < SplitPlanes.x ? 0 : viewDepth < SplitPlanes.y ? 1 : 2;
  if (viewDepth > SplitPlanes.z) return 1;
  float4 light = mul(mul(world, LightView), SplitProjection[slice]);
  float2 uv = float2(light.x * 0.5 + 0.5, 0.5 + light.y * 0.5);
  if (any(uv < 0) || any(uv > 1) || light.z > 1) return 1;
  float bias = 0.0015 * (slice + 1);
  float texel = 1.0 / 1024;
  float lit = 0;
  for (int y = -1; y <= 1; ++y) {
    for (int x = -1; x <= 1; ++x) {
      float depth = ShadowMap.SampleLevel(Point, float3(uv + float2(x, y) * texel, slice), 0).r;
      lit += light.z - bias <= depth ? 1 : 0;
    }
  }
  return lit / 9;
}
float4x4 World : World;
float4 Colour = float4(0.8, 0.8, 0.8, 1);
float4 Sky = float4(0.35, 0.38, 0.45, 1);
float4 Ground = float4(0.12, 0.11, 0.10, 1);
float4 Rim = float4(0, 0, 0, 0);
float Sunlight = 1;
struct SurfaceIn { float3 position : POSITION; float3 normal : NORMAL; };
struct Surface {
  float4 position : SV_Position;
  float4 world : WORLDPOS;
  float3 normal : NORMAL;
  float depth : VIEWDEPTH;
};
Surface VS(SurfaceIn input) {
  Surface o;
  o.world = mul(float4(input.position, 1), World);
  o.normal = normalize(mul(input.normal, (float3x3)World));
  float4 view = mul(o.world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  return o;
}
float3 Shade(Surface input, float shadow) {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world.xyz);
  float sun = saturate(dot(n, toLight)) * shadow * Sunlight;
  float3 ambient = lerp(Ground.rgb, Sky.rgb, n.z * 0.5 + 0.5);
  float rim = pow(1 - saturate(dot(n, toEye)), 3) * Rim.a;
  return Colour.rgb * (ambient + sun) + Rim.rgb * rim;
}
float4 PlainPS(Surface input) : SV_Target { return float4(Shade(input, 1), 1); }
float4 ShadowedPS(Surface input) : SV_Target { return float4(Shade(input, Shadowed(input.world, input.depth)), 1); }
technique10 Plain {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PlainPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
technique10 Shadowed {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, ShadowedPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
