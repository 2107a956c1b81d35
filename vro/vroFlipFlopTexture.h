#pragma once

#include <memory>

#include <glm/vec2.hpp>

class vroTexture;

// Two equally sized render-target textures: the back one is rendered into
// while the front one holds the last finished image.
class vroFlipFlopTexture {
public:
    explicit vroFlipFlopTexture(glm::ivec2 size);
    ~vroFlipFlopTexture();

    vroFlipFlopTexture(const vroFlipFlopTexture&) = delete;
    vroFlipFlopTexture& operator=(const vroFlipFlopTexture&) = delete;

    // Gives both textures their zero-filled storage.
    void Load();
    void Flip();
    vroTexture* getFront() const { return front.get(); }
    vroTexture* getBack() const { return back.get(); }

private:
    std::unique_ptr<vroTexture> front;
    std::unique_ptr<vroTexture> back;
};
