// The last pass: brings the finished scene from channel A to the screen with
// a slight chromatic shift towards the edges, a vignette, film grain and a
// white flash.
//
//   uSyncB  beat pulse 0..1: widens the chromatic shift a little.
//   uSyncD  flash 0..1: 0 leaves the picture alone, 1 turns it almost white.
// These two, the music time and the picture's size reach this stage through
// the vertex stage (noTransform.vs), which works out what depends on them
// alone.
uniform sampler2D uChannelA;
in vec2 texCoord;
in vec2 postFromCentre;
in vec2 postVignette;
flat in float postShiftScale;
flat in float postFlash;
flat in uint postGrainFrame;
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
    vec2 shift = postFromCentre * postShiftScale * length(postFromCentre);
    vec3 colour = vec3(texture(uChannelA, texCoord + shift).r,
                       texture(uChannelA, texCoord).g,
                       texture(uChannelA, texCoord - shift).b);

    colour *= 1.0 - 0.55 * smoothstep(0.35, 1.0, length(postVignette));
    colour += grain(uvec2(gl_FragCoord.xy), postGrainFrame) * 0.05;
    colour = mix(colour, vec3(1.0, 0.97, 0.92), postFlash);
    fragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
}
