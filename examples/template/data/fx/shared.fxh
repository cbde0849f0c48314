// What the engine sets once a frame, shared by the template's effects (the pool,
// _shared.fx, holds the values; each effect includes this to see them).
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};

shared cbuffer Lamp {
  float4 LightDirection : Direction <string Object = "PointLight0";>;
};
