// Pieces the demo's effects share: the usual states and small helpers.
#include "shared.fxh"

RasterizerState TwoSided { CullMode = NONE; };
// For closed meshes, whose back faces are always hidden by their front ones: leaving
// them out halves the fragments a software rasteriser shades, with the same picture.
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

// The music's spectrum, 512 bins of 0 to about 1 (bin 1 is the kick, 40 to 120 the snare).
Texture2D fft;
float Spectrum(float bin) { return fft.SampleLevel(Point, float2((bin + 0.5) / 512, 0.5), 0).r; }
float Bass() { return saturate((Spectrum(1) + Spectrum(2) + Spectrum(3)) * 0.5); }
float Snare() {
  float s = 0;
  for (int i = 0; i < 8; ++i) s += Spectrum(40 + i * 10);
  return saturate(s * 0.4);
}
