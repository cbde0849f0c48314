struct Particle { float3 pos : POSITION; float3 vel : NORMAL; float timer : TIMER; uint type : TYPE; };
struct Wide { float4 pos : POSITION; float4 extra : TEXCOORD2; };
Particle VSPass(Particle p) { return p; }
Wide VSWide(Particle p, uniform uint mode) { Wide o; o.pos = float4(p.pos, mode); o.extra = float4(p.vel, p.timer); return o; }
[maxvertexcount(2)]
void GSAdvance(point Particle input[1], inout PointStream<Particle> stream) { stream.Append(input[0]); }
VertexShader vsWide = CompileShader(vs_4_0, VSWide(0));
GeometryShader vsWideSO = ConstructGSWithSO(vsWide, "POSITION.xyzw; 1:TEXCOORD2.yz; $SKIP.x");
GeometryShader alias = vsWideSO;
GeometryShader gsSO = ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "POSITION.xyz; NORMAL.xyz; TIMER.x; TYPE.x");
technique10 Advance { pass P0 { SetVertexShader(CompileShader(vs_4_0, VSPass())); SetGeometryShader(gsSO); SetPixelShader(NULL); } }
technique10 FromVertex { pass P0 { SetVertexShader(vsWide); SetGeometryShader(alias); SetPixelShader(NULL); } }
technique10 Streams { pass P0 { SetVertexShader(CompileShader(vs_4_0, VSPass()));
  SetGeometryShader(ConstructGSWithSO(CompileShader(gs_4_0, GSAdvance()), "POSITION.xyz", "NORMAL", NULL, NULL, 0)); SetPixelShader(NULL); } }
