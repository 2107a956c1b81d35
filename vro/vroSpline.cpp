#include "vroSpline.h"

#include <algorithm>

vroSpline::vroSpline()
    : basisMatrix{-1, 2, -1, 0, //
                  3, -5, 0, 2, //
                  -3, 4, 1, 0, //
                  1, -1, 0, 0}
{
}

void vroSpline::addKey(vroKeyPoint key)
{
    // After every key of the same time, so equal times keep their order.
    const auto place = std::upper_bound(keyPoints.begin(), keyPoints.end(), key.time,
                                        [](float time, const vroKeyPoint& other) { return time < other.time; });
    keyPoints.insert(place, key);
}

void vroSpline::addKey(float time, glm::vec3 position)
{
    addKey(vroKeyPoint{time, position});
}

glm::vec3 vroSpline::getPositionAt(float t) const
{
    if (keyPoints.empty())
        return glm::vec3(0.0f);
    if (t <= keyPoints.front().time)
        return keyPoints.front().position;
    if (t > keyPoints.back().time)
        return keyPoints.back().position;

    // Here the first key lies before t and some key at or after it, so
    // 1 <= n <= last and the segment has a positive duration.
    const int last = static_cast<int>(keyPoints.size()) - 1;
    int n = 0;
    while (keyPoints[n].time < t)
        ++n;
    const float u = (t - keyPoints[n - 1].time) / (keyPoints[n].time - keyPoints[n - 1].time);

    glm::vec3 result(0.0f);
    for (int j = 0; j < 4; ++j) {
        const int index = std::clamp(n + j - 2, 0, last);
        const std::int8_t* c = &basisMatrix[static_cast<size_t>(j) * 4];
        const float weight = 0.5f * (((static_cast<float>(c[0]) * u + c[1]) * u + c[2]) * u + c[3]);
        result += weight * keyPoints[index].position;
    }
    return result;
}
