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

uniform float uTime;
uniform float uSyncC, uSyncD; // uSyncA and uSyncB act through the vertex stage
out vec4 fragColor;

const int kMaxSteps = 64;
const float kFar = 36.0;
const float kHalfWidth = 0.34;   // cubes stand in cells of 1 x 1
const float kTallest = 2.3;      // no cube reaches above this

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

const vec3 kPaletteShift = 6.2831853 * vec3(0.0, 0.12, 0.27);

// The scheme's colour at t, given turn = (sin, cos) of 2 pi t: the three
// channels' cosines follow from that one pair by the angle addition rule.
vec3 paletteTurned(vec2 turn)
{
    return vec3(0.58, 0.48, 0.52) + vec3(0.38, 0.32, 0.34) * (turn.y * cos(kPaletteShift) - turn.x * sin(kPaletteShift));
}

vec3 palette(float t)
{
    float angle = 6.2831853 * t;
    return paletteTurned(vec2(sin(angle), cos(angle)));
}

// palette(gHue + offset) for a constant offset, from the sine and cosine of
// the hue worked out once per pixel.
vec2 gHueTurn = vec2(0.0, 1.0);
vec3 paletteFromHue(float offset)
{
    float angle = 6.2831853 * offset;
    vec2 turn = vec2(sin(angle), cos(angle));
    return paletteTurned(vec2(gHueTurn.x * turn.y + gHueTurn.y * turn.x, gHueTurn.y * turn.y - gHueTurn.x * turn.x));
}

// x to the 2^n by squaring: a few products instead of a logarithm and an
// exponential.
float powerOfTwo(float x, int n)
{
    for (int i = 0; i < n; ++i)
        x *= x;
    return x;
}

// The heights swell with sin(0.45 x + 0.9 uTime) * cos(0.3 z - 0.7 uTime) of
// the cell (x, z). The march keeps the sines and cosines of both angles and
// turns them on by the angle addition rule from cell to cell: neighbours
// differ by 1 in x or z, so a cell costs a few products where it cost two
// transcendental functions.
const vec2 kSwellRate = vec2(0.45, 0.3);
const vec2 kSwellStepSin = vec2(sin(0.45), sin(0.3));
const vec2 kSwellStepCos = vec2(cos(0.45), cos(0.3));

// x, y: the sines; z, w: the cosines of the two angles of the cell.
vec4 swellAngles(vec2 cell)
{
    vec2 angle = cell * kSwellRate + vec2(0.9, -0.7) * uTime;
    return vec4(sin(angle), cos(angle));
}

// The angles of the cell `move` (-1, 0 or 1 in each of x and z) further on.
vec4 swellAnglesMoved(vec4 angles, vec2 move)
{
    vec2 stepCos = mix(vec2(1.0), kSwellStepCos, abs(move));
    vec2 stepSin = kSwellStepSin * move;
    return vec4(angles.xy * stepCos + angles.zw * stepSin, angles.zw * stepCos - angles.xy * stepSin);
}

float cubeHeight(vec2 cell, vec4 swellAngles)
{
    float h = hash(cell);
    float swell = swellAngles.x * swellAngles.w;
    return clamp(0.35 + h * h + 0.3 * swell + 0.55 * gPulse * h, 0.12, kTallest - 0.1);
}

const float kRounding = 0.05;    // radius of the cubes' rounded edges

// Distance to a box rounded by kRounding whose sharp core (the box shrunk by
// the rounding) reaches `core` from its centre; p from the centre.
float roundedCore(vec3 p, vec3 core)
{
    vec3 q = abs(p) - core;
    return length(max(q, 0.0)) + min(max(q.x, max(q.y, q.z)), 0.0) - kRounding;
}

// p relative to the centre of the cube of its cell.
vec3 cubeLocal(vec3 p, vec2 cell, float height)
{
    return vec3(p.x - cell.x - 0.5, p.y - 0.5 * height, p.z - cell.y - 0.5);
}

// The sharp core of a cube of this height, from its centre.
vec3 cubeCore(float height)
{
    return vec3(kHalfWidth, 0.5 * height, kHalfWidth) - kRounding;
}

// Where the ray (ro + rd * t) is inside the box centre +- halfSize:
// x = entry, y = exit; x > y when it misses.
vec2 boxSpan(vec3 ro, vec3 inverseDir, vec3 centre, vec3 halfSize)
{
    vec3 middle = (centre - ro) * inverseDir;
    vec3 reach = halfSize * abs(inverseDir);
    vec3 near = middle - reach;
    vec3 far = middle + reach;
    return vec2(max(near.x, max(near.y, near.z)), min(far.x, min(far.y, far.z)));
}

