// How the credits' words build themselves: what the lit pass (credits.fx) and the
// shadow casting (creditsCaster.fx) share, so a word's shadow is always where its blocks are.
float4x4 World : World;
float Pitch = 0;                  // a word's block size; 0 for things that are not words
float Cells = 1;                  // a word's width in blocks
float Reveal = 1;

float Hash(float n) { return frac(sin(n * 12.9898) * 43758.5453); }

// A word's block, shrunk towards the cell it belongs to and lifted, until Reveal reaches
// it: blocks come in as a wave from the word's left, each with a little delay of its own.
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
