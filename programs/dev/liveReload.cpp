#include "liveReload.h"

#include "vroAudio.h"
#include "vroEngine.h"
#include "vroShaderManager.h"
#include "vroTextureManager.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool isFolder(const std::string& path)
{
    std::error_code ignored;
    return !path.empty() && fs::is_directory(path, ignored);
}

// The files of one kind in a folder, in name order; a folder named like
// one is none of them, nor is a hidden file: editors keep their own there
// (Emacs locks a file being edited with a dangling link ".#NAME").
std::vector<std::string> filesEndingIn(const fs::path& folder, const std::string& extension)
{
    std::vector<std::string> found;
    std::error_code ignored;
    for (fs::directory_iterator entry(folder, ignored), end; !ignored && entry != end; entry.increment(ignored))
        if (entry->path().extension() == extension && entry->path().filename().string()[0] != '.'
            && !entry->is_directory(ignored))
            found.push_back(entry->path().string());
    std::sort(found.begin(), found.end());
    return found;
}

void printTagged(const char* tag, const std::string& lines)
{
    std::istringstream in(lines);
    std::string line;
    while (std::getline(in, line))
        std::fprintf(stderr, "%s: %s\n", tag, line.c_str());
}

} // namespace

void LiveReload::PrepareShaders(vroEngine& engine, const std::string& sourceDir)
{
    if (!isFolder(sourceDir)) {
        std::fprintf(stderr, "dev: no folder \"%s\": playing the run folder's data, nothing reloads from there\n",
                     sourceDir.c_str());
        return;
    }
    engine.shaderManager->setSourceFolders({(fs::path(sourceDir) / "shaders").string()});
}

LiveReload::LiveReload(vroEngine& engine, const std::string& sourceDir, const std::string& tuneFile)
    : engine(engine)
{
    const bool hasSource = isFolder(sourceDir);
    const fs::path sourceShaders = fs::path(sourceDir) / "shaders";
    for (const std::string& file : engine.shaderManager->getSourceFiles()) {
        shaderPaths[file] = file;
        // Also when shaders/ is not made yet: it is watched once it is.
        if (hasSource)
            shaderPaths[(sourceShaders / file).string()] = file;
    }
    for (const std::string& file : engine.textureManager->getFileNames())
        texturePaths[file] = file;
    for (const auto& entry : shaderPaths)
        watcher.watch(entry.first);
    recordBrokenPrograms();
    for (const auto& entry : texturePaths)
        watcher.watch(entry.first);
    if (!hasSource)
        return;

    const std::vector<std::string> trackFiles = filesEndingIn(fs::path(sourceDir) / "tracks", ".tracks");
    if (!trackFiles.empty()) {
        tracks = std::make_unique<TrackReload>(*engine.audio, trackFiles);
        for (const std::string& file : trackFiles)
            watcher.watch(file);
        ApplyTracks();
    }
    // The build renders the score named after the tune (tolvenmark.score to
    // tolvenmark.mp3); another score beside it is not the production's music.
    const fs::path score = fs::path(sourceDir) / "music" / fs::path(tuneFile).replace_extension(".score");
    std::error_code ignored;
    if (fs::is_regular_file(score, ignored)) {
        scoreFile = score.string();
        watcher.watch(scoreFile);
        music = std::make_unique<MusicReload>(*engine.audio);
        music->Request(scoreFile);
    }
}

void LiveReload::Poll()
{
    for (const std::string& path : watcher.poll()) {
        if (shaderPaths.count(path))
            shaderChanged(path);
        if (texturePaths.count(path))
            textureChanged(texturePaths[path]);
        if (tracks && std::count(tracks->getFiles().begin(), tracks->getFiles().end(), path))
            trackTextHandler ? trackTextHandler() : ApplyTracks();
        if (music && path == scoreFile)
            music->Request(scoreFile);
    }
    if (music)
        if (const std::optional<std::string> problems = music->Finish())
            record("music", *problems, "music");
}

void LiveReload::shaderChanged(const std::string& path)
{
    for (const std::string& program : engine.shaderManager->programsUsing(shaderPaths[path])) {
        const std::string problems = engine.shaderManager->Rebuild(program);
        record("shader " + program, problems, "shader");
        if (problems.empty())
            std::fprintf(stderr, "shader: rebuilt \"%s\"\n", program.c_str());
    }
}

void LiveReload::recordBrokenPrograms()
{
    std::set<std::string> programs;
    for (const std::string& file : engine.shaderManager->getSourceFiles())
        for (const std::string& program : engine.shaderManager->programsUsing(file))
            programs.insert(program);
    // Loading named them on standard error already; building again gives the
    // read-out the same "file:line: message" lines as a broken save.
    for (const std::string& program : programs)
        if (!engine.shaderManager->getShader(program)->isBuilt())
            record("shader " + program, engine.shaderManager->Rebuild(program), nullptr);
}

void LiveReload::textureChanged(const std::string& file)
{
    const bool replaced = engine.textureManager->ReloadFile(file) > 0;
    // The texture already said why it could not load the file.
    record("texture " + file, replaced ? "" : file + ": not loaded, the old picture stays\n", nullptr);
}

void LiveReload::ApplyTracks()
{
    const std::string problems = tracks->Apply();
    record("tracks", problems, "tracks");
    if (!problems.empty())
        return;
    std::fprintf(stderr, "tracks: replaced from the track text\n");
    record("unread tracks", tracks->getUnread(), "tracks");
}

std::vector<std::string> LiveReload::getTrackFiles() const
{
    return tracks ? tracks->getFiles() : std::vector<std::string>{};
}

void LiveReload::record(const std::string& what, const std::string& problems, const char* tag)
{
    if (problems.empty()) {
        errors.erase(what);
        return;
    }
    if (tag)
        printTagged(tag, problems);
    errors[what] = problems;
}

std::string LiveReload::getErrors() const
{
    std::string text;
    for (const auto& entry : errors)
        text += entry.second;
    return text;
}
