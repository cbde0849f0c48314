// Lit surfaces with a base colour texture, vertex colours or both, as scenes converted
// from modelling tools bring them; otherwise lit.fx's surface (litSurface.fxh). The
// texture is "BaseColour", its addressing per axis AddressU and AddressV (0 repeat, 1
// clamp to the edge, 2 mirrored repeat) and Nearest picks unfiltered texels.
#include "litSurface.fxh"

Texture2D BaseColour;
int AddressU = 0;
int AddressV = 0;
bool Nearest = false;
SamplerState Smooth { Filter = MIN_MAG_MIP_LINEAR; AddressU = WRAP; AddressV = WRAP; };
SamplerState Blocky { Filter = MIN_MAG_MIP_POINT; AddressU = WRAP; AddressV = WRAP; };

// Clamping and mirroring are done here on a repeating sampler, so that two samplers serve
// every mix of modes on the two axes. Both keep the coordinate continuous, so mip levels
// are still chosen from it; stopping half a texel short of the edge keeps the repeat
// from filtering in the far side.
float Address(float t, int mode, float size) {
  if (mode == 0) return t;
  if (mode == 2) t = 1 - abs(1 - (t - 2 * floor(t * 0.5)));
  return clamp(t, 0.5 / size, 1 - 0.5 / size);
}

float3 Texel(float2 uv) {
  float width, height;
  BaseColour.GetDimensions(width, height);
  float2 at = float2(Address(uv.x, AddressU, width), Address(uv.y, AddressV, height));
  return Nearest ? BaseColour.Sample(Blocky, at).rgb : BaseColour.Sample(Smooth, at).rgb;
}

Surface VSTextured(float3 position : POSITION, float3 normal : NORMAL, float2 uv : TEXCOORD) {
  Surface o = Place(position, normal);
  o.uv = uv;
  return o;
}
Surface VSColoured(float3 position : POSITION, float3 normal : NORMAL, float4 colour : COLOR) {
  Surface o = Place(position, normal);
  o.colour = colour;
  return o;
}
Surface VSTexturedColoured(float3 position : POSITION, float3 normal : NORMAL, float2 uv : TEXCOORD,
                           float4 colour : COLOR) {
  Surface o = Place(position, normal);
  o.uv = uv;
  o.colour = colour;
  return o;
}

float3 Albedo(Surface input) { return Colour.rgb * input.colour.rgb; }
float4 PlainPS(Surface input) : SV_Target { return float4(Shade(input, 1, Albedo(input)), 1); }
float4 ShadowedPS(Surface input) : SV_Target {
  return float4(Shade(input, ShadowAt(input), Albedo(input)), 1);
}
float4 PlainTexturedPS(Surface input) : SV_Target {
  return float4(Shade(input, 1, Albedo(input) * Texel(input.uv)), 1);
}
float4 ShadowedTexturedPS(Surface input) : SV_Target {
  return float4(Shade(input, ShadowAt(input), Albedo(input) * Texel(input.uv)), 1);
}

technique10 PlainTextured {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VSTextured()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PlainTexturedPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 ShadowedTextured {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VSTextured()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, ShadowedTexturedPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 PlainColoured {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VSColoured()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PlainPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 ShadowedColoured {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VSColoured()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, ShadowedPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 PlainTexturedColoured {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VSTexturedColoured()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PlainTexturedPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 ShadowedTexturedColoured {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VSTexturedColoured()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, ShadowedTexturedPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
