#include "vroProgressBar.h"

#include "vroWindow.h"

#include <cmath>

// The bar's own program: no file is read for it, so it works before any
// asset exists. The texts are kept exactly as first written, but for the
// version line, which the shader prelude now puts in front.
const char* const vroProgressBar::kVertexSource =
    "layout (location = 0) in vec3 vertexPosition;\n"
    "out vec2 NDC;\n"
    "void main () {\n"
    "    NDC = vertexPosition.xy;\n"
    "    gl_Position = vec4(vertexPosition,1);\n"
    "}";

const char* const vroProgressBar::kFragmentSource =
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
    if (drawsPlainly())
        renderOnWhite();
    else
        quad.Render();
    window->update();
}

// With none of these on, a pixel the bar's program writes white is the same
// as a pixel cleared to white: the state loading runs in.
bool vroProgressBar::drawsPlainly()
{
    for (GLenum capability : {GL_DEPTH_TEST, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_BLEND})
        if (glIsEnabled(capability))
            return false;
    return !logicOpEnabled();
}

// Outside the outer box the program writes nothing but white, yet software
// GL spends some 2 ms a step running it over the whole 1280x720 screen. A
// clear to white and the program limited to the box (with a pixel to spare
// on every side) give the same picture in under half the time. Clear colour
// and scissor box are put back as they were.
void vroProgressBar::renderOnWhite()
{
    GLfloat clearColour[4];
    GLint scissorBox[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glGetIntegerv(GL_SCISSOR_BOX, scissorBox);

    // A clear ignores the viewport; the program's quad covers no more.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glEnable(GL_SCISSOR_TEST);
    glScissor(viewport[0], viewport[1], viewport[2], viewport[3]);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const glm::ivec4 box = outerBoxPixels(viewport);
    glScissor(box.x, box.y, box.z, box.w);
    quad.Render();
    glDisable(GL_SCISSOR_TEST);

    glScissor(scissorBox[0], scissorBox[1], scissorBox[2], scissorBox[3]);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
}

// The outer box of the fragment program (|x| < g, |y| < g^4 with g the
// inverse golden ratio) in window pixels of the viewport, as
// x, y, width, height, grown by a pixel on every side.
glm::ivec4 vroProgressBar::outerBoxPixels(const GLint viewport[4])
{
    const double g = 1.0 / 1.61803398875;
    const double halfExtent[2] = {g, g * g * g * g};
    int corner[2][2];
    for (int axis = 0; axis < 2; ++axis) {
        const double origin = viewport[axis], size = viewport[axis + 2];
        corner[0][axis] = static_cast<int>(std::floor(origin + 0.5 * (1.0 - halfExtent[axis]) * size)) - 1;
        corner[1][axis] = static_cast<int>(std::ceil(origin + 0.5 * (1.0 + halfExtent[axis]) * size)) + 1;
    }
    return {corner[0][0], corner[0][1], corner[1][0] - corner[0][0], corner[1][1] - corner[0][1]};
}

float vroProgressBar::getFraction() const
{
    // With no steps announced there is nothing to measure against: an
    // empty bar rather than a division by zero.
    if (totalSteps <= 0)
        return 0.0f;
    return static_cast<float>(doneSteps) / static_cast<float>(totalSteps);
}
