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
float4 Wall = float4(0.22, 0.25, 0.34, 1);
float4 Window = float4(1.0, 0.72, 0.38, 1);
float4 Sky = float4(0.05, 0.07, 0.14, 1);
float Moon = 0.75;
struct BlockIn { float3 position : POSITION; float3 normal : NORMAL; uint number : TEXCOORD1; };
struct Block {
  float4 position : SV_Position;
  float4 world : WORLDPOS;
  float3 normal : NORMAL;
  float depth : VIEWDEPTH;
  nointerpolation uint number : NUMBER;
};
Block VS(BlockIn input) {
  Block o;
  o.world = mul(float4(input.position, 1), World);
  o.normal = normalize(mul(input.normal, (float3x3)World));
  float4 view = mul(o.world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  o.number = input.number;
  return o;
}
float Hash(float n) { return frac(sin(n * 12.9898) * 43758.5453); }
float4 PS(Block input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float shadow = Shadowed(input.world, input.depth);
  float3 c = Wall.rgb * (Sky.rgb * (0.6 + 0.4 * n.z) + saturate(dot(n, toLight)) * shadow * Moon);
  float wall = 1 - abs(n.z);
  float along = abs(n.x) > abs(n.y) ? input.world.y : input.world.x;
  float2 cell = frac(float2(along * 2.2, input.world.z * 1.6));
  float pane = step(0.22, cell.x) * step(cell.x, 0.78) * step(0.3, cell.y) * step(cell.y, 0.8) * wall;
  float bar = floor(Time / 1.92);
  float on = step(0.58, Hash(input.number + floor(along * 1.1) * 7.1 + floor(input.world.z * 1.6) * 3.3 +
                             step(0.85, Hash(input.number * 1.7)) * bar));
  float warmth = 0.6 + 0.4 * Hash(input.number * 3.1);
  c += pane * on * Window.rgb * warmth * 1.4;
  c += pane * (1 - on) * float3(0.02, 0.03, 0.06);
  float fog = saturate((input.depth - 25) / 90);
  c = lerp(c, Sky.rgb * 0.5, fog);
  return float4(c, 1);
}
technique10 Night {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
