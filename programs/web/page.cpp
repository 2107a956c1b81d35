#include "page.h"

#include <cstdlib>
#include <sstream>

#include <emscripten.h>

namespace {

// The query as lines of name, tab, value.
EM_JS(char*, pageQuery, (), {
    var lines = "";
    new URLSearchParams(location.search).forEach(function(value, name) { lines += name + "\t" + value + "\n"; });
    var size = lengthBytesUTF8(lines) + 1;
    var text = _malloc(size);
    stringToUTF8(lines, text, size);
    return text;
});

EM_JS(void, pageNotice, (const char* text), { Module.page.notice(UTF8ToString(text)); });
EM_ASYNC_JS(void, pageWaitForStart, (), { await Module.page.waitForStart(); });
EM_ASYNC_JS(void, pageWaitForPlay, (), { await Module.page.waitForPlay(); });
EM_JS(void, pageSetState, (const char* state), { Module.page.setState(UTF8ToString(state)); });
EM_JS(void, pageSetTime, (double seconds), { Module.page.time = seconds; });
EM_JS(void, pageKeepStill, (), { Module.page.still = Module.canvas.toDataURL("image/png"); });

} // namespace

std::map<std::string, std::string> Page::Query()
{
    char* text = pageQuery();
    std::istringstream lines(text);
    std::free(text);
    std::map<std::string, std::string> query;
    for (std::string name, value; std::getline(lines, name, '\t') && std::getline(lines, value);)
        query.emplace(name, value);
    return query;
}

void Page::Notice(const std::string& text)
{
    pageNotice(text.c_str());
}

void Page::WaitForStart()
{
    pageWaitForStart();
}

void Page::WaitForPlay()
{
    pageWaitForPlay();
}

void Page::SetState(const char* state)
{
    pageSetState(state);
}

void Page::SetTime(double seconds)
{
    pageSetTime(seconds);
}

void Page::KeepStill()
{
    pageKeepStill();
}
