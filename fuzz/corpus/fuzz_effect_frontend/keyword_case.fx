MATRIX World;
Vector Tint < STRING Name = "tint"; >;
float4 VS(float4 p : POSITION) : SV_Position { return mul(p, World) * Tint; }
float4 PS() : SV_Target { return 1; }
technique10 T { PASS P { VERTEXSHADER = compile vs_4_0 VS(); pixelshader = compile ps_4_0 PS(); } }
