#include "vroProgressBar.h"

#include "vroWindow.h"

// The bar's own program: no file is read for it, so it works before any
// asset exists. The texts are kept exactly as first written.
const char* const vroProgressBar::kVertexSource =
    "#version 410 core\n"
    "layout (location = 0) in vec3 vertexPosition;\n"
    "out vec2 NDC;\n"
    "void main () {\n"
    "    NDC = vertexPosition.xy;\n"
    "    gl_Position = vec4(vertexPosition,1);\n"
    "}";

const char* const vroProgressBar::kFragmentSource =
    "#version 410 core\n"
    "uniform float uPosition;\n"
    "in vec2 NDC;out vec4 color;float box(vec2 b, vec2 p){ vec2 d = abs(p) - b;return min(max(d.x,d.y),0.0) + length(max(d,0.0));}\n"
    "void main () {\n"
    "   float invgr = 1.0/1.61803398875;\n"
    "   float c = 1.0;\n"
    "   // outer box\n"
    "   vec2 ob = vec2( pow(invgr, 1.0), pow(invgr, 4.0) );\n"
    "   if( box(ob, NDC) < 0.0 ) c = 0.0;\n"
    "   // inner box\t\n"
    "   vec2 ib = ob - ( ob * vec2(pow(invgr, 6.0), pow(invgr, 2.0)) );\n"
    "   // bar\n"
    "   float barx = NDC.x + ib.x;\n"
    "   float curx = uPosition * ib.x*2.0;\n"
    "   vec2 bar = vec2( ib.x, ib.y );\n"
    "   if( box(bar, NDC) < 0.0){\n"
    "       if( curx > barx) c = 0.0;\n"
    "       else c = 1.0;\n"
    "   }   color = vec4(vec3(c),1);\n"
    "}";

vroProgressBar::vroProgressBar(vroWindow* targetWindow)
    : window(targetWindow),
      vertexSource(kVertexSource),
      fragmentSource(kFragmentSource),
      program(std::make_unique<vroShaderProgram>(vertexSource, fragmentSource,
                                                 vroShaderLabel{"loading bar", "built-in vertex stage",
                                                                "built-in fragment stage"}))
{
}

vroProgressBar::~vroProgressBar() = default;

void vroProgressBar::AddSteps(int steps)
{
    totalSteps += steps;
}

void vroProgressBar::Advance()
{
    ++doneSteps;
    glUseProgram(program->id);
    glUniform1f(glGetUniformLocation(program->id, "uPosition"), getFraction());
    quad.Render();
    window->update();
}

float vroProgressBar::getFraction() const
{
    // With no steps announced there is nothing to measure against: an
    // empty bar rather than a division by zero.
    if (totalSteps <= 0)
        return 0.0f;
    return static_cast<float>(doneSteps) / static_cast<float>(totalSteps);
}
