#pragma once

#include "musicReload.h"
#include "trackReload.h"
#include "vroFileWatcher.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class vroEngine;

// Everything that reloads while the production plays: the shader programs
// (from the source folder's shaders/ before the run folder), the track text,
// the score and the pictures. Changes are picked up between two frames;
// whatever fails to load keeps what was there and leaves a message until
// the next good save of the same thing.
class LiveReload {
public:
    // Sets the shader search path: before the engine loads.
    static void PrepareShaders(vroEngine& engine, const std::string& sourceDir);

    // After the engine loaded: watches every file, compiles the track text
    // and starts rendering the score of the source folder that the build
    // renders into `tuneFile`.
    LiveReload(vroEngine& engine, const std::string& sourceDir, const std::string& tuneFile);

    // Once per frame, before drawing.
    void Poll();
    // The messages of what currently fails, one per line.
    std::string getErrors() const;
    bool isRenderingMusic() { return music && music->isBusy(); }
    // The track texts of the source folder; none without one.
    std::vector<std::string> getTrackFiles() const;
    // From now on a saved track text goes to the handler, which decides
    // whether to take it (with ApplyTracks), instead of being compiled at once.
    void setTrackTextHandler(std::function<void()> handler) { trackTextHandler = std::move(handler); }
    // Compiles the track texts into the tracks, as a save of them does.
    void ApplyTracks();

private:
    void shaderChanged(const std::string& path);
    // Programs that did not build at loading: on the read-out as after a save.
    void recordBrokenPrograms();
    void textureChanged(const std::string& file);
    void record(const std::string& what, const std::string& problems, const char* tag);

    vroEngine& engine;
    vroFileWatcher watcher;
    std::unique_ptr<TrackReload> tracks;
    std::function<void()> trackTextHandler;
    std::unique_ptr<MusicReload> music;
    std::string scoreFile;
    std::map<std::string, std::string> shaderPaths;  // watched path -> file name
    std::map<std::string, std::string> texturePaths; // watched path -> file name
    std::map<std::string, std::string> errors;       // by what failed
};
