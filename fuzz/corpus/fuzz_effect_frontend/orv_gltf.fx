// Surfaces as glTF describes them, for scenes converted by gltf2demo: metallic-roughness
// shading (a GGX microfacet lobe with Smith visibility and Schlick's Fresnel over a
// Lambert base) under the part's sun and a sky-and-ground ambient, normal maps,
// emission, ambient occlusion, alpha masks and blending, and unlit surfaces.
//
// One technique per vertex layout: the mesh decides which streams the vertex shader can
// read, everything else is switched by parameters. Techniques are named by what they read
// beside POSITION and NORMAL (UV0 TEXCOORD, UV1 TEXCOORD1, Tangent TANGENT, Colour COLOR),
// opaque ("Opaque...") or blended ("Blended...": alpha blending without depth writes, to be
// drawn with a higher pass priority than the opaque surfaces it covers).
//
// Light is done in linear values. The demo's own materials (Sky, Ground, SunColour) and its
// render targets hold display values, and PNG and JPEG pictures load as plain 8-bit values,
// so colours are decoded where they come in and the result is encoded where it goes out;
// glTF's factors are linear already and are used as given.
//
// Every parameter the shading reads is written by each material: passes of one effect
// file share its variables, so a value left out would be the previous mesh's.
#include "common.fxh"
#include "shadow.fxh"

float4x4 World : World;

float4 Sky = float4(0.35, 0.38, 0.45, 1);     // ambient from above, display values
float4 Ground = float4(0.12, 0.11, 0.10, 1);  // ambient from below, display values
float Sunlight = 1;
float4 SunColour = float4(1, 1, 1, 1);        // display values
bool Shadows = true;                          // takes the lamp's shadows from ShadowMap

float4 BaseColourFactor = float4(1, 1, 1, 1);  // linear rgb, alpha
float Metallic = 1;
float Roughness = 1;
float NormalScale = 1;
float OcclusionStrength = 1;
float4 Emissive = float4(0, 0, 0, 0);         // linear rgb, strength already applied
int AlphaMode = 0;                            // 0 opaque, 1 masked at AlphaCutoff, 2 blended
float AlphaCutoff = 0.5;
bool Unlit = false;                           // the base colour alone

// The pictures, and how each is laid on: Sampling (x: coordinate set 0 or 1, -1 for no
// picture; y, z: addressing across and down, 0 repeat, 1 clamp to the edge, 2 mirrored
// repeat; w: 1 for unfiltered texels), and the rows of an affine map applied to the
// coordinates, u' = dot(U, (u, v, 1)), v' = dot(V, (u, v, 1)).
Texture2D BaseColourMap;          // sRGB: rgb times the factor, alpha times its alpha
Texture2D MetallicRoughnessMap;   // linear: G roughness, B metallic
Texture2D NormalMap;              // linear: tangent-space normal
Texture2D OcclusionMap;           // linear: R
Texture2D EmissiveMap;            // sRGB
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
  float4 tangent : TANGENT;  // xyz in the world, w the handedness; zero without a TANGENT stream
  float depth : VIEWDEPTH;
  float4 uv : TEXCOORD0;     // set 0 in xy, set 1 in zw
  float4 colour : COLOR0;    // vertex colour as the mesh holds it (display values); white without
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
// Values above 1 stay above 1, so that what is brighter than white still glows.
float3 ToDisplay(float3 linearValue) {
  float3 c = max(linearValue, 0);
  return c <= 0.0031308 ? c * 12.92 : 1.055 * pow(c, 1 / 2.4) - 0.055;
}

// Clamping and mirroring are done here on a repeating sampler (as surface.fx does), so that
// two samplers serve every mix of modes; stopping half a texel short of the edge keeps the
// repeat from filtering in the far side.
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

// The base colour in linear values, alpha in w.
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
  // Gram-Schmidt against the interpolated normal; glTF's bitangent is n x t, signed by w.
  float3 t = input.tangent.xyz - n * dot(n, input.tangent.xyz);
  if (dot(t, t) < 1e-12) return n;
  t = normalize(t);
  float3 b = cross(n, t) * (input.tangent.w < 0 ? -1 : 1);
  return normalize(m.x * t + m.y * b + m.z * n);
}

float3 Hemisphere(float3 direction) {
  return lerp(FromDisplay(Ground.rgb), FromDisplay(Sky.rgb), saturate(direction.z * 0.5 + 0.5));
}

