#version 410 core
// Full-screen pass: the quad's positions are already in clip space.
// texCoord runs 0..1 across the picture with v = 0 at the bottom, which is
// how off-screen targets are laid out in memory.
layout (location = 0) in vec3 vertexPosition;
out vec2 texCoord;

void main()
{
    texCoord = vertexPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vertexPosition, 1.0);
}
