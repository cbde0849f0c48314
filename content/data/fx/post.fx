// The full-screen chain every part ends with. The scene draws into "Scene"; a trigger
// pass (technique Trigger, drawn with the scene) asks for the quad material post.efx,
// whose passes take the bright parts into "Bright", blur them across ("BlurH") and down
// ("BlurV") at half size, and lay scene and glow over the back buffer, graded, where
// the clear colour of the part shows through what the scene left empty.
#include "common.fxh"

Texture2D Source;
Texture2D Scene;
Texture2D Glow;
float2 Texel = float2(1.0 / 640, 1.0 / 360);  // of the target being drawn
float Threshold = 0.7;
float GlowStrength = 0.8;
float4 Grade = float4(1, 1, 1, 0);  // rgb gain and, in w, how far towards the part's tone
float4 Tone = float4(1, 1, 1, 1);
float Vignette = 0.25;
// A flash over the whole picture, from the part's "Post" object's curves: Flash of the way
// to the grey level FlashTint (0 black, 1 white). Parts switch on one.
float Flash = 0;
float FlashTint = 1;

struct Quad { float4 position : SV_Position; float2 uv : TEXCOORD0; };

Quad QuadVS(float3 position : POSITION, float2 uv : TEXCOORD0) {
  Quad o;
  o.position = float4(position.xy, 0.5, 1);
  o.uv = float2(position.x * 0.5 + 0.5, 0.5 - position.y * 0.5);
  return o;
}

float4 BrightPS(Quad input) : SV_Target {
  float4 c = Source.SampleLevel(Linear, input.uv, 0);
  float luma = dot(c.rgb, float3(0.3, 0.59, 0.11));
  return float4(c.rgb * saturate((luma - Threshold) * 4) * c.a, 1);
}

static const float weights[5] = {0.227, 0.194, 0.121, 0.054, 0.016};
float4 Blur(float2 uv, float2 step) {
  float3 sum = Source.SampleLevel(Linear, uv, 0).rgb * weights[0];
  for (int i = 1; i < 5; ++i) {
    sum += Source.SampleLevel(Linear, uv + step * i * 1.5, 0).rgb * weights[i];
    sum += Source.SampleLevel(Linear, uv - step * i * 1.5, 0).rgb * weights[i];
  }
  return float4(sum, 1);
}
float4 BlurHPS(Quad input) : SV_Target { return Blur(input.uv, float2(Texel.x, 0)); }
float4 BlurVPS(Quad input) : SV_Target { return Blur(input.uv, float2(0, Texel.y)); }

float4 CompositePS(Quad input) : SV_Target {
  float4 scene = Scene.SampleLevel(Point, input.uv, 0);
  float3 glow = Glow.SampleLevel(Linear, input.uv, 0).rgb * GlowStrength;
  float3 c = scene.rgb * Grade.rgb;
  c = lerp(c, c * Tone.rgb, Grade.w);
  float2 d = input.uv - 0.5;
  float shade = 1 - Vignette * dot(d, d) * 2;
  // Premultiplied: the back buffer (the clear colour) shows where the scene drew nothing.
  float4 picture = float4((c + glow) * shade * scene.a + glow * (1 - scene.a), scene.a);
  return lerp(picture, float4(FlashTint, FlashTint, FlashTint, 1), saturate(Flash));
}

BlendState Composite {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = INV_SRC_ALPHA; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = INV_SRC_ALPHA; BlendOpAlpha = ADD;
};

#define QUAD_PASS(ps, blend)                                   \
  pass P {                                                     \
    SetVertexShader(CompileShader(vs_4_0, QuadVS()));          \
    SetGeometryShader(NULL);                                   \
    SetPixelShader(CompileShader(ps_4_0, ps()));               \
    SetRasterizerState(TwoSided);                              \
    SetDepthStencilState(DepthOff, 0);                         \
    SetBlendState(blend, float4(0, 0, 0, 0), 0xFFFFFFFF);      \
  }

technique10 BrightPass { QUAD_PASS(BrightPS, Opaque) }
technique10 BlurAcross { QUAD_PASS(BlurHPS, Opaque) }
technique10 BlurDown { QUAD_PASS(BlurVPS, Opaque) }
technique10 Composite { QUAD_PASS(CompositePS, Composite) }

// Drawn with the scene, by the part's "Post" object, only to bring in the chain: its
// triangle has no area.
float4 TriggerVS(float3 position : POSITION) : SV_Position { return float4(0, 0, 2, 1); }
float4 TriggerPS() : SV_Target { return float4(0, 0, 0, 0); }
technique10 Trigger <bool quad = true; string material = "post";> {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, TriggerVS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, TriggerPS()));
    SetRasterizerState(TwoSided);
    SetDepthStencilState(DepthOff, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
