#version 410 core
// Full-screen pass: the quad's positions are already in clip space.
// texCoord runs 0..1 across the picture with v = 0 at the bottom, which is
// how off-screen targets are laid out in memory.
//
// It also works out, once per corner, what the ray-marched scenes would
// otherwise work out for every pixel from the frame's uniforms alone: the
// beat, the camera and the colours that depend only on the palette. Software
// GL shades a 1280x720 picture in groups of eight pixels and does not lift
// such work out of the fragment stage; flat outputs hand it over unchanged.
// Programs whose fragment stage does not read them leave them unused.
layout (location = 0) in vec3 vertexPosition;
out vec2 texCoord;

uniform float uTime;
uniform float uSyncA, uSyncB, uSyncC;

// rm_cubescape.fs: the ray's direction is normalize(screen.x * cubesRight +
// screen.y * cubesUp + cubesForward), screen turned by cubesRoll = (cos, sin).
flat out float cubesPulse;
flat out vec2 cubesHueTurn;
flat out vec2 cubesRoll;
flat out vec3 cubesOrigin;
flat out vec3 cubesRight;
flat out vec3 cubesUp;
flat out vec3 cubesForward;

// rm_pyramidgrid.fs, the same way.
flat out float pyramidsPulse;
flat out vec2 pyramidsRingCentre;
flat out vec3 pyramidsOrigin;
flat out vec3 pyramidsRight;
flat out vec3 pyramidsUp;
flat out vec3 pyramidsForward;

const float kBeat = 60.0 / 127.0;

float beatPulse()
{
    float ownBeat = 0.25 * exp(-5.0 * fract(uTime / kBeat));
    return clamp(max(ownBeat, uSyncB), 0.0, 1.0);
}

// The view looks along v. The unit axes are v / |v| (forward),
// (v.z, 0, -v.x) / |v.xz| (right, level) and their cross product (up); all
// three are scaled by |v| |v.xz|, which the ray's normalisation takes out
// again, so the fragment stage needs one normalisation only.
void cameraAxes(vec3 v, out vec3 right, out vec3 up, out vec3 forward)
{
    float level = v.x * v.x + v.z * v.z;
    float along = sqrt(level + v.y * v.y);
    float across = sqrt(level);
    right = along * vec3(v.z, 0.0, -v.x);
    up = vec3(-v.x * v.y, level, -v.y * v.z);
    forward = 1.6 * across * v;
}

void cubesFrame()
{
    const float kCruise = 1.7; // cells per second
    cubesPulse = beatPulse();
    cubesHueTurn = vec2(sin(6.2831853 * uSyncC), cos(6.2831853 * uSyncC));
    float roll = 0.05 * sin(uTime * 0.31);
    cubesRoll = vec2(cos(roll), sin(roll));
    float travel = uTime * kCruise + uSyncA;
    cubesOrigin = vec3(0.5 + 2.0 * sin(travel * 0.07), 3.1 + 0.25 * sin(uTime * 0.37), travel);
    cameraAxes(vec3(0.6 * sin(travel * 0.05 + 1.0), -0.9, 2.5), cubesRight, cubesUp, cubesForward);
}

void pyramidsFrame()
{
    const float kDrift = 0.9; // cells per second
    pyramidsPulse = beatPulse();
    float travel = uTime * kDrift + uSyncA;
    float swing = 0.55 * sin(uTime * 0.09);
    vec3 target = vec3(travel, 0.8, 0.0);
    pyramidsOrigin = target + vec3(5.0 * sin(swing), 2.8 + 0.3 * sin(uTime * 0.23), -5.0 * cos(swing));
    pyramidsRingCentre = target.xz + vec2(1.5, 1.0);
    cameraAxes(target - pyramidsOrigin, pyramidsRight, pyramidsUp, pyramidsForward);
}

void main()
{
    texCoord = vertexPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vertexPosition, 1.0);
    cubesFrame();
    pyramidsFrame();
}
