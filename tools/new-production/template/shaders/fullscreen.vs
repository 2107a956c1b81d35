// The full-screen quad: texCoord runs 0..1 across the picture, v = 0 at the
// bottom.
layout (location = 0) in vec3 vertexPosition;
out vec2 texCoord;

void main()
{
    texCoord = vertexPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vertexPosition, 1.0);
}
