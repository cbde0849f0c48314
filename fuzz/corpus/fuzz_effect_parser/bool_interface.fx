struct Lit { float4 pos : SV_Position; bool lit : TEXCOORD0, shadowed : TEXCOORD1; bool4 mask : MASK; };
Lit VS(float4 p : POSITION, uniform bool on) { Lit o; o.pos = p; o.lit = on; o.shadowed = p.x > 0; o.mask = p > 0; return o; }
void VSOut(float4 p : POSITION, out float4 pos : SV_Position, out bool right : RIGHT) { pos = p; right = p.x > 0; }
float4 PS(Lit i, bool front : SV_IsFrontFace) : SV_Target { return i.lit && !i.shadowed && front && all(i.mask) ? 1 : 0; }
float4 PSIn(float4 pos : SV_Position, bool right : RIGHT) : SV_Target { return right ? 1 : 0; }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS(true))); SetPixelShader(CompileShader(ps_4_0, PS())); } }
technique10 U { pass P { SetVertexShader(CompileShader(vs_4_0, VSOut())); SetPixelShader(CompileShader(ps_4_0, PSIn())); } }
