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
float Radius = 1;
float Spin = 0.015;
struct PlanetIn { float3 position : POSITION; float3 normal : NORMAL; };
struct PlanetOut {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
  float3 normal : NORMAL;
  float3 local : LOCAL;
};
PlanetOut VS(PlanetIn input) {
  PlanetOut o;
  float4 world = mul(float4(input.position * Radius, 1), World);
  o.world = world.xyz;
  o.normal = normalize(mul(input.normal, (float3x3)World));
  o.local = input.position;
  o.position = mul(world, ViewProjection);
  return o;
}
float4 PS(PlanetOut input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float facing = saturate(dot(n, toEye));
  float light = dot(n, toLight);
  float longitude = atan2(input.local.y, input.local.x) + Time * Spin * 6.283;
  float latitude = input.local.z + 0.04 * sin(longitude * 3 + input.local.z * 5);
  float bands = 0.5 + 0.5 * sin(latitude * 17 + 0.6 * sin(latitude * 5 + longitude));
  float3 surface = lerp(float3(0.26, 0.33, 0.52), float3(0.50, 0.56, 0.72), bands);
  float day = saturate(light);
  float terminator = saturate(1 - abs(light) * 3);
  float3 lit = surface * day * 1.1 + float3(0.75, 0.42, 0.36) * terminator * saturate(light + 0.15) * 0.35;
  float3 night = float3(0.012, 0.018, 0.040) * (0.5 + 0.7 * bands);
  float edge = pow(1 - facing, 5);
  float behind = saturate(dot(-toEye, toLight) * 0.5 + 0.5);
  float3 rim = float3(0.55, 0.72, 1.0) * edge * (0.12 + 2.6 * saturate(light + 0.35) * behind);
  return float4(night + lit + rim, 1);
}
technique10 Planet {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
