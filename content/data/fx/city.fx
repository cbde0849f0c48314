// The night city: moonlit walls with rows of windows. Each triangle of the block carries
// a number (TEXCOORD1, 20 to 83); a storey's wall triangles share theirs, so a floor's
// windows go on and off together, a few of them on the bar, and the lit ones flare with
// the kick.
#include "common.fxh"
#include "shadow.fxh"

float4x4 World : World;
float4 Wall = float4(0.22, 0.25, 0.34, 1);
float4 Window = float4(1.0, 0.72, 0.38, 1);
float4 Sky = float4(0.05, 0.07, 0.14, 1);
float Moon = 0.75;

struct BlockIn { float3 position : POSITION; float3 normal : NORMAL; uint number : TEXCOORD1; };
struct Block {
  float4 position : SV_Position;
  float4 world : WORLDPOS;
  float3 normal : NORMAL;
  float depth : VIEWDEPTH;
  nointerpolation uint number : NUMBER;
};

Block VS(BlockIn input) {
  Block o;
  o.world = mul(float4(input.position, 1), World);
  o.normal = normalize(mul(input.normal, (float3x3)World));
  float4 view = mul(o.world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  o.number = input.number;
  return o;
}

float Hash(float n) { return frac(sin(n * 12.9898) * 43758.5453); }

float4 PS(Block input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float shadow = Shadowed(input.world, input.depth);
  float3 c = Wall.rgb * (Sky.rgb * (0.6 + 0.4 * n.z) + saturate(dot(n, toLight)) * shadow * Moon);
  // Windows on the walls only: a grid along the wall and up the storeys.
  float wall = 1 - abs(n.z);
  float along = abs(n.x) > abs(n.y) ? input.world.y : input.world.x;
  float2 cell = frac(float2(along * 2.2, input.world.z * 1.6));
  float pane = step(0.22, cell.x) * step(cell.x, 0.78) * step(0.3, cell.y) * step(cell.y, 0.8) * wall;
  float bar = floor(Time / 1.92);
  float on = step(0.58, Hash(input.number + floor(along * 1.1) * 7.1 + floor(input.world.z * 1.6) * 3.3 +
                             step(0.85, Hash(input.number * 1.7)) * bar));
  float warmth = 0.6 + 0.4 * Hash(input.number * 3.1);
  c += pane * on * Window.rgb * warmth * (1.4 + 0.9 * Bass());
  c += pane * (1 - on) * float3(0.02, 0.03, 0.06);
  // Distance fog into the night sky.
  float fog = saturate((input.depth - 25) / 90);
  c = lerp(c, Sky.rgb * 0.5, fog);
  return float4(c, 1);
}

technique10 Night {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