float hitTolerance(float t)
{
    return max(0.001, 0.0015 * t);
}

// Distance along the ray to the first surface; -1 when the ray escapes.
// The march goes cell by cell: a cell where the ray passes clear of the
// cube and the floor costs one step; near them it sphere-traces with the
// steps and the tolerance it always had, so it stops where it always
// stopped, but works out the cube's height once per cell.
float march(vec3 ro, vec3 rd, out vec2 cell, out float height)
{
    // No cube of this frame reaches above the ceiling: above it, the march
    // begins where a falling ray comes down to it, and a rising ray is sky
    // once it has climbed through it.
    float ceiling = min(1.65 + 0.55 * gPulse, kTallest - 0.1) + 0.01;
    float t = 0.0;
    float end = kFar;
    if (ro.y > ceiling) {
        if (rd.y >= 0.0)
            return -1.0;
        t = (ro.y - ceiling) / -rd.y;
    } else if (rd.y > 0.0) {
        end = min(kFar, (ceiling - ro.y) / rd.y);
    }
    vec2 inverseDir = 1.0 / max(abs(rd.xz), vec2(1e-4));
    vec3 boxInverseDir = 1.0 / mix(vec3(1e-6), rd, greaterThanEqual(abs(rd), vec3(1e-6)));

    vec2 towards = step(0.0, rd.xz);
    vec2 cellStep = 2.0 * towards - 1.0;

    cell = floor(ro.xz + rd.xz * t);
    vec4 swell = swellAngles(cell);
    height = cubeHeight(cell, swell);
    int steps = 0;
    float hit = -1.0;
    while (steps < kMaxSteps && t < end && hit < 0.0) {
        // The field knows only the cube of its own cell, so a step must not
        // cross the cell wall, behind which a taller neighbour may stand.
        // What stays the same within the cell is worked out here once: the
        // driver does not lift it out of the loop below by itself.
        vec2 wall = cell + towards;
        vec2 toWall = abs(wall - ro.xz) * inverseDir;
        float leave = min(toWall.x, toWall.y);
        // The ray goes on into the cell behind the nearer wall. Its height
        // does not depend on the steps in this cell, so the processor works
        // it out while they run instead of after them.
        vec2 move = toWall.x < toWall.y ? vec2(cellStep.x, 0.0) : vec2(0.0, cellStep.y);
        vec2 next = cell + move;
        vec4 nextSwell = swellAnglesMoved(swell, move);
        float nextHeight = cubeHeight(next, nextSwell);
        float margin = hitTolerance(leave) + 0.002;
        // The cube and the floor below it, grown by the margin.
        vec3 boxCentre = vec3(cell.x + 0.5, 0.5 * height - 0.5, cell.y + 0.5);
        vec3 boxHalfSize = vec3(kHalfWidth, 0.5 * height + 0.5, kHalfWidth) + margin;
        vec2 span = boxSpan(ro, boxInverseDir, boxCentre, boxHalfSize);
        bool nearCube = (span.x <= span.y && span.x <= leave && span.y >= t)
                        || min(ro.y + rd.y * t, ro.y + rd.y * leave) <= margin;
        vec3 centre = vec3(cell.x + 0.5, 0.5 * height, cell.y + 0.5);
        vec3 core = cubeCore(height);
        // Sphere steps while the ray is in this cell; a cell the ray passes
        // clear of is crossed in one.
        do {
            ++steps;
            vec3 p = ro + rd * t;
            float d = nearCube ? min(p.y, roundedCore(p - centre, core)) : kFar;
            if (d < hitTolerance(t)) {
                hit = t;
                break;
            }
            t += min(d, leave - t + 0.002);
        } while (steps < kMaxSteps && t < end && t < leave);
        if (hit < 0.0) {
            cell = next;
            swell = nextSwell;
            height = nextHeight;
        }
    }
#ifdef KELVANDRIX_STEPVIEW
    gSteps = steps;
#endif
    return hit;
}

// The gradient of roundedCore at the surface: away from the nearest point of
// the sharp core. (The tiny floor keeps it defined inside the core, where
// only floor pixels, which do not use it, can be.)
vec3 cubeNormal(vec3 local, vec3 core)
{
    return sign(local) * normalize(max(abs(local) - core, 1e-9));
}

vec3 sunDirection()
{
    return normalize(vec3(0.25, 0.22, 1.0));
}

