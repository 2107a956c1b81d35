// Pyramid grid: a slowly turning camera drifts over an endless grid of dark
// glassy pyramids. Rings of height roll out from a point ahead of the camera;
// the pyramids' ridges and base edges are lit like neon tubes.
//
// Sync values (all four may stay 0: the grid then drifts on its own, with a
// faint beat taken from uTime):
//   uSyncA  camera travel: distance in pyramids flown on top of the steady
//           drift. Ramp it to speed up, step it to cut to another spot.
//   uSyncB  beat pulse 0..1: the pyramids near the centre of the rings shoot
//           up and every neon edge flares. Key it to 1 on a kick and let it
//           fall back to 0.
//   uSyncC  palette 0..1: turns the colour scheme around the colour wheel;
//           periodic, so 1 looks like 0.
//   uSyncD  flash 0..1: a white burst that lights the grid from the camera
//           (the post pass whitens the whole picture with the same value).
//
// Cost is bounded for software GL: at most kMaxSteps field evaluations per
// pixel, analytic normals, no shadow rays.

uniform vec2 uResolution;
uniform float uTime;
uniform float uSyncA, uSyncB, uSyncC, uSyncD;
in vec2 texCoord;
out vec4 fragColor;

const int kMaxSteps = 64;
const float kFar = 30.0;
const float kBeat = 60.0 / 127.0;
const float kHalfBase = 0.42;   // pyramids stand in cells of 1 x 1
const float kTallest = 1.65;    // no pyramid reaches above this
const float kDrift = 0.9;       // cells per second

float gPulse = 0.0;
float gFlash = 0.0;
float gHue = 0.0;
#ifdef KELVANDRIX_STEPVIEW
int gSteps = 0; // march steps taken, shown by the step-view build
#endif
vec2 gRingCentre = vec2(0.0);

// A value in [0, 1) for the cell, from 32-bit integer arithmetic (the
// "lowbias32" mix): the same bits on every GPU, driver and software renderer,
// where a sine of a large argument differs from one to the next.
float hash(vec2 cell)
{
    uvec2 c = uvec2(ivec2(cell));
    uint h = c.x * 0x8da6b343u + c.y * 0xd8163841u;
    h = (h ^ (h >> 16)) * 0x7feb352du;
    h = (h ^ (h >> 15)) * 0x846ca68bu;
    h ^= h >> 16;
    return float(h >> 8) * (1.0 / 16777216.0);
}

// Hue (periodic, 1 = full turn), saturation and value to RGB.
vec3 hsv(float hue, float saturation, float value)
{
    vec3 rgb = clamp(abs(fract(hue + vec3(1.0, 2.0 / 3.0, 1.0 / 3.0)) * 6.0 - 3.0) - 1.0, 0.0, 1.0);
    return value * mix(vec3(1.0), rgb, saturation);
}

float beatPulse()
{
    float ownBeat = 0.25 * exp(-5.0 * fract(uTime / kBeat));
    return clamp(max(ownBeat, uSyncB), 0.0, 1.0);
}

float pyramidHeight(vec2 cell)
{
    float r = length(cell + 0.5 - gRingCentre);
    float ring = 0.5 + 0.5 * sin(r * 0.9 - uTime * 2.4);
    float h = 0.15 + 0.85 * ring * ring + 0.12 * hash(cell) + 0.45 * gPulse * exp(-0.12 * r);
    return min(h, kTallest - 0.05);
}

// p relative to the centre of the base of the pyramid of its cell.
vec3 pyramidLocal(vec3 p, vec2 cell)
{
    return vec3(p.x - cell.x - 0.5, p.y, p.z - cell.y - 0.5);
}

// The largest of the distances to the four sides and the base plane: never
// more than the true distance, so marching with it cannot overshoot.
float pyramidDistance(vec3 p, vec2 cell, float height)
{
    vec3 local = pyramidLocal(p, cell);
    float across = max(abs(local.x), abs(local.z));
    float side = (height * across + kHalfBase * local.y - height * kHalfBase)
                 / sqrt(height * height + kHalfBase * kHalfBase);
    return max(side, -local.y);
}

float fieldDistance(vec3 p)
{
    vec2 cell = floor(p.xz);
    return min(p.y, pyramidDistance(p, cell, pyramidHeight(cell)));
}

// Distance along the ray to the first surface; -1 when the ray escapes.
float march(vec3 ro, vec3 rd)
{
    float t = 0.0;
    if (ro.y > kTallest) {
        if (rd.y >= 0.0)
            return -1.0;
        t = (ro.y - kTallest) / -rd.y;
    }
    vec2 inverseDir = 1.0 / max(abs(rd.xz), vec2(1e-4));
    for (int i = 0; i < kMaxSteps && t < kFar; ++i) {
#ifdef KELVANDRIX_STEPVIEW
        ++gSteps;
#endif
        vec3 p = ro + rd * t;
        if (p.y > kTallest && rd.y >= 0.0)
            return -1.0;
        float d = fieldDistance(p);
        if (d < max(0.001, 0.0015 * t))
            return t;
        // The field knows only the pyramid of its own cell, so a step must
        // not cross the cell wall, behind which a taller neighbour may stand.
        vec2 wall = floor(p.xz) + step(0.0, rd.xz);
        vec2 toWall = abs(wall - p.xz) * inverseDir;
        t += min(d, min(toWall.x, toWall.y) + 0.002);
    }
    return -1.0;
}

