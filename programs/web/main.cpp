#include "page.h"
#include "pageOptions.h"
#include "vroAudio.h"
#include "vroEngine.h"
#include "vroProduction.h"
#include "vroShow.h"
#include "vroTimer.h"
#include "vroWindow.h"

#include <sstream>

namespace {

// The frame at `seconds` with the clock held, drawn as the capture draws it:
// twice, the first drawing thrown away. The second stays on the canvas and
// is kept before it is shown (WebGL's drawing buffer is gone once shown).
void hold(vroShow& production, double seconds)
{
    vroEngine& engine = production.getEngine();
    engine.audio->Pause();
    for (int drawing = 0; drawing < 2; ++drawing) {
        engine.audio->SeekTo(seconds);
        engine.timer->Hold(engine.audio->GetPosition());
        engine.IsRunning(); // fixes the frame's sync row
        production.RunFrame();
        Page::SetTime(engine.audio->GetBeat());
        if (drawing == 1)
            Page::KeepStill();
        engine.window->update();
    }
    Page::SetState("paused");
}

// From `seconds` to the end of the music, the last frame left on the canvas.
// The state says "playing" once the music is heard: a browser may take a
// second to open its sound device, the frame held meanwhile. Heard means
// the time the page shows has moved, not the music's position read anew
// later in the frame, which may have moved while the time shown has not.
void play(vroShow& production, double seconds)
{
    vroEngine& engine = production.getEngine();
    engine.timer->Release();
    engine.audio->SeekTo(seconds);
    engine.audio->Play();
    bool heard = false;
    while (engine.IsRunning()) {
        production.RunFrame();
        Page::SetTime(engine.audio->GetBeat());
        if (!heard && engine.audio->GetBeat() > seconds) {
            heard = true;
            Page::SetState("playing");
        }
        engine.Update();
    }
    Page::SetState("ended");
}

// A start the query allowed may still lie past the music, known only once
// it is loaded: named on the page, and the music played from its beginning.
double startWithinMusic(vroShow& production, double seconds)
{
    const double length = production.getEngine().audio->GetLength();
    if (seconds == 0.0 || seconds < length)
        return seconds;
    std::ostringstream text;
    text << "?start=" << seconds << " is past the end of the music (" << length << " s); starting at 0";
    Page::Notice(text.str());
    return 0.0;
}

} // namespace

// The page's show: the start screen, the loading bar (each step a frame of
// the page), then a frame per animation frame until the music ends, and
// again whenever the viewer asks.
int main()
{
    const vroDeclaration& declaration = vroProductionDeclaration();
    const glm::ivec2 declaredSize(declaration.width, declaration.height);
    const PageOptions options = readPageOptions(Page::Query(), declaredSize);
    for (const std::string& problem : options.problems)
        Page::Notice(problem);
    if (options.help)
        for (const std::string& line : pageOptionsHelp(declaredSize))
            Page::Notice(line);
    Page::WaitForStart();
    Page::SetState("loading");
    vroShow production(declaration, vroCreateProduction, options.size.x, options.size.y, false);
    production.Start();
    double from = startWithinMusic(production, options.start);
    if (options.paused) {
        hold(production, from);
        Page::WaitForPlay();
    }
    for (;; from = 0.0) {
        play(production, from);
        Page::WaitForPlay();
    }
}
