// The last pass: brings the finished scene from channel A to the screen with
// a slight chromatic shift towards the edges, a vignette, film grain and a
// white flash.
//
//   uSyncB  beat pulse 0..1: widens the chromatic shift a little.
//   uSyncD  flash 0..1: 0 leaves the picture alone, 1 turns it almost white.
uniform vec2 uResolution;
uniform float uTime;
uniform sampler2D uChannelA;
uniform float uSyncB, uSyncD;
in vec2 texCoord;
out vec4 fragColor;

// Integer hash: stable grain at any resolution, no precision trouble.
float grain(uvec2 pixel, uint frame)
{
    uint h = pixel.x * 1973u + pixel.y * 9277u + frame * 26699u;
    h = (h ^ (h >> 16)) * 0x7feb352du;
    h = (h ^ (h >> 15)) * 0x846ca68bu;
    h ^= h >> 16;
    return float(h & 0xffffu) / 65535.0 - 0.5;
}

void main()
{
    vec2 fromCentre = texCoord - 0.5;
    vec2 shift = fromCentre * (0.006 + 0.01 * clamp(uSyncB, 0.0, 1.0)) * length(fromCentre) * 2.0;
    vec3 colour = vec3(texture(uChannelA, texCoord + shift).r,
                       texture(uChannelA, texCoord).g,
                       texture(uChannelA, texCoord - shift).b);

    float edge = length(fromCentre * vec2(1.0, uResolution.y / max(uResolution.x, 1.0)) * 1.6);
    colour *= 1.0 - 0.55 * smoothstep(0.35, 1.0, edge);

    uint frame = uint(max(uTime, 0.0) * 30.0);
    colour += grain(uvec2(gl_FragCoord.xy), frame) * 0.05;

    colour = mix(colour, vec3(1.0, 0.97, 0.92), 0.9 * clamp(uSyncD, 0.0, 1.0));
    fragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
