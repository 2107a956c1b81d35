#pragma once

#include "vroFSQuad.h"
#include "vroShaderProgram.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>

class vroWindow;

// The loading bar, and with it the loading protocol of every service:
// `HowManyItems` announces a service's steps, its `Load(vroProgressBar&)`
// calls Advance once per step, and each step presents a frame.
class vroProgressBar {
public:
    explicit vroProgressBar(vroWindow* window);
    ~vroProgressBar();

    vroProgressBar(const vroProgressBar&) = delete;
    vroProgressBar& operator=(const vroProgressBar&) = delete;

    void AddSteps(int steps);
    // Counts one step, draws the bar and presents it.
    void Advance();

    float getFraction() const;
    int getTotalSteps() const { return totalSteps; }
    int getDoneSteps() const { return doneSteps; }
    const vroShaderProgram& getProgram() const { return *program; }

    static const char* const kVertexSource;
    static const char* const kFragmentSource;

private:
    static bool drawsPlainly();
    void renderOnWhite();
    static glm::ivec4 outerBoxPixels(const GLint viewport[4]);

    int totalSteps = 0;
    int doneSteps = 0;
    vroFSQuad quad;
    vroWindow* window;
    std::string vertexSource;
    std::string fragmentSource;
    std::unique_ptr<vroShaderProgram> program;
};
