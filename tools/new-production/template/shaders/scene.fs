// The scene: rings of colour flowing out from the centre, with the text
// canvas laid over them. Written without a #version line in what GLSL 4.10
// core and GLSL ES 3.00 share: the engine puts the platform's version first.
//   uSyncA  (track shader_A) turns the colours, 0 to 1 once round
//   uSyncB  (track shader_B) the flash on the beat, 0 to 1
uniform vec2 uResolution;
uniform float uTime;
uniform float uSyncA, uSyncB;
uniform sampler2D uChannelText; // row 0 is the top of the picture
in vec2 texCoord;
out vec4 fragColor;

vec3 palette(float t)
{
    return 0.5 + 0.5 * cos(6.2831853 * (t + vec3(0.0, 0.33, 0.67)));
}

void main()
{
    vec2 p = (texCoord - 0.5) * vec2(uResolution.x / max(uResolution.y, 1.0), 1.0);
    float radius = length(p);
    float angle = atan(p.y, p.x);
    float rings = sin(18.0 * radius - 3.0 * uTime + 2.0 * sin(3.0 * angle + uTime));
    vec3 colour = palette(uSyncA + 0.3 * radius + 0.1 * rings) * (0.55 + 0.45 * rings);
    colour = mix(colour, vec3(1.0), 0.6 * clamp(uSyncB, 0.0, 1.0) * (1.0 - radius));

    float letters = texture(uChannelText, vec2(texCoord.x, 1.0 - texCoord.y)).r;
    fragColor = vec4(mix(colour * 0.8, vec3(1.0), letters), 1.0);
}
