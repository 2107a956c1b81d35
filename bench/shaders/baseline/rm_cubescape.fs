// Cubescape: the camera glides over an endless field of rounded cubes on a
// dark grid floor, towards a low sun. The cubes' heights swell in slow waves
// and jump on the beat; their edges glow.
//
// Sync values (all four may stay 0: the field then cruises on its own, with a
// faint beat taken from uTime):
//   uSyncA  camera travel: distance in cubes flown on top of the steady
//           cruise. Ramp it to speed up, step it to cut to another spot.
//   uSyncB  beat pulse 0..1: cubes jump and their edges and the floor grid
//           flare. Key it to 1 on a kick and let it fall back to 0.
//   uSyncC  palette 0..1: turns the colour scheme around the colour wheel;
//           periodic, so 1 looks like 0.
//   uSyncD  flash 0..1: a white burst that lights the field from the camera
//           (the post pass whitens the whole picture with the same value).
//
// Cost is bounded for software GL: at most kMaxSteps field evaluations per
// pixel, no shadow rays, analytic occlusion.

uniform vec2 uResolution;
uniform float uTime;
uniform float uSyncA, uSyncB, uSyncC, uSyncD;
in vec2 texCoord;
out vec4 fragColor;

const int kMaxSteps = 64;
const float kFar = 36.0;
const float kBeat = 60.0 / 127.0;
const float kHalfWidth = 0.34;   // cubes stand in cells of 1 x 1
const float kTallest = 2.3;      // no cube reaches above this
const float kCruise = 1.7;       // cells per second

float gPulse = 0.0;
float gFlash = 0.0;
float gHue = 0.0;
#ifdef KELVANDRIX_STEPVIEW
int gSteps = 0; // march steps taken, shown by the step-view build
#endif

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

vec3 palette(float t)
{
    return vec3(0.58, 0.48, 0.52) + vec3(0.38, 0.32, 0.34) * cos(6.2831853 * (t + vec3(0.0, 0.12, 0.27)));
}

float beatPulse()
{
    float ownBeat = 0.25 * exp(-5.0 * fract(uTime / kBeat));
    return clamp(max(ownBeat, uSyncB), 0.0, 1.0);
}

float cubeHeight(vec2 cell)
{
    float h = hash(cell);
    float swell = sin(cell.x * 0.45 + uTime * 0.9) * cos(cell.y * 0.3 - uTime * 0.7);
    return clamp(0.35 + h * h + 0.3 * swell + 0.55 * gPulse * h, 0.12, kTallest - 0.1);
}

float roundBox(vec3 p, vec3 halfSize, float radius)
{
    vec3 q = abs(p) - halfSize + radius;
    return length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0) - radius;
}

// p relative to the centre of the cube of its cell.
vec3 cubeLocal(vec3 p, vec2 cell, float height)
{
    return vec3(p.x - cell.x - 0.5, p.y - 0.5 * height, p.z - cell.y - 0.5);
}

float cubeDistance(vec3 p, vec2 cell, float height)
{
    return roundBox(cubeLocal(p, cell, height), vec3(kHalfWidth, 0.5 * height, kHalfWidth), 0.05);
}

float fieldDistance(vec3 p)
{
    vec2 cell = floor(p.xz);
    return min(p.y, cubeDistance(p, cell, cubeHeight(cell)));
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
        // The field knows only the cube of its own cell, so a step must not
        // cross the cell wall, behind which a taller neighbour may stand.
        vec2 wall = floor(p.xz) + step(0.0, rd.xz);
        vec2 toWall = abs(wall - p.xz) * inverseDir;
        t += min(d, min(toWall.x, toWall.y) + 0.002);
    }
    return -1.0;
}

vec3 cubeNormal(vec3 p, vec2 cell, float height)
{
    const vec2 e = vec2(0.002, -0.002);
    return normalize(e.xyy * cubeDistance(p + e.xyy, cell, height)
                     + e.yyx * cubeDistance(p + e.yyx, cell, height)
                     + e.yxy * cubeDistance(p + e.yxy, cell, height)
                     + e.xxx * cubeDistance(p + e.xxx, cell, height));
}

vec3 sunDirection()
{
    return normalize(vec3(0.25, 0.22, 1.0));
}

vec3 horizonColour()
{
    return palette(gHue + 0.02) * 0.95 + 0.08;
}

