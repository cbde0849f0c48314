// The lamp's three shadow cascades: the depth array "ShadowMap", one slice a cascade,
// drawn by shadow.fx and read here.
Texture2DArray ShadowMap;

// 1 lit, 0 in shadow, for a point at `world` that lies `viewDepth` in front of the camera.
float Shadowed(float4 world, float viewDepth) {
  int slice = viewDepth < SplitPlanes.x ? 0 : viewDepth < SplitPlanes.y ? 1 : 2;
  if (viewDepth > SplitPlanes.z) return 1;
  float4 light = mul(mul(world, LightView), SplitProjection[slice]);
  // A slice is drawn like any render target: the lamp's clip-space +y is its top row,
  // where v is 0.
  float2 uv = float2(light.x * 0.5 + 0.5, 0.5 - light.y * 0.5);
  if (any(uv < 0) || any(uv > 1) || light.z > 1) return 1;
  float bias = 0.0015 * (slice + 1);
  float texel = 1.0 / 1024;
  float lit = 0;
  for (int y = -1; y <= 1; ++y) {
    for (int x = -1; x <= 1; ++x) {
      float depth = ShadowMap.SampleLevel(Point, float3(uv + float2(x, y) * texel, slice), 0).r;
      lit += light.z - bias <= depth ? 1 : 0;
    }
  }
  return lit / 9;
}
