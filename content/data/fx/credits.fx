// The credits' stage: pixel-letter words and the sofas, lit by the lamp with its shadows
// and coloured through the colour ramp: how much light a point gets picks its place on
// the ramp (shadow night blue, through violet and rose, to gold and white in full
// light). The words build themselves block by block as Reveal (the object's curve) runs
// from 0 to 1, and once built they hop as the Wave's crest runs along the line; the
// stage floor, which has no mesh, is drawn from the armchair's first triangle by a
// geometry shader. Fade (a curve too) takes the light down at the end. The other curves
// put the music on the words: Hit flashes a word's blocks (as it completes, as the line
// does, on the final chord), Kick lets the kick drum pulse its light, Tint moves it
// along the ramp a phrase at a time, and Glint makes its blocks glimmer as the light goes.
#include "common.fxh"
#include "shadow.fxh"
#include "creditsWord.fxh"

Texture2D cubeTex;
float2 Ramp = float2(0.15, 0.7);  // where on the ramp no light falls, and how far full light goes
float Fade = 1;
float FloorRadius = 9;            // where the floor's pool of light has faded to black
float Back = 6.5;                 // how far behind the words the backdrop stands
float Hit = 0;
float Kick = 0;
float Tint = 0;
float Glint = 0;
// The words and the furniture share this effect's variables: every pass sets Pitch,
// Ramp, Fade, Wave, Hit, Kick, Tint and Glint, or it would draw with the values the pass
// before it left.

// The kick's pulse. The beat clock gives it its sharp front (the spectrum is smoothed
// over several frames and would come late), the bass its strength, so it goes with the
// drums; Kick switches it off where the arrangement has no kick left.
float KickPulse() {
  float phase = frac(Time / 0.48);
  return Kick * saturate(Bass() * 9) * pow(1 - phase, 3);
}

float3 RampColour(float u) { return cubeTex.SampleLevel(Linear, float2(saturate(u), 0.5), 0).rgb; }

struct SurfaceIn { float3 position : POSITION; float3 normal : NORMAL; };
struct Surface {
  float4 position : SV_Position;
  float3 world : WORLDPOS;
  float3 normal : NORMAL;
  float depth : VIEWDEPTH;
  float arrival : ARRIVAL;  // 1 as a block lands, 0 once it has settled
  float hop : HOP;
  float seed : SEED;
};

Surface VS(SurfaceIn input) {
  Surface o;
  Block block = Assemble(input.position);
  o.arrival = block.arrival;
  o.hop = block.hop;
  o.seed = block.seed;
  float4 world = mul(float4(block.position, 1), World);
  o.world = world.xyz;
  o.normal = normalize(mul(input.normal, (float3x3)World));
  float4 view = mul(world, View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  return o;
}

float4 SurfacePS(Surface input) : SV_Target {
  float3 n = normalize(input.normal);
  float3 toLight = -normalize(LightDirection.xyz);
  float3 toEye = normalize(ViewInverse[3].xyz - input.world);
  float shadow = Shadowed(float4(input.world, 1), input.depth);
  float sun = saturate(dot(n, toLight)) * shadow;
  float sky = n.z * 0.5 + 0.5;
  // Fading takes the light away, so colours sink down the ramp towards night blue as
  // they dim, rather than greying.
  float shade = saturate(0.14 * sky + 0.86 * sun + 0.08 * Bass()) * Fade;
  // The ramp drifts slowly along the stage, so the colours move even where the light is steady.
  float u = Ramp.x + Tint + shade * Ramp.y + 0.05 * sin(Time * 0.35 + input.world.x * 0.25);
  float3 c = RampColour(u) * (0.22 + 0.95 * shade);
  float rim = pow(1 - saturate(dot(n, toEye)), 4) * 0.35;
  c += RampColour(0.97) * rim * (0.3 + 0.7 * sky);
  c += RampColour(0.86) * input.arrival * 1.8;
  // The words light up from inside: on the kick, more in a hop's crest, all at once on a hit.
  float word = Pitch > 0 ? 1 : 0;
  c += RampColour(u + 0.12) * KickPulse() * 0.6 * word;
  c += RampColour(0.9) * saturate(Hit + input.hop * 0.7) * 1.6 * word;
  c *= 0.3 + 0.7 * Fade;
  // Each block catches the light now and then, on its own; this outlasts the fade, so
  // the line ends glimmering rather than dark.
  float glimmer = pow(saturate(sin(Time * 2.6 + input.seed * 60)), 24);
  c += RampColour(0.93) * glimmer * Glint * 0.9 * word;
  return float4(c, 1);
}

// The stage: a floor at the foot of everything and a backdrop behind, emitted once (for
// the mesh's first triangle) and shaded as a pool of the lamp's light with the shadows in it.
struct FloorPoint { float4 position : SV_Position; float3 world : WORLDPOS; float depth : VIEWDEPTH; };

struct FloorIn { float4 position : POSITION; };
FloorIn FloorVS(float3 position : POSITION) { FloorIn o; o.position = float4(position, 1); return o; }

FloorPoint StagePoint(float3 world) {
  FloorPoint o;
  o.world = world;
  float4 view = mul(float4(world, 1), View);
  o.depth = view.z;
  o.position = mul(view, Projection);
  return o;
}

[maxvertexcount(8)]
void FloorGS(triangle FloorIn input[3], uint primitive : SV_PrimitiveID, inout TriangleStream<FloorPoint> stream) {
  if (primitive != 0) return;
  // The floor, a hair below z = 0, where everything on the stage stands, so no bottom
  // face fights it; then the backdrop, standing at its far edge.
  stream.Append(StagePoint(float3(-16, -Back, -0.002)));
  stream.Append(StagePoint(float3(16, -Back, -0.002)));
  stream.Append(StagePoint(float3(-16, 12, -0.002)));
  stream.Append(StagePoint(float3(16, 12, -0.002)));
  stream.RestartStrip();
  stream.Append(StagePoint(float3(-16, -Back, 9)));
  stream.Append(StagePoint(float3(16, -Back, 9)));
  stream.Append(StagePoint(float3(-16, -Back, -0.002)));
  stream.Append(StagePoint(float3(16, -Back, -0.002)));
}

float4 FloorPS(FloorPoint input) : SV_Target {
  float shadow = Shadowed(float4(input.world, 1), input.depth);
  float3 toLight = -normalize(LightDirection.xyz);
  // On the backdrop the pool is a glow that rises from the floor and dies out above.
  bool wall = input.world.y < -Back + 0.01;
  float2 d = input.world.xy - float2(0, -0.5);
  float pool = saturate(1 - dot(d, d) / (FloorRadius * FloorRadius));
  float rise = saturate(1 - input.world.z / 4.5);
  float across = saturate(1 - input.world.x * input.world.x / (FloorRadius * FloorRadius * 1.4));
  pool = wall ? rise * rise * across * 0.8 : pool * pool;
  float sun = saturate(wall ? toLight.y : toLight.z) * shadow;
  float shade = pool * (wall ? 0.45 + 0.4 * sun : 0.2 + 0.55 * sun) * (1 + 0.35 * KickPulse());
  float3 c = RampColour(0.02 + shade * 0.42) * shade * 1.1;
  return float4(c * Fade, 1);
}

technique10 Surface {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, SurfacePS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}

technique10 Floor {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, FloorVS()));
    SetGeometryShader(CompileShader(gs_4_0, FloorGS()));
    SetPixelShader(CompileShader(ps_4_0, FloorPS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthOn, 0);
    SetBlendState(Opaque, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
