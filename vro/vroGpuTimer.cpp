#include "vroGpuTimer.h"

#include <cassert>

vroGpuTimer::vroGpuTimer(int spans)
    : queries(2 * static_cast<size_t>(spans))
{
    assert(spans > 0);
    glGenQueries(static_cast<GLsizei>(queries.size()), queries.data());
}

vroGpuTimer::~vroGpuTimer()
{
    glDeleteQueries(static_cast<GLsizei>(queries.size()), queries.data());
}

GLuint vroGpuTimer::startQuery(uint64_t number) const
{
    return queries[2 * (number % (queries.size() / 2))];
}

GLuint vroGpuTimer::endQuery(uint64_t number) const
{
    return queries[2 * (number % (queries.size() / 2)) + 1];
}

uint64_t vroGpuTimer::Begin()
{
    assert(!open && "vroGpuTimer: Begin while a span is open");
    if (begun - oldest == queries.size() / 2)
        collected.push_back(collect(oldest++));
    glQueryCounter(startQuery(begun), GL_TIMESTAMP);
    open = true;
    return begun++;
}

void vroGpuTimer::End()
{
    assert(open && "vroGpuTimer: End without Begin");
    glQueryCounter(endQuery(begun - 1), GL_TIMESTAMP);
    open = false;
}

// Waits for the span's queries if they are not ready.
vroGpuTimer::Span vroGpuTimer::collect(uint64_t number) const
{
    GLuint64 start = 0;
    GLuint64 end = 0;
    glGetQueryObjectui64v(startQuery(number), GL_QUERY_RESULT, &start);
    glGetQueryObjectui64v(endQuery(number), GL_QUERY_RESULT, &end);
    // Timestamps of separate queries need not be monotonic on every driver.
    const double nanoseconds = end > start ? static_cast<double>(end - start) : 0.0;
    return {number, nanoseconds * 1e-9};
}

std::optional<vroGpuTimer::Span> vroGpuTimer::nextFinished()
{
    if (!collected.empty()) {
        const Span span = collected.front();
        collected.pop_front();
        return span;
    }
    const uint64_t finished = open ? begun - 1 : begun;
    if (oldest == finished)
        return std::nullopt;
    GLint available = 0;
    glGetQueryObjectiv(endQuery(oldest), GL_QUERY_RESULT_AVAILABLE, &available);
    if (!available)
        return std::nullopt;
    return collect(oldest++);
}
