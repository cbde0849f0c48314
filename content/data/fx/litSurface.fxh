// The lit surface that lit.fx and surface.fx share: the part's sun, a sky-and-ground
// ambient and a rim towards the camera, over an albedo the techniques choose (the
// Colour alone, or times a texture and the vertex colours).
#include "common.fxh"
#include "shadow.fxh"

float4x4 World : World;
float4 Colour = float4(0.8, 0.8, 0.8, 1);
float4 Sky = float4(0.35, 0.38, 0.45, 1);     // ambient from above
float4 Ground = float4(0.12, 0.11, 0.10, 1);  // ambient from below
float4 Rim = float4(0, 0, 0, 0);              // rgb and strength
float Sunlight = 1;
float4 SunColour = float4(1, 1, 1, 1);        // the lamp's colour, as a scene file gives it

struct Surface {
  float4 position : SV_Position;
  float4 world : WORLDPOS;
  float3 normal : NORMAL;
  float depth : VIEWDEPTH;
  float2 uv : TEXCOORD0;
  float4 colour : COLOR0;  // vertex colour; white where the mesh has none
};

Surface Place(float3 position, float3 normal) {
  Surface o;
  o.world = mul(float4(position, 1), World);
  o.normal = normalize(mul(normal, (float3x3)World));
  float4 view = mul(o.world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  o.uv = float2(0, 0);
  o.colour = float4(1, 1, 1, 1);
  return o;
}

// How much of the lamp reaches the point. It is looked up a little out along the normal,
// about a shadow-map texel at the point's distance, so that a surface the light grazes
// does not shadow itself in speckles.
float ShadowAt(Surface input) {
  float3 offset = normalize(input.normal) * input.depth * 0.02;
  return Shadowed(input.world + float4(offset, 0), input.depth);
}

float3 Shade(Surface input, float shadow, float3 albedo) {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world.xyz);
  float3 sun = saturate(dot(n, toLight)) * shadow * Sunlight * SunColour.rgb;
  float3 ambient = lerp(Ground.rgb, Sky.rgb, n.z * 0.5 + 0.5);
  float rim = pow(1 - saturate(dot(n, toEye)), 3) * Rim.a;
  return albedo * (ambient + sun) + Rim.rgb * rim;
}
