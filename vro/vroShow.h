#pragma once

#include "vroDeclaration.h"

#include <functional>
#include <memory>

class vroEngine;
class vroProduction;

// The engine with one production, as every program plays it: the engine
// made with the declared title, the declared tracks' base name and music
// registered, then the production made (its assets registered, its objects
// made); released in the reverse order, the engine last.
class vroShow {
public:
    using Factory = std::function<std::unique_ptr<vroProduction>(vroEngine&)>;

    // A show that is not visible draws into a hidden window, for reading its
    // frames back. The size is the window's, the declared one or another.
    vroShow(const vroDeclaration& declaration, const Factory& create, int width, int height, bool fullscreen,
            bool visible = true);
    ~vroShow();

    vroShow(const vroShow&) = delete;
    vroShow& operator=(const vroShow&) = delete;

    // The declaration's part of the registrations, for an engine made by
    // hand: the tracks' base name and the music.
    static void RegisterDeclared(vroEngine& engine, const vroDeclaration& declaration);

    // Loads everything behind the loading bar, starts the music and sets the
    // production up.
    void Start();
    // One frame of the production; the engine's IsRunning has fixed its row.
    void RunFrame();

    vroEngine& getEngine() { return *engine; }
    const vroDeclaration& getDeclaration() const { return declaration; }

private:
    const vroDeclaration declaration;
    std::unique_ptr<vroEngine> engine;
    std::unique_ptr<vroProduction> production;
};
