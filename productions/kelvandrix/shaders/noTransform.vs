// Full-screen pass: the quad's positions are already in clip space.
// texCoord runs 0..1 across the picture with v = 0 at the bottom, which is
// how off-screen targets are laid out in memory.
//
// It also works out, once per corner, what the ray-marched scenes would
// otherwise work out for every pixel from the frame's uniforms alone: the
// beat, the palette's turn and the camera, and the post pass's film frame,
// shift and flash. Software GL does not lift such
// work out of the fragment stage, where it costs as much as the pixel's own.
// Flat outputs hand it over unchanged; the view vector, a linear function of
// the screen position, is interpolated. Programs whose fragment stage does
// not read these outputs leave them unused.
layout (location = 0) in vec3 vertexPosition;
out vec2 texCoord;

uniform vec2 uResolution;
uniform float uTime;
uniform float uSyncA, uSyncB, uSyncC, uSyncD;

// rm_cubescape.fs: the beat, (sin, cos) of the palette's turn, the camera's
// position and the view vector, whose direction is the ray's.
flat out float cubesPulse;
flat out vec2 cubesHueTurn;
flat out vec3 cubesOrigin;
out vec3 cubesView;

// rm_pyramidgrid.fs, the same way.
flat out float pyramidsPulse;
flat out vec2 pyramidsRingCentre;
flat out vec3 pyramidsOrigin;
out vec3 pyramidsView;

// post.fs: the position from the picture's centre, the same scaled for the
// vignette, the chromatic shift's strength, the flash's share and the film
// frame of the grain.
out vec2 postFromCentre;
out vec2 postVignette;
flat out float postShiftScale;
flat out float postFlash;
flat out uint postGrainFrame;

const float kBeat = 60.0 / 127.0;

// The screen position of this corner: -aspect..aspect across, -1..1 up.
vec2 screenPosition()
{
    float aspect = uResolution.x / max(uResolution.y, 1.0);
    return vertexPosition.xy * vec2(aspect, 1.0);
}

float beatPulse()
{
    float ownBeat = 0.25 * exp(-5.0 * fract(uTime / kBeat));
    return clamp(max(ownBeat, uSyncB), 0.0, 1.0);
}

// The camera looks along v. The unit axes are v / |v| (forward),
// (v.z, 0, -v.x) / |v.xz| (right, level) and their cross product (up); all
// three are scaled by |v| |v.xz|, which the ray's normalisation takes out
// again, so the fragment stage needs one normalisation only.
vec3 view(vec2 screen, vec3 v)
{
    float level = v.x * v.x + v.z * v.z;
    float along = sqrt(level + v.y * v.y);
    float across = sqrt(level);
    return screen.x * along * vec3(v.z, 0.0, -v.x) + screen.y * vec3(-v.x * v.y, level, -v.y * v.z) + 1.6 * across * v;
}

void cubesFrame()
{
    const float kCruise = 1.7; // cells per second
    cubesPulse = beatPulse();
    cubesHueTurn = vec2(sin(6.2831853 * uSyncC), cos(6.2831853 * uSyncC));
    float roll = 0.05 * sin(uTime * 0.31);
    vec2 screen = mat2(cos(roll), sin(roll), -sin(roll), cos(roll)) * screenPosition();
    float travel = uTime * kCruise + uSyncA;
    cubesOrigin = vec3(0.5 + 2.0 * sin(travel * 0.07), 3.1 + 0.25 * sin(uTime * 0.37), travel);
    cubesView = view(screen, vec3(0.6 * sin(travel * 0.05 + 1.0), -0.9, 2.5));
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
    pyramidsView = view(screenPosition(), target - pyramidsOrigin);
}

void postFrame()
{
    postFromCentre = vertexPosition.xy * 0.5;
    postVignette = postFromCentre * vec2(1.0, uResolution.y / max(uResolution.x, 1.0)) * 1.6;
    postShiftScale = (0.006 + 0.01 * clamp(uSyncB, 0.0, 1.0)) * 2.0;
    postFlash = 0.9 * clamp(uSyncD, 0.0, 1.0);
    postGrainFrame = uint(max(uTime, 0.0) * 30.0);
}

void main()
{
    texCoord = vertexPosition.xy * 0.5 + 0.5;
    gl_Position = vec4(vertexPosition, 1.0);
    cubesFrame();
    pyramidsFrame();
    postFrame();
}