vec3 sky(vec3 rd)
{
    vec3 zenith = palette(gHue + 0.55) * 0.35;
    vec3 colour = mix(horizonColour(), zenith, smoothstep(-0.02, 0.55, rd.y));
    float sun = max(dot(rd, sunDirection()), 0.0);
    vec3 sunColour = vec3(1.0, 0.78, 0.55);
    colour += sunColour * (0.45 * pow(sun, 16.0) + 0.9 * pow(sun, 350.0));
    return colour;
}

// 1 on a cube's edges, 0 on its faces: the edges are where two of the three
// coordinates reach the cube's side.
float edgeAmount(vec3 local, float height)
{
    vec3 gap = vec3(kHalfWidth, 0.5 * height, kHalfWidth) - abs(local);
    float smallest = min(gap.x, min(gap.y, gap.z));
    float largest = max(gap.x, max(gap.y, gap.z));
    float middle = gap.x + gap.y + gap.z - smallest - largest;
    return 1.0 - smoothstep(0.015, 0.06, middle);
}

vec3 shadeCube(vec3 p, vec3 rd, vec2 cell, float height)
{
    vec3 n = cubeNormal(p, cell, height);
    vec3 light = normalize(vec3(-0.55, 0.8, -0.35));
    float diffuse = max(dot(n, light), 0.0);
    float skyFill = 0.5 + 0.5 * n.y;
    float groundOcclusion = 0.4 + 0.6 * smoothstep(0.0, 0.9, p.y);
    float rim = pow(1.0 - max(dot(n, -rd), 0.0), 3.0);

    float seed = hash(cell + 17.0);
    vec3 base = palette(gHue + 0.35 * seed + 0.08 * height);
    vec3 colour = base * (0.3 * skyFill + 0.85 * diffuse) * groundOcclusion;
    colour += horizonColour() * rim * 0.35;

    vec3 glowColour = palette(gHue + 0.5 + 0.2 * seed) + 0.3;
    colour += glowColour * edgeAmount(cubeLocal(p, cell, height), height) * (0.2 + 1.1 * gPulse);
    colour += base * gFlash * 1.4 * max(dot(n, -rd), 0.0);
    return colour;
}

vec3 shadeFloor(vec3 p, float t, vec2 cell, float height)
{
    float nearCube = cubeDistance(p, cell, height);
    float occlusion = 0.35 + 0.65 * smoothstep(0.0, 0.25, nearCube);
    vec3 colour = palette(gHue + 0.6) * 0.08 * occlusion;

    vec2 toLine = abs(p.xz - floor(p.xz + 0.5));
    float width = 0.015 + 0.0025 * t;
    float line = 1.0 - smoothstep(0.0, width, min(toLine.x, toLine.y));
    colour += (palette(gHue + 0.45) + 0.2) * line * (0.25 + 0.9 * gPulse);
    colour += vec3(gFlash * 0.3);
    return colour;
}

vec3 render(vec3 ro, vec3 rd)
{
    float t = march(ro, rd);
    if (t < 0.0)
        return sky(rd);

    vec3 p = ro + rd * t;
    vec2 cell = floor(p.xz);
    float height = cubeHeight(cell);
    bool onFloor = p.y < cubeDistance(p, cell, height);
    vec3 colour = onFloor ? shadeFloor(p, t, cell, height) : shadeCube(p, rd, cell, height);

    float fog = 1.0 - exp(-0.0028 * t * t);
    return mix(colour, horizonColour(), fog);
}

void main()
{
    gPulse = beatPulse();
    gFlash = clamp(uSyncD, 0.0, 1.0);
    gHue = uSyncC;

    float aspect = uResolution.x / max(uResolution.y, 1.0);
    vec2 screen = (texCoord * 2.0 - 1.0) * vec2(aspect, 1.0);
    float roll = 0.05 * sin(uTime * 0.31);
    screen = mat2(cos(roll), sin(roll), -sin(roll), cos(roll)) * screen;

    float travel = uTime * kCruise + uSyncA;
    vec3 ro = vec3(0.5 + 2.0 * sin(travel * 0.07), 3.1 + 0.25 * sin(uTime * 0.37), travel);
    vec3 target = ro + vec3(0.6 * sin(travel * 0.05 + 1.0), -0.9, 2.5);
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
