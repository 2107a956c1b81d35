// The debug text overlay over whatever is already drawn: its red channel is
// glyph coverage, and where there is none the pixel is left alone.
uniform sampler2D uChannelTextDebug;
in vec2 texCoord;
out vec4 fragColor;

const float kEmpty = 1.0 / 512.0; // below half an 8-bit step

void main()
{
    float coverage = texture(uChannelTextDebug, texCoord).r;
    if (coverage < kEmpty)
        discard;
    fragColor = vec4(vec3(coverage), 1.0);
}
