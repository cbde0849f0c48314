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
struct CasterIn { float4 world : POSITION; uint slice : SLICE; };
struct CasterOut { float4 position : SV_Position; uint slice : SV_RenderTargetArrayIndex; };
CasterIn CasterVS(float3 position : POSITION, uint instance : SV_InstanceID) {
  CasterIn o;
  float arrival;
  o.world = mul(float4(Assemble(position, arrival), 1), World);
  o.slice = instance;
  return o;
}
[maxvertexcount(3)]
void CasterGS(triangle CasterIn input[3], inout TriangleStream<CasterOut> stream) {
  for (int k = 0; k < 3; ++k) {
    CasterOut o;
    o.position = mul(input[k].world, SplitProjection[input[0].slice]);
    o.slice = input[0].slice;
    stream.Append(o);
  }
}
technique10 Caster {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, CasterVS()));
    SetGeometryShader(CompileShader(gs_4_0, CasterGS()));
    SetPixelShader(NULL);
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
