#pragma once

#include <glm/vec2.hpp>

#include <map>
#include <string>
#include <vector>

// The page's options, from its address: ?start=S starts at music second S,
// ?paused holds the frame there with the clock held (as the capture draws
// it), ?size=WxH renders at another size, ?help lists them on the page.
// (?autoplay is the page script's.)
struct PageOptions {
    double start = 0.0;
    bool paused = false;
    bool help = false;
    glm::ivec2 size{0, 0}; // the declared size unless ?size says otherwise
    // One sentence per value that could not be used (its default was kept)
    // and per name that is no option.
    std::vector<std::string> problems;
};

// The options of an address's query, given decoded as name and value (empty
// for a name without one), for a production of the size declared.
PageOptions readPageOptions(const std::map<std::string, std::string>& query, glm::ivec2 declaredSize);

// Every option of the page with its default, a line each, for ?help.
std::vector<std::string> pageOptionsHelp(glm::ivec2 declaredSize);