// Specular reflectance of an even ambient for reflectance f0 at roughness r, seen at
// n.v (an analytic fit of the pre-integrated GGX response).
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
  // Looked up a little out along the normal, about a shadow-map texel at the point's
  // distance, so that a surface the light grazes does not shadow itself in speckles.
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
  // A perfectly smooth lobe is a point that no sun ever hits; keep a trace of width.
  roughness = clamp(roughness, 0.03, 1);
  float occlusion = 1;
  if (OcclusionSampling.x >= 0) {
    occlusion = 1 + OcclusionStrength * (Fetch(OcclusionMap, OcclusionSampling, OcclusionU, OcclusionV, input.uv).r - 1);
  }

  float3 n = NormalAt(input);
  float3 v = normalize(ViewInverse[3].xyz - input.world.xyz);
  // Faces seen from behind (a normal map tilting away) shade as if seen edge-on.
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
    float a2 = roughness * roughness * roughness * roughness;  // alpha = roughness squared
    float d = a2 / (Pi * pow(nh * nh * (a2 - 1) + 1, 2));
    // Height-correlated Smith visibility, G / (4 n.l n.v).
    float visibility = 0.5 / (nl * sqrt(nv * nv * (1 - a2) + a2) + nv * sqrt(nl * nl * (1 - a2) + a2));
    float3 fresnel = f0 + (1 - f0) * pow(1 - vh, 5);
    // The sun's strength is what a white Lambert surface facing it shows, hence the
    // factor pi on the specular lobe rather than a 1 / pi on the diffuse one.
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

// The layouts. Each declares the streams it reads; what it lacks reaches the shading as a
// neutral value (no tangent, coordinates 0, white).
#define NO_TANGENT float4(0, 0, 0, 1)
#define NO_UV float2(0, 0)
#define WHITE float4(1, 1, 1, 1)
#define LAYOUT(Name, Tangent, UV0, UV1, Colour)                                               \
  Surface VS##Name(In##Name i) { return Vertex(i.position, i.normal, Tangent, UV0, UV1, Colour); } \
  technique10 Opaque##Name {                                                                   \
    pass P {                                                                                   \
      SetVertexShader(CompileShader(vs_4_0, VS##Name()));                                      \
      SetGeometryShader(NULL);                                                                 \
      SetPixelShader(CompileShader(ps_4_0, ShadePS()));                                        \
      SetRasterizerState(OneSided);                                                            \
      SetDepthStencilState(DepthOn, 0);                                                        \
      SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);                                   \
    }                                                                                          \
  }                                                                                            \
  technique10 Blended##Name {                                                                  \
    pass P {                                                                                   \
      SetVertexShader(CompileShader(vs_4_0, VS##Name()));                                      \
      SetGeometryShader(NULL);                                                                 \
      SetPixelShader(CompileShader(ps_4_0, ShadePS()));                                        \
      SetRasterizerState(OneSided);                                                            \
      SetDepthStencilState(DepthTest, 0);                                                      \
      SetBlendState(Over, float4(0, 0, 0, 0), 0xFFFFFFFF);                                     \
    }                                                                                          \
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

LAYOUT(_Plain, NO_TANGENT, NO_UV, NO_UV, WHITE)
LAYOUT(_Colour, NO_TANGENT, NO_UV, NO_UV, i.colour)
LAYOUT(_UV0, NO_TANGENT, i.uv0, NO_UV, WHITE)
LAYOUT(_UV0_Colour, NO_TANGENT, i.uv0, NO_UV, i.colour)
LAYOUT(_UV1, NO_TANGENT, NO_UV, i.uv1, WHITE)
LAYOUT(_UV1_Colour, NO_TANGENT, NO_UV, i.uv1, i.colour)
LAYOUT(_UV01, NO_TANGENT, i.uv0, i.uv1, WHITE)
LAYOUT(_UV01_Colour, NO_TANGENT, i.uv0, i.uv1, i.colour)
LAYOUT(_UV0_Tangent, i.tangent, i.uv0, NO_UV, WHITE)
LAYOUT(_UV0_Tangent_Colour, i.tangent, i.uv0, NO_UV, i.colour)
LAYOUT(_UV1_Tangent, i.tangent, NO_UV, i.uv1, WHITE)
LAYOUT(_UV1_Tangent_Colour, i.tangent, NO_UV, i.uv1, i.colour)
LAYOUT(_UV01_Tangent, i.tangent, i.uv0, i.uv1, WHITE)
LAYOUT(_UV01_Tangent_Colour, i.tangent, i.uv0, i.uv1, i.colour)
