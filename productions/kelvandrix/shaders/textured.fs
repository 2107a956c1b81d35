// Shows the texture on channel A as it is (the closing picture).
uniform sampler2D uChannelA;
in vec2 texCoord;
out vec4 fragColor;

void main()
{
    fragColor = vec4(texture(uChannelA, texCoord).rgb, 1.0);
}
