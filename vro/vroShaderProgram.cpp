#include "vroShaderProgram.h"

#include "vroAudio.h"
#include "vroEngine.h"
#include "vroTimer.h"
#include "vroWindow.h"

#include <cstdio>
#include <sstream>

namespace {

void reportLog(const vroShaderLabel& label, const std::string& stage, const std::string& log)
{
    const std::string name = label.name.empty() ? "unnamed" : label.name;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty())
            std::fprintf(stderr, "shader: \"%s\" %s: %s\n", name.c_str(), stage.c_str(), line.c_str());
}

// The compiler's lines "0:12(3): error: ..." (source string, line, column)
// become "file:12: error: ..."; others are prefixed with the file.
std::string locatedLines(const std::string& file, const std::string& log)
{
    std::istringstream lines(log);
    std::string line;
    std::string located;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        int source = 0, number = 0, column = 0, consumed = 0;
        if (std::sscanf(line.c_str(), "%d:%d(%d): %n", &source, &number, &column, &consumed) == 3 && consumed > 0)
            located += file + ":" + std::to_string(number) + ": " + line.substr(static_cast<size_t>(consumed)) + "\n";
        else
            located += file + ": " + line + "\n";
    }
    return located;
}

std::string stageName(const std::string& file, const char* fallback)
{
    return file.empty() ? fallback : "\"" + file + "\"";
}

GLint location(GLuint program, const char* name)
{
    return glGetUniformLocation(program, name);
}

} // namespace

vroShaderProgram::vroShaderProgram(std::string vertexSource, std::string fragmentSource, vroShaderLabel label,
                                   Report report)
    : id(glCreateProgram()),
      vertexShader(std::make_unique<vroShaderObject>(GL_VERTEX_SHADER)),
      fragmentShader(std::make_unique<vroShaderObject>(GL_FRAGMENT_SHADER))
{
    const std::string vertexLog = vertexShader->Compile(std::move(vertexSource));
    const std::string fragmentLog = fragmentShader->Compile(std::move(fragmentSource));
    const std::string linkLog = Link();
    const std::string linkFile = label.name.empty() ? "link" : label.name + " (link)";
    problems = locatedLines(label.vertexFile.empty() ? "vertex stage" : label.vertexFile, vertexLog)
               + locatedLines(label.fragmentFile.empty() ? "fragment stage" : label.fragmentFile, fragmentLog);
    // A stage that did not compile makes linking fail too; that says nothing new.
    if (problems.empty())
        problems = locatedLines(linkFile, linkLog);
    if (report == Report::quietly)
        return;
    reportLog(label, stageName(label.vertexFile, "vertex stage"), vertexLog);
    reportLog(label, stageName(label.fragmentFile, "fragment stage"), fragmentLog);
    reportLog(label, "link", linkLog);
}

vroShaderProgram::~vroShaderProgram()
{
    glDeleteProgram(id);
    vertexShader.reset();
    fragmentShader.reset();
}

std::string vroShaderProgram::Link()
{
    glAttachShader(id, vertexShader->GetID());
    glAttachShader(id, fragmentShader->GetID());
    glLinkProgram(id);
    glDetachShader(id, vertexShader->GetID());
    glDetachShader(id, fragmentShader->GetID());
    GLint status = GL_FALSE;
    glGetProgramiv(id, GL_LINK_STATUS, &status);
    if (status != GL_FALSE)
        return {};
    GLint length = 0;
    glGetProgramiv(id, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    glGetProgramInfoLog(id, length, nullptr, log.data());
    log.resize(log.find('\0'));
    return log.empty() ? std::string("linking failed without a log") : log;
}

bool vroShaderProgram::Use(vroEngine* engine)
{
    if (!isBuilt())
        return false;
    glUseProgram(id);
    const glm::ivec2 size = engine->window->getDimensions();
    glUniform2f(location(id, "uResolution"), static_cast<float>(size.x), static_cast<float>(size.y));
    const GLint timeLocation = location(id, "uTime");
    glUniform1f(timeLocation, static_cast<float>(engine->timer->GetTime()));
    glUniform1i(location(id, "uChannelA"), VRO_CHANNEL_A);
    glUniform1i(location(id, "uChannelB"), VRO_CHANNEL_B);
    glUniform1i(location(id, "uChannelC"), VRO_CHANNEL_C);
    glUniform1i(location(id, "uChannelD"), VRO_CHANNEL_D);
    glUniform1i(location(id, "uChannelText"), VRO_CHANNEL_TEXT);
    glUniform1i(location(id, "uChannelTextDebug"), VRO_CHANNEL_TEXT_DEBUG);
    static const char* const kSyncUniforms[4][2] = {
        {"uSyncA", "shader_A"}, {"uSyncB", "shader_B"}, {"uSyncC", "shader_C"}, {"uSyncD", "shader_D"}};
    for (const auto& [uniform, track] : kSyncUniforms) {
        const GLint syncLocation = location(id, uniform);
        glUniform1f(syncLocation, engine->audio->getSyncValue(track));
    }
    return true;
}
