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
float Pitch = 0;
float Cells = 1;
float Reveal = 1;
float Hash(float n) { return frac(sin(n * 12.9898) * 43758.5453); }
float3 Assemble(float3 p, out float arrival) {
  arrival = 0;
  if (Pitch <= 0) return p;
  float left = -0.5 * Pitch * Cells;
  float column = floor((p.x - left) / Pitch);
  float row = floor(p.z / Pitch);
  float3 centre = float3(left + (column + 0.5) * Pitch, 0, (row + 0.5) * Pitch);
  float delay = column / Cells * 0.62 + Hash(column * 7 + row * 13) * 0.2;
  float s = saturate((Reveal - delay) / 0.18);
  float e = s * s * (3 - 2 * s);
  arrival = s > 0 ? 1 - e : 0;
  return centre + (p - centre) * e + float3(0, 0, (1 - e) * 0.9);
}
Texture2D cubeTex;
float2 Ramp = float2(0.15, 0.7);
float Fade = 1;
float FloorRadius = 9;
float Back = 6.5;
float3 RampColour(float u) { return cubeTex.SampleLevel(Linear, float2(saturate(u), 0.5), 0).rgb; }
struct SurfaceIn { float3 position : POSITION; float3 normal : NORMAL; };
struct Surface {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
  float3 normal : NORMAL;
  float depth : VIEWDEPTH;
  float arrival : ARRIVAL;
};
Surface VS(SurfaceIn input) {
  Surface o;
  float4 world = mul(float4(Assemble(input.position, o.arrival), 1), World);
  o.world = world.xyz;
  o.normal = normalize(mul(input.normal, (float3x3)World));
  float4 view = mul(world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  return o;
}
float4 SurfacePS(Surface input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float shadow = Shadowed(float4(input.world, 1), input.depth);
  float sun = saturate(dot(n, toLight)) * shadow;
  float sky = n.z * 0.5 + 0.5;
  float shade = saturate(0.14 * sky + 0.86 * sun + 0.08 * Bass()) * Fade;
  float u = Ramp.x + shade * Ramp.y + 0.05 * sin(Time * 0.35 + input.world.x * 0.25);
  float3 c = RampColour(u) * (0.22 + 0.95 * shade);
  float rim = pow(1 - saturate(dot(n, toEye)), 4) * 0.35;
  c += RampColour(0.97) * rim * (0.3 + 0.7 * sky);
  c += RampColour(0.86) * input.arrival * 1.8;
  return float4(c * (0.3 + 0.7 * Fade), 1);
}
struct FloorPoint { float4 position : SV_Position; float3 world : WORLDPOS; float depth : VIEWDEPTH; };
struct FloorIn { float4 position : POSITION; };
FloorIn FloorVS(float3 position : POSITION) { FloorIn o; o.position = float4(position, 1); return o; }
FloorPoint StagePoint(float3 world) {
  FloorPoint o;
  o.world = world;
  float4 view = mul(float4(world, 1), View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  return o;
}
[maxvertexcount(8)]
void FloorGS(triangle FloorIn input[3], uint primitive : SV_PrimitiveID, inout TriangleStream<FloorPoint> stream) {
  if (primitive != 0) return;
  stream.Append(StagePoint(float3(-16, -Back, -0.002)));
  stream.Append(StagePoint(float3(16, -Back, -0.002)));
  stream.Append(StagePoint(float3(-16, 12, -0.002)));
  stream.Append(StagePoint(float3(16, 12, -0.002)));
  stream.RestartStrip();
  stream.Append(StagePoint(float3(-16, -Back, 9)));
  stream.Append(StagePoint(float3(16, -Back, 9)));
  stream.Append(StagePoint(float3(-16, -Back, -0.002)));
  stream.Append(StagePoint(float3(16, -Back, -0.002)));
}
float4 FloorPS(FloorPoint input) : SV_Target {
  float shadow = Shadowed(float4(input.world, 1), input.depth);
  float3 toLight = -normalize(LightDirection.xyz);
  bool wall = input.world.y < -Back + 0.01;
  float2 d = input.world.xy - float2(0, -0.5);
  float pool = saturate(1 - dot(d, d) / (FloorRadius * FloorRadius));
  float rise = saturate(1 - input.world.z / 4.5);
  float across = saturate(1 - input.world.x * input.world.x / (FloorRadius * FloorRadius * 1.4));
  pool = wall ? rise * rise * across * 0.8 : pool * pool;
  float sun = saturate(wall ? toLight.y : toLight.z) * shadow;
  float shade = pool * (wall ? 0.45 + 0.4 * sun : 0.2 + 0.55 * sun);
  float3 c = RampColour(0.02 + shade * 0.42) * shade * 1.1;
  return float4(c * Fade, 1);
}
technique10 Surface {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, SurfacePS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
technique10 Floor {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, FloorVS()));
    SetGeometryShader(CompileShader(gs_4_0, FloorGS()));
    SetPixelShader(CompileShader(ps_4_0, FloorPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
