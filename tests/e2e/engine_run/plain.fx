// The smallest effect a resource script can name: one technique, one pass.
float4x4 World : World;
float4 Tint = float4(1, 1, 1, 1);

struct VSOut { float4 position : SV_Position; };

VSOut VS(float3 position : POSITION) {
  VSOut o;
  o.position = mul(float4(position, 1), World);
  return o;
}

float4 PS(VSOut i) : SV_Target { return Tint; }

technique10 Plain {
  pass P {
    SetVertexShader(CompileShader(vs_4_0, VS()));
    SetGeometryShader(NULL);
    SetPixelShader(CompileShader(ps_4_0, PS()));
  }
}
