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
float4x4 World : World;
float Size = 1;
float Horizon = 0.06;
struct StarIn {
  float3 centre : POSITION;
  float2 uv : TEXCOORD0;
  float3 corner : TEXCOORD1;
};
struct Star {
  float4 position : SV_Position;
  float2 uv : TEXCOORD0;
  float3 colour : COLOUR;
  float kind : KIND;
};
struct StarPoint {
  float4 view : VIEWPOS;
  float2 corner : CORNER;
  float2 uv : TEXCOORD0;
  float4 look : LOOK;
};
float Hash(float n) { return frac(sin(n * 12.9898) * 43758.5453); }
float4 Look(float k, float3 centre) {
  float r = Hash(k * 7.13 + 0.5);
  float magnitude = pow(r, 9);
  float twinkle = 0.78 + 0.22 * sin(Time * (0.9 + 2.1 * Hash(k + 3.7)) + 6.283 * Hash(k + 9.1));
  float3 cold = float3(0.62, 0.74, 1.0), warm = float3(1.0, 0.82, 0.62);
  float3 tint = lerp(cold, warm, step(0.86, Hash(k + 1.3)) * 0.8);
  float brightness = (0.35 + 0.5 * Hash(k + 5.3) + 2.6 * magnitude) * twinkle;
  float elevation = centre.z / length(centre);
  brightness *= smoothstep(Horizon - 0.05, Horizon + 0.1, elevation);
  float scale = (0.55 + 0.6 * magnitude + 1.5 * step(0.965, r)) * Size;
  return float4(tint * brightness, scale);
}
StarPoint PointVS(StarIn input) {
  StarPoint o;
  float k = input.corner.z * 1024;
  o.look = Look(k, input.centre);
  o.view = mul(mul(float4(input.centre, 1), World), View);
  o.corner = input.corner.xy;
  o.uv = input.uv * 2 - 1;
  return o;
}
Star Emit(StarPoint p, float2 offset, float2 uv, float3 colour, float kind) {
  Star o;
  o.position = mul(float4(p.view.xyz + float3(offset, 0), 1), Projection);
  o.uv = uv;
  o.colour = colour;
  o.kind = kind;
  return o;
}
[maxvertexcount(9)]
void FlaresGS(triangle StarPoint input[3], inout TriangleStream<Star> stream) {
  float4 look = input[0].look;
  for (int i = 0; i < 3; ++i) stream.Append(Emit(input[i], input[i].corner * look.a, input[i].uv, look.rgb, 0));
  stream.RestartStrip();
  float bright = dot(look.rgb, float3(0.3, 0.59, 0.11));
  if (look.a < 1.5 || bright < 1.2) return;
  float3 spike = look.rgb * 0.32;
  for (int j = 0; j < 3; ++j) {
    float2 c = input[j].corner * look.a;
    stream.Append(Emit(input[j], float2(c.x * 3.5, c.y * 0.3), input[j].uv, spike, 1));
  }
  stream.RestartStrip();
  for (int n = 0; n < 3; ++n) {
    float2 c = input[n].corner * look.a;
    stream.Append(Emit(input[n], float2(c.x * 0.3, c.y * 3.5), input[n].uv.yx, spike, 1));
  }
}
Star PointsVS(StarIn input) {
  StarPoint p = PointVS(input);
  return Emit(p, p.corner * p.look.a, p.uv, p.look.rgb, 0);
}
float4 StarPS(Star input) : SV_Target {
  float2 d = input.uv;
  float r2 = dot(d, d);
  float disc = exp(-r2 * 14) + 0.25 * exp(-r2 * 4);
  float spike = pow(saturate(1 - abs(d.x)), 3) * saturate(1 - abs(d.y));
  float f = input.kind > 0.5 ? spike : disc;
  f *= saturate(1 - r2 * (1 - input.kind));
  return float4(input.colour * f, saturate(f * 20));
}
BlendState AddMarked {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = ONE; BlendOpAlpha = MAX;
};
technique10 Flares {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, PointVS()));
    SetGeometryShader(CompileShader(gs_4_0, FlaresGS()));
    SetPixelShader(CompileShader(ps_4_0, StarPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthTest, 0);
    SetBlendState(AddMarked, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
technique10 Points {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, PointsVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, StarPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthTest, 0);
    SetBlendState(AddMarked, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
