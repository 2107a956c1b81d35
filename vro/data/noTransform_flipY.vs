// Full-screen pass for textures whose row 0 is the top of the picture
// (decoded images, the text overlays): v is turned over so they show upright.
layout (location = 0) in vec3 vertexPosition;
out vec2 texCoord;

void main()
{
    texCoord = vec2(vertexPosition.x * 0.5 + 0.5, 0.5 - vertexPosition.y * 0.5);
    gl_Position = vec4(vertexPosition, 1.0);
}
