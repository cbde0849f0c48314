shared cbuffer Frame {
  float4x4 View : View;
  float4x4 Projection : Projection;
  float4x4 ViewProjection : ViewProjection;
  float4x4 ViewInverse : ViewInverse;
  float Time : Time;
  float ElapsedTime : ElapsedTime;
};
shared cbuffer Lamp {
  float4 LightDirection : Direction <string Object = "PointLight0";>;
  float4 LightPosition : Position <string Object = "PointLight0";>;
  float4x4 LightView : View <string Object = "PointLight0";>;
};
shared cbuffer Cascades {
  float4x4 SplitProjection[3] : SplitProjection <string Object = "Shadow";>;
  float3 SplitPlanes : SplitPlanes <string Object = "Shadow";>;
};
