// The star field's smoke: soft puffs that stream slowly across the view in cold
// blues and violets from the low end of the colour ramp. They fade near the camera and
// where they reach into the planet (worked out against the sphere itself), so no puff
// shows its quad's edge; a puff leaving one side wraps round to the other while faded out.
#include "common.fxh"

float4x4 World : World;
Texture2D cubeTex;
float4 Planet = float4(0, 0, 0, 1);  // the planet's world centre and radius
float Swell;                         // the roll's build: 0 calm, 1 full (the object's curve)
float Drift = 0.14;                  // units a second across the view
float Pulse;                         // the downbeat's glow off the planet's rim (the object's curve)

struct PuffIn {
  float3 centre : POSITION;
  float2 uv : TEXCOORD0;
  float4 corner : TEXCOORD1;  // xy: corner offset; z: the puff's phase; w: its number / 128
};
struct Puff {
  float4 position : SV_Position;
  float2 uv : TEXCOORD0;        // -1..1 over the sprite
  float3 world : WORLDPOS;
  float4 look : LOOK;           // rgb colour, a: opacity
  float2 seed : SEED;
};

static const float Span = 18;  // the width over which the puffs wrap

Puff VS(PuffIn input) {
  Puff o;
  float3 c = input.centre;
  float phase = input.corner.z;
  // The mesh's slab (x across, y up and down, z away) spread out into the space between
  // the camera and the planet, deeper than it is wide.
  float x = c.x * 2 + Time * Drift * (0.6 + 0.8 * phase);
  x = x - Span * floor(x / Span + 0.5);
  float3 local = float3(x, (-c.z - 2) * 2 + 1.5, c.y * 1.5 + 0.25 * sin(Time * 0.21 + phase * 6.283));
  float3 centre = mul(float4(local, 1), World).xyz;

  float angle = phase * 6.283 + Time * 0.04 * (phase - 0.5);
  float2 r = float2(cos(angle), sin(angle));
  // Only the first 72 puffs are drawn: the smoke's overdraw is what a frame of this part
  // costs on a software rasteriser, and fewer, denser puffs read the same.
  // Puffs about to pass the camera are faded out before they would fill the screen.
  float near = smoothstep(2.2, 4.5, distance(centre, ViewInverse[3].xyz));
  float keep = input.corner.w < 72.0 / 128 && near > 0 ? 1 : 0;
  float2 corner = input.corner.xy * 1.3 * keep;
  corner = float2(corner.x * r.x - corner.y * r.y, corner.x * r.y + corner.y * r.x);
  float3 world = centre + ViewInverse[0].xyz * corner.x + ViewInverse[1].xyz * corner.y;
  o.world = world;
  o.position = mul(float4(world, 1), ViewProjection);
  o.uv = input.uv * 2 - 1;
  o.seed = float2(phase * 17.3, input.corner.w * 31.7);

  // Mostly night blue, one puff in four violet.
  float pick = frac(phase * 7.31);
  float3 tint = cubeTex.SampleLevel(Linear, float2(pick < 0.75 ? 0.01 + 0.08 * pick : 0.16 + 0.1 * (pick - 0.75), 0.5), 0).rgb;
  // Towards the hidden sun the smoke is lit through; the snare roll flashes it.
  float3 toPuff = normalize(centre - ViewInverse[3].xyz);
  float forward = pow(saturate(dot(toPuff, -normalize(LightDirection.xyz))), 3);
  float edges = saturate((Span * 0.5 - abs(x)) / 2.5);
  // The pads breathe in it (their chords sit in the spectrum's bins 4 to 9), and the
  // planet's downbeat glow catches the puffs nearest its rim.
  float pads = saturate((Spectrum(4) + Spectrum(5) + Spectrum(6) + Spectrum(7) + Spectrum(8) + Spectrum(9)) * 3);
  float rimLight = Pulse * saturate(1 - (distance(centre, Planet.xyz) - Planet.w) / 4);
  float light = (1.3 + 2.0 * forward) * (0.55 + 0.8 * pads + 1.5 * rimLight)
              * (1 + Swell * (0.6 + 2.2 * Snare()));
  o.look = float4(tint * light, (0.21 + 0.13 * frac(phase * 3.7)) * edges * near);
  return o;
}

// Soft turbulence from a few bent sines: no texture, and cheap enough for the overdraw.
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
  // Where the view ray meets the planet in front of this point, the puff thins out.
  float3 oc = eye - Planet.xyz;
  float b = dot(oc, ray);
  float h = b * b - (dot(oc, oc) - Planet.w * Planet.w);
  float planetFade = 1;
  if (h > 0) planetFade = saturate((-b - sqrt(h) - distance) / 1.2);

  float a = saturate(density * input.look.a * nearFade * planetFade);
  return float4(input.look.rgb * a, saturate(a * 8));
}

// Lit gas: its light adds to what is behind. Alpha keeps the largest, only marking the
// pixel as drawn, so the grade shows the smoke's colour as drawn on the black of the part.
BlendState Smoke {
  BlendEnable[0] = TRUE; SrcBlend = ONE; DestBlend = ONE; BlendOp = ADD;
  SrcBlendAlpha = ONE; DestBlendAlpha = ONE; BlendOpAlpha = MAX;
};

technique10 Smoke {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
    SetRasterizerState(OneSided);
    SetDepthStencilState(DepthTest, 0);
    SetBlendState(Smoke, float4(0, 0, 0, 0), 0xFFFFFFFF);
  }
}