vec3 horizonColour()
{
    return paletteFromHue(0.02) * 0.95 + 0.08;
}

vec3 sky(vec3 rd)
{
    vec3 zenith = paletteFromHue(0.55) * 0.35;
    vec3 colour = mix(horizonColour(), zenith, smoothstep(-0.02, 0.55, rd.y));
    float sun = max(dot(rd, sunDirection()), 0.0);
    vec3 sunColour = vec3(1.0, 0.78, 0.55);
    // sun^350 = sun^256 * sun^64 * sun^16 * sun^8 * sun^4 * sun^2
    float sun16 = powerOfTwo(sun, 4);
    float sun64 = powerOfTwo(sun16, 2);
    float sun350 = powerOfTwo(sun64, 2) * sun64 * sun16 * powerOfTwo(sun, 3) * powerOfTwo(sun, 2) * sun * sun;
    colour += sunColour * (0.45 * sun16 + 0.9 * sun350);
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

// local: p from the centre of its cube, core: that cube's sharp core.
vec3 shadeCube(vec3 p, vec3 rd, vec2 cell, float height, vec3 local, vec3 core)
{
    vec3 n = cubeNormal(local, core);
    vec3 light = normalize(vec3(-0.55, 0.8, -0.35));
    float diffuse = max(dot(n, light), 0.0);
    float skyFill = 0.5 + 0.5 * n.y;
    float groundOcclusion = 0.4 + 0.6 * smoothstep(0.0, 0.9, p.y);
    float away = 1.0 - max(dot(n, -rd), 0.0);
    float rim = away * away * away;

    float seed = hash(cell + 17.0);
    vec3 base = palette(gHue + 0.35 * seed + 0.08 * height);
    vec3 colour = base * (0.3 * skyFill + 0.85 * diffuse) * groundOcclusion;
    colour += horizonColour() * rim * 0.35;

    vec3 glowColour = palette(gHue + 0.5 + 0.2 * seed) + 0.3;
    colour += glowColour * edgeAmount(local, height) * (0.2 + 1.1 * gPulse);
    colour += base * gFlash * 1.4 * max(dot(n, -rd), 0.0);
    return colour;
}

// toCube: the distance from p to the cube of its cell.
vec3 shadeFloor(vec3 p, float t, float toCube)
{
    float occlusion = 0.35 + 0.65 * smoothstep(0.0, 0.25, toCube);
    vec3 colour = paletteFromHue(0.6) * 0.08 * occlusion;

    vec2 toLine = abs(p.xz - floor(p.xz + 0.5));
    float width = 0.015 + 0.0025 * t;
    float line = 1.0 - smoothstep(0.0, width, min(toLine.x, toLine.y));
    colour += (paletteFromHue(0.45) + 0.2) * line * (0.25 + 0.9 * gPulse);
    colour += vec3(gFlash * 0.3);
    return colour;
}

vec3 render(vec3 ro, vec3 rd)
{
    vec2 cell;
    float height;
    float t = march(ro, rd, cell, height);
    if (t < 0.0)
        return sky(rd);

    vec3 p = ro + rd * t;
    vec3 local = cubeLocal(p, cell, height);
    vec3 core = cubeCore(height);
    float toCube = roundedCore(local, core);
    bool onFloor = p.y < toCube;
    vec3 colour = onFloor ? shadeFloor(p, t, toCube) : shadeCube(p, rd, cell, height, local, core);

    float fog = 1.0 - exp(-0.0028 * t * t);
    return mix(colour, horizonColour(), fog);
}

// Worked out from the uniforms alone by the vertex stage (noTransform.vs).
flat in float cubesPulse;
flat in vec2 cubesHueTurn;
flat in vec3 cubesOrigin;
in vec3 cubesView;

void main()
{
    gPulse = cubesPulse;
    gFlash = clamp(uSyncD, 0.0, 1.0);
    gHue = uSyncC;
    gHueTurn = cubesHueTurn;

    vec3 rd = normalize(cubesView);
    vec3 ro = cubesOrigin;

    vec3 colour = render(ro, rd);
    // Soft shoulder: glow and flash saturate gently instead of clipping.
    colour = colour / (1.0 + 0.2 * colour) * 1.2;
    fragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
#ifdef KELVANDRIX_STEPVIEW
    // The step-view build (bench/shaders/stepview) reads the count exactly.
    fragColor = vec4(float(gSteps) / 255.0, 0.0, 0.0, 1.0);
#endif
}
