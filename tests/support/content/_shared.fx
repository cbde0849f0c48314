// The pool every test effect is a child of: the camera and the clock, set once a frame.
shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float Time : Time;
};