vec3 pyramidNormal(vec3 local, float height)
{
    if (abs(local.x) > abs(local.z))
        return normalize(vec3(sign(local.x) * height, kHalfBase, 0.0));
    return normalize(vec3(0.0, kHalfBase, sign(local.z) * height));
}

vec3 horizonColour()
{
    return hsv(gHue + 0.8, 0.55, 0.32);
}

vec3 neonColour(float crest)
{
    // Pink on the low pyramids, turning cyan towards the crests.
    return hsv(gHue + 0.88 - 0.38 * crest, 0.65, 1.0);
}

vec3 sky(vec3 rd)
{
    vec3 zenith = hsv(gHue + 0.66, 0.8, 0.07);
    vec3 colour = mix(horizonColour(), zenith, smoothstep(-0.05, 0.35, rd.y));
    vec3 moonDirection = normalize(vec3(0.6, 0.25, 1.0));
    float moon = max(dot(rd, moonDirection), 0.0);
    colour += hsv(gHue + 0.9, 0.3, 1.0) * (0.2 * pow(moon, 12.0) + 0.8 * smoothstep(0.9985, 0.999, moon));
    return colour;
}

// Bright along the four ridges and round the base, dark on the faces.
float neonAmount(vec3 local, float height, float t)
{
    float width = 0.012 + 0.0015 * t;
    float ridge = abs(abs(local.x) - abs(local.z));
    float base = kHalfBase - max(abs(local.x), abs(local.z));
    float line = 1.0 - smoothstep(0.0, width, min(ridge, base));
    float tip = smoothstep(0.8, 1.0, local.y / height);
    return max(line, tip);
}

vec3 shadePyramid(vec3 p, vec3 rd, float t, vec2 cell, float height)
{
    vec3 local = pyramidLocal(p, cell);
    vec3 n = pyramidNormal(local, height);
    vec3 light = normalize(vec3(0.5, 0.75, -0.45));
    float diffuse = max(dot(n, light), 0.0);
    float facing = max(dot(n, -rd), 0.0);
    float fresnel = pow(1.0 - facing, 3.0);
    float crest = smoothstep(0.5, 1.1, height);

    vec3 face = hsv(gHue + 0.62 + 0.04 * hash(cell + 3.0), 0.55, 0.12);
    vec3 colour = face * (0.3 + 0.9 * diffuse);
    colour += sky(reflect(rd, n)) * (0.15 + 0.6 * fresnel);
    colour += neonColour(crest) * neonAmount(local, height, t) * (0.45 + 0.4 * crest + 1.2 * gPulse);
    colour += vec3(0.9, 0.95, 1.0) * gFlash * 1.2 * facing;
    return colour;
}

vec3 shadeGround(vec3 p, vec3 rd, float t, vec2 cell, float height)
{
    // Between the pyramids lies a dark mirror that catches the sky and the
    // neon of the pyramid next to it.
    float fresnel = pow(1.0 - max(-rd.y, 0.0), 4.0);
    vec3 colour = sky(reflect(rd, vec3(0.0, 1.0, 0.0))) * (0.1 + 0.5 * fresnel);
    float nearBase = max(abs(p.x - cell.x - 0.5), abs(p.z - cell.y - 0.5)) - kHalfBase;
    float crest = smoothstep(0.5, 1.1, height);
    colour += neonColour(crest) * exp(-nearBase * 30.0) * (0.2 + 0.8 * gPulse);
    colour += vec3(gFlash * 0.25);
    return colour;
}

vec3 render(vec3 ro, vec3 rd)
{
    float t = march(ro, rd);
    if (t < 0.0)
        return sky(rd);

    vec3 p = ro + rd * t;
    vec2 cell = floor(p.xz);
    float height = pyramidHeight(cell);
    bool onGround = p.y < pyramidDistance(p, cell, height);
    vec3 colour = onGround ? shadeGround(p, rd, t, cell, height) : shadePyramid(p, rd, t, cell, height);

    float fog = 1.0 - exp(-0.004 * t * t);
    return mix(colour, horizonColour(), fog);
}

void main()
{
    gPulse = beatPulse();
    gFlash = clamp(uSyncD, 0.0, 1.0);
    gHue = uSyncC;

    float aspect = uResolution.x / max(uResolution.y, 1.0);
    vec2 screen = (texCoord * 2.0 - 1.0) * vec2(aspect, 1.0);

    float travel = uTime * kDrift + uSyncA;
    float swing = 0.55 * sin(uTime * 0.09);
    vec3 target = vec3(travel, 0.8, 0.0);
    vec3 ro = target + vec3(5.0 * sin(swing), 2.8 + 0.3 * sin(uTime * 0.23), -5.0 * cos(swing));
    gRingCentre = target.xz + vec2(1.5, 1.0);

    vec3 forward = normalize(target - ro);
    vec3 right = normalize(cross(vec3(0.0, 1.0, 0.0), forward));
    vec3 up = cross(forward, right);
    vec3 rd = normalize(screen.x * right + screen.y * up + 1.6 * forward);

    vec3 colour = render(ro, rd);
    // Soft shoulder: glow and flash saturate gently instead of clipping.
    colour = colour / (1.0 + 0.2 * colour) * 1.2;
    fragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
#ifdef KELVANDRIX_STEPVIEW
    // The step-view build (bench/shaders/stepview) reads the count exactly.
    fragColor = vec4(float(gSteps) / 255.0, 0.0, 0.0, 1.0);
#endif
}
