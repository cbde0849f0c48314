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
Texture2D cubeTex;
float4 Planet = float4(0, 0, 0, 1);
float Swell;
float Drift = 0.14;
struct PuffIn {
  float3 centre : POSITION;
  float2 uv : TEXCOORD0;
  float4 corner : TEXCOORD1;
};
struct Puff {
  float4 position : SV_Position;
  float2 uv : TEXCOORD0;
  float3 world : WORLDPOS;
  float4 look : LOOK;
  float2 seed : SEED;
};
static const float Span = 18;
Puff VS(PuffIn input) {
  Puff o;
  float3 c = input.centre;
  float phase = input.corner.z;
  float x = c.x * 2 + Time * Drift * (0.6 + 0.8 * phase);
  x = x - Span * floor(x / Span + 0.5);
  float3 local = float3(x, (-c.z - 2) * 2 + 1.5, c.y * 1.5 + 0.25 * sin(Time * 0.21 + phase * 6.283));
  float3 centre = mul(float4(local, 1), World).xyz;
  float angle = phase * 6.283 + Time * 0.04 * (phase - 0.5);
  float2 r = float2(cos(angle), sin(angle));
  float near = smoothstep(2.2, 4.5, distance(centre, ViewInverse[3].xyz));
  float keep = input.corner.w < 72.0 / 128 && near > 0 ? 1 : 0;
  float2 corner = input.corner.xy * 1.3 * keep;
  corner = float2(corner.x * r.x - corner.y * r.y, corner.x * r.y + corner.y * r.x);
  float3 world = centre + ViewInverse[0].xyz * corner.x + ViewInverse[1].xyz * corner.y;
  o.world = world;
  o.position = mul(float4(world, 1), ViewProjection);
  o.uv = input.uv * 2 - 1;
  o.seed = float2(phase * 17.3, input.corner.w * 31.7);
  float pick = frac(phase * 7.31);
  float3 tint = cubeTex.SampleLevel(Linear, float2(pick < 0.75 ? 0.01 + 0.08 * pick : 0.16 + 0.1 * (pick - 0.75), 0.5), 0).rgb;
  float3 toPuff = normalize(centre - ViewInverse[3].xyz);
  float forward = pow(saturate(dot(toPuff, -normalize(LightDirection.xyz))), 3);
  float edges = saturate((Span * 0.5 - abs(x)) / 2.5);
  float light = (1.3 + 2.0 * forward) * (1 + Swell * (0.6 + 2.2 * Snare()));
  o.look = float4(tint * light, (0.21 + 0.13 * frac(phase * 3.7)) * edges * near);
  return o;
}
float Billow(float2 p, float2 seed) {
  float t = Time * 0.08;
  float n = sin(p.x * 2.1 + seed.x + sin(p.y * 1.7 + t + seed.y));
  n += 0.5 * sin(p.y * 3.9 - seed.y + sin(p.x * 3.1 - t * 1.3));
  n += 0.25 * sin((p.x + p.y) * 7.3 + seed.x * 2 + t * 2);
  return n * 0.3 + 0.5;
}
float4 PS(Puff input) : SV_Target {
  float r2 = dot(input.uv, input.uv);
  if (r2 > 1) discard;
  float body = saturate(1 - r2);
  body *= body;
  float billow = Billow(input.uv * 1.3, input.seed);
  float density = body * saturate(billow * billow * 2.2 - 0.15 + body * 0.25);
  float3 eye = ViewInverse[3].xyz;
  float3 ray = input.world - eye;
  float distance = length(ray);
  ray /= distance;
  float nearFade = smoothstep(0.8, 3.0, distance);
  float3 oc = eye - Planet.xyz;
  float b = dot(oc, ray);
  float h = b * b - (dot(oc, oc) - Planet.w * Planet.w);
  float planetFade = 1;
  if (h > 0) planetFade = saturate((-b - sqrt(h) - distance) / 1.2);
  float a = saturate(density * input.look.a * nearFade * planetFade);
  return float4(input.look.rgb * a, saturate(a * 8));
}
BlendState Smoke {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = ONE; BlendOpAlpha = MAX;
};
technique10 Smoke {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthTest, 0);
    SetBlendState(Smoke, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
