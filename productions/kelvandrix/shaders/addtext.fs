// The text overlay over the cleared scene. The overlay's red channel is glyph
// coverage (alpha is 255 over whole glyph rectangles, so it says nothing about
// the glyph itself). Blending is off and the depth test is on, so the only way
// to keep the background around the letters is not to write there at all.
//
// uSyncB (beat pulse 0..1) brightens the letters, uSyncC (palette 0..1)
// tints them; uTime runs a slow sheen across them.
uniform sampler2D uChannelA;
uniform float uTime;
uniform float uSyncB, uSyncC;
in vec2 texCoord;
out vec4 fragColor;

const float kEmpty = 1.0 / 512.0; // below half an 8-bit step

vec3 palette(float t)
{
    return 0.5 + 0.5 * cos(6.2831853 * (t + vec3(0.0, 0.33, 0.67)));
}

void main()
{
    float coverage = texture(uChannelA, texCoord).r;
    if (coverage < kEmpty)
        discard;

    vec3 tint = palette(fract(uSyncC + 0.15 * texCoord.x));
    float sheen = 0.95 + 0.05 * sin(texCoord.x * 9.0 - uTime * 2.5);
    float pulse = clamp(uSyncB, 0.0, 1.0);
    vec3 colour = mix(vec3(1.0, 0.98, 0.94), tint, 0.2) * sheen * (1.0 + 0.3 * pulse);

    // Anti-aliased edges fade towards black rather than towards the unknown
    // background; the ramp keeps most of the edge bright so letters stay crisp.
    float strength = smoothstep(0.0, 0.55, coverage);
    fragColor = vec4(min(colour * strength, vec3(1.0)), 1.0);
}
