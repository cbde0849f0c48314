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
float4 Ink = float4(0.06, 0.06, 0.07, 1);
float4 Accent = float4(1.0, 0.32, 0.12, 1);
float4 FrameColour = float4(0.05, 0.05, 0.06, 1);
static const float BeatLength = 0.48;
static const float BarLength = 1.92;
static const float Flip = 0.42;
static const float PulseAt = 13.44;
float Hash(float2 p) { return frac(sin(dot(p, float2(12.9898, 78.233))) * 43758.5453); }
struct TileIn {
  float3 position : POSITION;
  float2 lowerLeft : TEXCOORD0;
  uint random : TEXCOORD1;
};
struct Tile {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
  float3 normal : NORMAL;
  float4 colour : COLOUR;
  float2 corner : CORNER;
  float glow : GLOW;
};
float3 RotateAbout(float3 v, float3 axis, float angle) {
  float s = sin(angle), c = cos(angle);
  return v * c + cross(axis, v) * s + axis * dot(axis, v) * (1 - c);
}
Tile GridVS(TileIn input) {
  Tile o;
  float t = Time;
  float2 ll = float2(input.lowerLeft.x * 2 - 1, -input.lowerLeft.y * 2 - 1);
  float2 centre = ll + 1.0 / 64;
  float2 offset = input.position.xy - centre;
  o.corner = sign(offset);
  float3 local = float3(offset * 0.9, 0);
  float beatIndex = floor(input.random * 28.0 / 64.0);
  float land = (beatIndex + 1) * BeatLength;
  float p = saturate((t - (land - Flip)) / Flip);
  float h = Hash(centre * 7.31);
  float3 axis = h < 0.25 ? float3(1, 0, 0) : h < 0.5 ? float3(-1, 0, 0) : h < 0.75 ? float3(0, 1, 0) : float3(0, -1, 0);
  float eased = p * p * (3 - 2 * p);
  float angle = 3.14159265 * (1 - eased);
  float lift = sin(3.14159265 * p) * 0.09;
  float after = max(t - land, 0);
  float settle = p >= 1 ? -0.012 * exp(-after * 14) * sin(after * 40) : 0;
  float r = length(centre);
  float front = (t - PulseAt) * 1.6;
  float ring = t > PulseAt ? exp(-pow((r - front) * 7, 2)) * saturate(1.4 - (t - PulseAt) * 0.6) : 0;
  float kick = t > PulseAt ? (0.6 + 0.4 * Bass()) : 0;
  float3 rotated = RotateAbout(local, axis, angle);
  float3 n = RotateAbout(float3(0, 0, 1), axis, angle);
  float3 position = float3(centre, 0) + rotated + float3(0, 0, lift + settle + ring * 0.12 * kick);
  o.world = mul(float4(position, 1), World).xyz;
  o.normal = normalize(mul(n, (float3x3)World));
  o.position = mul(mul(float4(o.world, 1), View), Projection);
  float shade = lerp(0.0, 0.22, frac(h * 13.7));
  float accent = frac(h * 91.3) < 0.025 ? 1 : 0;
  o.colour = float4(Ink.rgb + shade, accent);
  o.glow = ring * kick;
  return o;
}
float4 GridPS(Tile input, bool front : SV_IsFrontFace) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float facing = dot(n, toEye);
  float3 toLight = -normalize(LightDirection.xyz);
  float2 e = abs(input.corner);
  if (facing < 0) {
    float edge = max(e.x, e.y);
    return float4(0, 0, 0, 0.07 + 0.05 * edge * edge);
  }
  float sun = saturate(dot(n, toLight));
  float3 h = normalize(toLight + toEye);
  float shine = pow(saturate(dot(n, h)), 40) * 0.35;
  float3 base = lerp(input.colour.rgb, Accent.rgb, input.colour.a);
  float3 c = base * (0.55 + 0.6 * sun) + shine;
  c = lerp(c, Accent.rgb * 0.8, input.glow * 0.55);
  return float4(c, 1);
}
struct FrameIn { float3 position : POSITION; float3 normal : NORMAL; };
struct FrameOut { float4 position : SV_Position; float3 world : WORLDPOS; float3 normal : NORMAL; };
FrameOut FrameVS(FrameIn input) {
  FrameOut o;
  o.world = mul(float4(input.position, 1), World).xyz;
  o.normal = normalize(mul(input.normal, (float3x3)World));
  o.position = mul(mul(float4(o.world, 1), View), Projection);
  return o;
}
float4 FramePS(FrameOut input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float sun = saturate(dot(n, toLight));
  float shine = pow(saturate(dot(n, normalize(toLight + toEye))), 30) * 0.25;
  float pulse = Time > PulseAt ? exp(-(Time - PulseAt) * 5) * 0.12 : 0;
  return float4(FrameColour.rgb * (0.6 + 0.8 * sun) + shine + pulse, 1);
}
technique10 Grid {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, GridVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, GridPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
technique10 Frame {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, FrameVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, FramePS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
