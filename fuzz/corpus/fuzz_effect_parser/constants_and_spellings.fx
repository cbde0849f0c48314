float4 Tint;
struct Light { float3 dir; float power; };
Light Sun;
static const int Taps = 3;
float2 Offsets[Taps * 2];
float Weights[] = {0.25, 0.5, 0.25};
unsigned int Count = 2;
static const float2 Kernel[] = {float2(0, 1), float2(1, 0)};
string Space < string UIName = ("World"); > = "x";
Texture2D Tex;
SamplerState Smp { Filter = MIN_MAG_MIP_LINEAR; };
float4 VS(float4 p : POSITION) : SV_Position { return p + Kernel[1].x * Tint * Sun.power * Count; }
float4 PS(float4 p : SV_Position) : SV_Target { return Tex.Sample(Smp, Offsets[0] + Weights[1]); }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetGeometryShader(0); SetPixelShader(CompileShader(ps_4_0, PS())); } }
