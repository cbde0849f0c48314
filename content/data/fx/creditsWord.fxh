// How the credits' words build themselves and move: what the lit pass (credits.fx) and
// the shadow casting (creditsCaster.fx) share, so a word's shadow is always where its
// blocks are.
float4x4 World : World;
float Pitch = 0;                  // a word's block size; 0 for things that are not words
float Cells = 1;                  // a word's width in blocks
float Reveal = 1;
float Wave = -100;                // world x of the crest of a hop running along the line (a curve)

float Hash(float n) { return frac(sin(n * 12.9898) * 43758.5453); }

// What a block is doing, besides where it stands: the lit pass lights it by these.
struct Block {
  float3 position;
  float arrival;  // 1 as a block lands, 0 once it has settled
  float hop;      // 0 to 1 while the Wave's crest lifts it
  float seed;     // the block's own random number, for its glimmer
};

// A word's block, shrunk towards the cell it belongs to and lifted, until Reveal reaches
// it: blocks come in as a wave from the word's left, each with a little delay of its own.
// Built, a block hops when the Wave's crest passes it. The crest is measured in the
// world, so it runs through the three words as one line; upper rows follow a little
// behind, so a column bends over rather than jumping as a slab.
Block Assemble(float3 p) {
  Block b;
  b.position = p;
  b.arrival = 0;
  b.hop = 0;
  b.seed = 0;
  if (Pitch <= 0) return b;
  float left = -0.5 * Pitch * Cells;
  float column = floor((p.x - left) / Pitch);
  float row = floor(p.z / Pitch);
  float3 centre = float3(left + (column + 0.5) * Pitch, 0, (row + 0.5) * Pitch);
  float delay = column / Cells * 0.62 + Hash(column * 7 + row * 13) * 0.2;
  float s = saturate((Reveal - delay) / 0.18);
  float e = s * s * (3 - 2 * s);
  b.arrival = s > 0 ? 1 - e : 0;
  b.seed = Hash(column * 3.7 + row * 17.3 + Cells);
  float x = mul(float4(centre, 1), World).x;
  float d = (x - Wave) / 1.4 - row * 0.06;
  b.hop = abs(d) < 1 ? 0.5 + 0.5 * cos(3.14159 * d) : 0;
  float lift = b.hop * Pitch * 2.2;
  b.position = centre + (p - centre) * e + float3(0, 0, (1 - e) * 0.9 + lift);
  return b;
}
