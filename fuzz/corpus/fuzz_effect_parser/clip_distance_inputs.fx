struct Clipped { float4 pos : SV_Position; float4 colour : COLOR0; float2 planes : SV_ClipDistance0; float cull : SV_CullDistance1; };
struct Wrapped { Clipped inner; };
cbuffer Packed { float2 Offsets[2]; float Gain; float3x3 Basis; float Tail; float Late : packoffset(c9.y); };
Clipped VSClip(float4 p : POSITION) { Clipped o; o.pos = p; o.colour = 0; o.planes = float2(p.x + 0.5, 0.6); o.cull = 1; return o; }
[maxvertexcount(3)]
void GSRead(triangle Clipped v[3], inout TriangleStream<Clipped> s) { for (int i = 0; i < 3; ++i) s.Append(v[i]); }
[maxvertexcount(3)]
void GSWrapped(triangle Wrapped v[3], inout TriangleStream<Clipped> s) { for (int i = 0; i < 3; ++i) s.Append(v[i].inner); }
float4 PSColour(Clipped i) : SV_Target { return i.colour * Gain + Tail; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VSClip()));
  SetGeometryShader(CompileShader(gs_4_0, GSRead())); SetPixelShader(CompileShader(ps_4_0, PSColour())); } }
technique10 N { pass P { SetVertexShader(CompileShader(vs_4_0, VSClip()));
  SetGeometryShader(CompileShader(gs_4_0, GSWrapped())); SetPixelShader(CompileShader(ps_4_0, PSColour())); } }
