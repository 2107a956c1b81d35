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

uniform float uTime;
uniform float uSyncC, uSyncD; // uSyncA and uSyncB act through the vertex stage
out vec4 fragColor;

const int kMaxSteps = 64;
const float kFar = 30.0;
const float kHalfBase = 0.42;   // pyramids stand in cells of 1 x 1
const float kTallest = 1.65;    // no pyramid reaches above this

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

// The plane of a side of a pyramid of this height, normalised:
// x * across + y * (height above the base) - z is the distance from it.
vec3 pyramidSide(float height)
{
    return vec3(height, kHalfBase, height * kHalfBase) * inversesqrt(height * height + kHalfBase * kHalfBase);
}

// The largest of the distances to the four sides and the base plane: never
// more than the true distance, so marching with it cannot overshoot.
float sideDistance(vec3 local, vec3 side)
{
    float across = max(abs(local.x), abs(local.z));
    return max(side.x * across + side.y * local.y - side.z, -local.y);
}

float pyramidDistance(vec3 p, vec2 cell, float height)
{
    return sideDistance(pyramidLocal(p, cell), pyramidSide(height));
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
// pyramid and the ground costs one step; near them it sphere-traces with the
// steps and the tolerance it always had, so it stops where it always
// stopped, but works out the pyramid's height once per cell.
float march(vec3 ro, vec3 rd, out vec2 cell, out float height)
{
    // No pyramid of this frame reaches above the ceiling: above it, the march
    // begins where a falling ray comes down to it, and a rising ray is sky
    // once it has climbed through it.
    float ceiling = min(1.12 + 0.45 * gPulse, kTallest - 0.05) + 0.01;
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
    height = pyramidHeight(cell);
    int steps = 0;
    float hit = -1.0;
    while (steps < kMaxSteps && t < end && hit < 0.0) {
        // The field knows only the pyramid of its own cell, so a step must
        // not cross the cell wall, behind which a taller neighbour may stand.
        // What stays the same within the cell is worked out here once: the
        // driver does not lift it out of the loop below by itself.
        vec2 wall = cell + towards;
        vec2 toWall = abs(wall - ro.xz) * inverseDir;
        float leave = min(toWall.x, toWall.y);
        // The ray goes on into the cell behind the nearer wall. Its height
        // does not depend on the steps in this cell, so the processor works
        // it out while they run instead of after them.
        vec2 next = cell + (toWall.x < toWall.y ? vec2(cellStep.x, 0.0) : vec2(0.0, cellStep.y));
        float nextHeight = pyramidHeight(next);
        float margin = hitTolerance(leave) + 0.002;
        // The pyramid and the ground below it, grown by the margin.
        vec3 boxCentre = vec3(cell.x + 0.5, 0.5 * height - 0.5, cell.y + 0.5);
        vec3 boxHalfSize = vec3(kHalfBase, 0.5 * height + 0.5, kHalfBase) + margin;
        vec2 span = boxSpan(ro, boxInverseDir, boxCentre, boxHalfSize);
        bool nearPyramid = (span.x <= span.y && span.x <= leave && span.y >= t)
                           || min(ro.y + rd.y * t, ro.y + rd.y * leave) <= margin;
        vec2 centre = cell + 0.5;
        vec3 side = pyramidSide(height);
        // Sphere steps while the ray is in this cell; a cell the ray passes
        // clear of is crossed in one.
        do {
            ++steps;
            vec3 p = ro + rd * t;
            float d = nearPyramid ? min(p.y, sideDistance(p - vec3(centre.x, 0.0, centre.y), side)) : kFar;
            if (d < hitTolerance(t)) {
                hit = t;
                break;
            }
            t += min(d, leave - t + 0.002);
        } while (steps < kMaxSteps && t < end && t < leave);
        if (hit < 0.0) {
            cell = next;
            height = nextHeight;
        }
    }
#ifdef KELVANDRIX_STEPVIEW
    gSteps = steps;
#endif
    return hit;
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
    float moon4 = moon * moon * moon * moon;
    colour += hsv(gHue + 0.9, 0.3, 1.0) * (0.2 * moon4 * moon4 * moon4 + 0.8 * smoothstep(0.9985, 0.999, moon));
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
    float away = 1.0 - facing;
    float fresnel = away * away * away;
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
    float level = 1.0 - max(-rd.y, 0.0);
    float fresnel = level * level * level * level;
    vec3 colour = sky(reflect(rd, vec3(0.0, 1.0, 0.0))) * (0.1 + 0.5 * fresnel);
    float nearBase = max(abs(p.x - cell.x - 0.5), abs(p.z - cell.y - 0.5)) - kHalfBase;
    float crest = smoothstep(0.5, 1.1, height);
    colour += neonColour(crest) * exp(-nearBase * 30.0) * (0.2 + 0.8 * gPulse);
    colour += vec3(gFlash * 0.25);
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
    bool onGround = p.y < pyramidDistance(p, cell, height);
    vec3 colour = onGround ? shadeGround(p, rd, t, cell, height) : shadePyramid(p, rd, t, cell, height);

    float fog = 1.0 - exp(-0.004 * t * t);
    return mix(colour, horizonColour(), fog);
}

// Worked out from the uniforms alone by the vertex stage (noTransform.vs).
flat in float pyramidsPulse;
flat in vec2 pyramidsRingCentre;
flat in vec3 pyramidsOrigin;
in vec3 pyramidsView;

void main()
{
    gPulse = pyramidsPulse;
    gFlash = clamp(uSyncD, 0.0, 1.0);
    gHue = uSyncC;
    gRingCentre = pyramidsRingCentre;

    vec3 rd = normalize(pyramidsView);
    vec3 ro = pyramidsOrigin;

    vec3 colour = render(ro, rd);
    // Soft shoulder: glow and flash saturate gently instead of clipping.
    colour = colour / (1.0 + 0.2 * colour) * 1.2;
    fragColor = vec4(clamp(colour, 0.0, 1.0), 1.0);
#ifdef KELVANDRIX_STEPVIEW
    // The step-view build (bench/shaders/stepview) reads the count exactly.
    fragColor = vec4(float(gSteps) / 255.0, 0.0, 0.0, 1.0);
#endif
}
