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
RasterizerState OneSided { CullMode = BACK; };
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
  float2 uv = float2(light.x * 0.5 + 0.5, 0.5 - light.y * 0.5);
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
float4 Sky = float4(0.35, 0.38, 0.45, 1);
float4 Ground = float4(0.12, 0.11, 0.10, 1);
float Sunlight = 1;
float4 SunColour = float4(1, 1, 1, 1);
bool Shadows = true;
float4 BaseColourFactor = float4(1, 1, 1, 1);
float Metallic = 1;
float Roughness = 1;
float NormalScale = 1;
float OcclusionStrength = 1;
float4 Emissive = float4(0, 0, 0, 0);
int AlphaMode = 0;
float AlphaCutoff = 0.5;
bool Unlit = false;
Texture2D BaseColourMap;
Texture2D MetallicRoughnessMap;
Texture2D NormalMap;
Texture2D OcclusionMap;
Texture2D EmissiveMap;
float4 BaseColourSampling = float4(-1, 0, 0, 0);
float4 MetallicRoughnessSampling = float4(-1, 0, 0, 0);
float4 NormalSampling = float4(-1, 0, 0, 0);
float4 OcclusionSampling = float4(-1, 0, 0, 0);
float4 EmissiveSampling = float4(-1, 0, 0, 0);
float3 BaseColourU = float3(1, 0, 0);
float3 BaseColourV = float3(0, 1, 0);
float3 MetallicRoughnessU = float3(1, 0, 0);
float3 MetallicRoughnessV = float3(0, 1, 0);
float3 NormalU = float3(1, 0, 0);
float3 NormalV = float3(0, 1, 0);
float3 OcclusionU = float3(1, 0, 0);
float3 OcclusionV = float3(0, 1, 0);
float3 EmissiveU = float3(1, 0, 0);
float3 EmissiveV = float3(0, 1, 0);
SamplerState Smooth { Filter = MIN_MAG_MIP_LINEAR; AddressU = WRAP; AddressV = WRAP; };
SamplerState Blocky { Filter = MIN_MAG_MIP_POINT; AddressU = WRAP; AddressV = WRAP; };
static const float Pi = 3.14159265;
struct Surface {
  float4 position : SV_Position;
  float4 world : WORLDPOS;
  float3 normal : NORMAL;
  float4 tangent : TANGENT;
  float depth : VIEWDEPTH;
  float4 uv : TEXCOORD0;
  float4 colour : COLOR0;
};
Surface Vertex(float3 position, float3 normal, float4 tangent, float2 uv0, float2 uv1, float4 colour) {
  Surface o;
  o.world = mul(float4(position, 1), World);
  o.normal = normalize(mul(normal, (float3x3)World));
  o.tangent = float4(mul(tangent.xyz, (float3x3)World), tangent.w);
  float4 view = mul(o.world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  o.uv = float4(uv0, uv1);
  o.colour = colour;
  return o;
}
float3 FromDisplay(float3 display) {
  float3 c = saturate(display);
  return c <= 0.04045 ? c / 12.92 : pow((c + 0.055) / 1.055, 2.4);
}
float3 ToDisplay(float3 linearValue) {
  float3 c = max(linearValue, 0);
  return c <= 0.0031308 ? c * 12.92 : 1.055 * pow(c, 1 / 2.4) - 0.055;
}
float Address(float t, int mode, float size) {
  if (mode == 0) return t;
  if (mode == 2) t = 1 - abs(1 - (t - 2 * floor(t * 0.5)));
  return clamp(t, 0.5 / size, 1 - 0.5 / size);
}
float4 Fetch(Texture2D map, float4 sampling, float3 rowU, float3 rowV, float4 uv) {
  float3 at = float3(sampling.x > 0.5 ? uv.zw : uv.xy, 1);
  float2 t = float2(dot(rowU, at), dot(rowV, at));
  float width, height;
  map.GetDimensions(width, height);
  t = float2(Address(t.x, (int)sampling.y, width), Address(t.y, (int)sampling.z, height));
  return sampling.w > 0.5 ? map.Sample(Blocky, t) : map.Sample(Smooth, t);
}
float4 BaseColourAt(Surface input) {
  float4 base = BaseColourFactor * float4(FromDisplay(input.colour.rgb), input.colour.a);
  if (BaseColourSampling.x >= 0) {
    float4 texel = Fetch(BaseColourMap, BaseColourSampling, BaseColourU, BaseColourV, input.uv);
    base *= float4(FromDisplay(texel.rgb), texel.a);
  }
  return base;
}
float3 NormalAt(Surface input) {
  float3 n = normalize(input.normal);
  if (NormalSampling.x < 0 || dot(input.tangent.xyz, input.tangent.xyz) < 1e-12) return n;
  float3 m = Fetch(NormalMap, NormalSampling, NormalU, NormalV, input.uv).xyz * 2 - 1;
  m.xy *= NormalScale;
  float3 t = input.tangent.xyz - n * dot(n, input.tangent.xyz);
  if (dot(t, t) < 1e-12) return n;
  t = normalize(t);
  float3 b = cross(n, t) * (input.tangent.w < 0 ? -1 : 1);
  return normalize(m.x * t + m.y * b + m.z * n);
}
float3 Hemisphere(float3 direction) {
  return lerp(FromDisplay(Ground.rgb), FromDisplay(Sky.rgb), saturate(direction.z * 0.5 + 0.5));
}
float3 AmbientSpecular(float3 f0, float r, float nv) {
  const float4 c0 = float4(-1, -0.0275, -0.572, 0.022);
  const float4 c1 = float4(1, 0.0425, 1.04, -0.04);
  float4 k = r * c0 + c1;
  float a004 = min(k.x * k.x, exp2(-9.28 * nv)) * k.x + k.y;
  float2 ab = float2(-1.04, 1.04) * a004 + k.zw;
  return f0 * ab.x + ab.y;
}
float ShadowAt(Surface input, float3 n) {
  if (!Shadows) return 1;
  float3 offset = n * input.depth * 0.02;
  return Shadowed(input.world + float4(offset, 0), input.depth);
}
float4 ShadePS(Surface input) : SV_Target {
  float4 base = BaseColourAt(input);
  if (AlphaMode == 1) clip(base.a - AlphaCutoff);
  float alpha = AlphaMode == 2 ? saturate(base.a) : 1;
  if (Unlit) return float4(ToDisplay(base.rgb), alpha);
  float metallic = Metallic, roughness = Roughness;
  if (MetallicRoughnessSampling.x >= 0) {
    float4 mr = Fetch(MetallicRoughnessMap, MetallicRoughnessSampling, MetallicRoughnessU, MetallicRoughnessV, input.uv);
    roughness *= mr.g;
    metallic *= mr.b;
  }
  metallic = saturate(metallic);
  roughness = clamp(roughness, 0.03, 1);
  float occlusion = 1;
  if (OcclusionSampling.x >= 0) {
    occlusion = 1 + OcclusionStrength * (Fetch(OcclusionMap, OcclusionSampling, OcclusionU, OcclusionV, input.uv).r - 1);
  }
  float3 n = NormalAt(input);
  float3 v = normalize(ViewInverse[3].xyz - input.world.xyz);
  float nv = max(dot(n, v), 1e-4);
  float3 f0 = lerp(float3(0.04, 0.04, 0.04), base.rgb, metallic);
  float3 diffuse = base.rgb * (1 - metallic);
  float3 l = -normalize(LightDirection.xyz);
  float nl = saturate(dot(n, l));
  float3 colour = 0;
  if (nl > 0) {
    float3 h = normalize(l + v);
    float nh = saturate(dot(n, h));
    float vh = saturate(dot(v, h));
    float a2 = roughness * roughness * roughness * roughness;
    float d = a2 / (Pi * pow(nh * nh * (a2 - 1) + 1, 2));
    float visibility = 0.5 / (nl * sqrt(nv * nv * (1 - a2) + a2) + nv * sqrt(nl * nl * (1 - a2) + a2));
    float3 fresnel = f0 + (1 - f0) * pow(1 - vh, 5);
    float3 sun = Sunlight * FromDisplay(SunColour.rgb) * nl * ShadowAt(input, normalize(input.normal));
    colour += ((1 - fresnel) * diffuse + Pi * fresnel * d * visibility) * sun;
  }
  float3 r = reflect(-v, n);
  colour += occlusion * (diffuse * Hemisphere(n) + AmbientSpecular(f0, roughness, nv) * Hemisphere(r));
  if (EmissiveSampling.x >= 0) {
    colour += Emissive.rgb * FromDisplay(Fetch(EmissiveMap, EmissiveSampling, EmissiveU, EmissiveV, input.uv).rgb);
  } else {
    colour += Emissive.rgb;
  }
  return float4(ToDisplay(colour), alpha);
}
struct In_Plain { float3 position : POSITION; float3 normal : NORMAL; };
struct In_Colour { float3 position : POSITION; float3 normal : NORMAL; float4 colour : COLOR; };
struct In_UV0 { float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; };
struct In_UV0_Colour { float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; float4 colour : COLOR; };
struct In_UV1 { float3 position : POSITION; float3 normal : NORMAL; float2 uv1 : TEXCOORD1; };
struct In_UV1_Colour { float3 position : POSITION; float3 normal : NORMAL; float2 uv1 : TEXCOORD1; float4 colour : COLOR; };
struct In_UV01 { float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; float2 uv1 : TEXCOORD1; };
struct In_UV01_Colour {
  float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; float2 uv1 : TEXCOORD1; float4 colour : COLOR;
};
struct In_UV0_Tangent { float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; float4 tangent : TANGENT; };
struct In_UV0_Tangent_Colour {
  float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; float4 tangent : TANGENT; float4 colour : COLOR;
};
struct In_UV1_Tangent { float3 position : POSITION; float3 normal : NORMAL; float2 uv1 : TEXCOORD1; float4 tangent : TANGENT; };
struct In_UV1_Tangent_Colour {
  float3 position : POSITION; float3 normal : NORMAL; float2 uv1 : TEXCOORD1; float4 tangent : TANGENT; float4 colour : COLOR;
};
struct In_UV01_Tangent {
  float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; float2 uv1 : TEXCOORD1; float4 tangent : TANGENT;
};
struct In_UV01_Tangent_Colour {
  float3 position : POSITION; float3 normal : NORMAL; float2 uv0 : TEXCOORD0; float2 uv1 : TEXCOORD1; float4 tangent : TANGENT;
  float4 colour : COLOR;
};
Surface VS_Plain(In_Plain i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), float2(0, 0), float2(0, 0), float4(1, 1, 1, 1)); } technique10 Opaque_Plain { pass P { SetVertexShader(CompileShader(vs_4_0, VS_Plain())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_Plain { pass P { SetVertexShader(CompileShader(vs_4_0, VS_Plain())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_Colour(In_Colour i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), float2(0, 0), float2(0, 0), i.colour); } technique10 Opaque_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV0(In_UV0 i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), i.uv0, float2(0, 0), float4(1, 1, 1, 1)); } technique10 Opaque_UV0 { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV0 { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV0_Colour(In_UV0_Colour i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), i.uv0, float2(0, 0), i.colour); } technique10 Opaque_UV0_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV0_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV1(In_UV1 i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), float2(0, 0), i.uv1, float4(1, 1, 1, 1)); } technique10 Opaque_UV1 { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV1 { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV1_Colour(In_UV1_Colour i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), float2(0, 0), i.uv1, i.colour); } technique10 Opaque_UV1_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV1_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV01(In_UV01 i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), i.uv0, i.uv1, float4(1, 1, 1, 1)); } technique10 Opaque_UV01 { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV01 { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV01_Colour(In_UV01_Colour i) { return Vertex(i.position, i.normal, float4(0, 0, 0, 1), i.uv0, i.uv1, i.colour); } technique10 Opaque_UV01_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV01_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV0_Tangent(In_UV0_Tangent i) { return Vertex(i.position, i.normal, i.tangent, i.uv0, float2(0, 0), float4(1, 1, 1, 1)); } technique10 Opaque_UV0_Tangent { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0_Tangent())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV0_Tangent { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0_Tangent())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV0_Tangent_Colour(In_UV0_Tangent_Colour i) { return Vertex(i.position, i.normal, i.tangent, i.uv0, float2(0, 0), i.colour); } technique10 Opaque_UV0_Tangent_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0_Tangent_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV0_Tangent_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV0_Tangent_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV1_Tangent(In_UV1_Tangent i) { return Vertex(i.position, i.normal, i.tangent, float2(0, 0), i.uv1, float4(1, 1, 1, 1)); } technique10 Opaque_UV1_Tangent { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1_Tangent())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV1_Tangent { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1_Tangent())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV1_Tangent_Colour(In_UV1_Tangent_Colour i) { return Vertex(i.position, i.normal, i.tangent, float2(0, 0), i.uv1, i.colour); } technique10 Opaque_UV1_Tangent_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1_Tangent_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV1_Tangent_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV1_Tangent_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV01_Tangent(In_UV01_Tangent i) { return Vertex(i.position, i.normal, i.tangent, i.uv0, i.uv1, float4(1, 1, 1, 1)); } technique10 Opaque_UV01_Tangent { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01_Tangent())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV01_Tangent { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01_Tangent())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
Surface VS_UV01_Tangent_Colour(In_UV01_Tangent_Colour i) { return Vertex(i.position, i.normal, i.tangent, i.uv0, i.uv1, i.colour); } technique10 Opaque_UV01_Tangent_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01_Tangent_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthOn, 0); SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF); } } technique10 Blended_UV01_Tangent_Colour { pass P { SetVertexShader(CompileShader(vs_4_0, VS_UV01_Tangent_Colour())); SetGeometryShader(NULL); SetPixelShader(CompileShader(ps_4_0, ShadePS())); SetRasterizerState(OneSided); SetDepthStencilState(DepthTest, 0); SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF); } }
