cbuffer Filter { float Gauss[7][7]; float4 Taps[2][2]; float After; };
float Weights[2][2] = { {1, 2}, {3, 4} };
static const float Fixed[2][3] = { {1, 0, 1}, {0, 1, 0} };
static float Scratch[2][2];
float4 VS(float4 p : POSITION) : SV_Position {
  float local[2][2] = { {0.5, 0.25}, {0.125, 1} };
  return p * Gauss[6][5] * Taps[1][0].x * Weights[1][1] * Fixed[1][1] * local[1][0] * After;
}
float4 PS() : SV_Target { return float4(1, 0, 0, 1); }
technique10 T { pass P { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(CompileShader(ps_4_0, PS())); } }
