#include "vroProgressBar.h"
#include "vroTexture.h"
#include "vroTextureManager.h"

#include "glTest.h"
#include "testFiles.h"

#include <stdexcept>
#include <type_traits>
#include <vector>

using namespace testing_support;

namespace {

static_assert(!std::is_copy_constructible_v<vroTextureManager> && !std::is_copy_assignable_v<vroTextureManager>);

class TextureManager : public GLTest {
protected:
    std::string writePng(const std::string& name) { return dir.writePng(name, kTwoByTwo, 2, 2); }

    // Loads behind a real bar; gives the number of steps the bar advanced.
    int load()
    {
        vroProgressBar bar(&window());
        bar.AddSteps(manager.HowManyItems() + 1);
        manager.Load(bar);
        return bar.getDoneSteps();
    }

    TempDir dir;
    vroTextureManager manager;
};

TEST_F(TextureManager, WithoutRegistrationsThereIsNothingToLoad)
{
    EXPECT_EQ(manager.HowManyItems(), 0);
    EXPECT_EQ(load(), 0);
}

TEST_F(TextureManager, RegisteredTexturesLoadInNameOrder)
{
    manager.addTexture("b", dir.file("b.png").string());
    manager.addTexture("a", dir.file("a.png").string());
    manager.addTexture("ende", writePng("ende.png"));
    EXPECT_EQ(manager.HowManyItems(), 3);

    testing::internal::CaptureStderr();
    EXPECT_EQ(load(), 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "texture: cannot decode \"" + dir.file("a.png").string() + "\"\n"
              "texture: cannot decode \"" + dir.file("b.png").string() + "\"\n");
    EXPECT_EQ(readTexture(manager.getTexture("ende")->getID(), 2, 2), kTwoByTwo);
}

TEST_F(TextureManager, TheFirstTextureRegisteredUnderANameStays)
{
    manager.addTexture("ende", writePng("ende.png"));
    manager.addTexture("ende", dir.file("other.png").string());
    EXPECT_EQ(manager.HowManyItems(), 2);

    testing::internal::CaptureStderr();
    EXPECT_EQ(load(), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(readTexture(manager.getTexture("ende")->getID(), 2, 2), kTwoByTwo);
}

TEST_F(TextureManager, AnUnregisteredNameIsOutOfRange)
{
    manager.addTexture("ende", writePng("ende.png"));
    EXPECT_THROW(manager.getTexture("Ende"), std::out_of_range);
    EXPECT_NO_THROW(manager.getTexture("ende"));
}

TEST_F(TextureManager, ReloadingAFileReplacesItsPicturesUnlessItCannotBeDecoded)
{
    const std::string path = writePng("ende.png");
    manager.addTexture("ende", path);
    manager.addTexture("again", path);
    manager.addTexture("other", writePng("other.png"));
    load();
    EXPECT_EQ(manager.getFileNames(), (std::vector<std::string>{path, dir.file("other.png").string()}));

    const std::vector<std::uint8_t> red = {255, 0, 0, 255};
    dir.writePng("ende.png", red, 1, 1);
    EXPECT_EQ(manager.ReloadFile(path), 2);
    EXPECT_EQ(readTexture(manager.getTexture("again")->getID(), 1, 1), red);
    EXPECT_EQ(readTexture(manager.getTexture("other")->getID(), 2, 2), kTwoByTwo);

    dir.write("ende.png", "not a picture");
    testing::internal::CaptureStderr();
    EXPECT_EQ(manager.ReloadFile(path), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot decode"), std::string::npos);
    EXPECT_EQ(readTexture(manager.getTexture("ende")->getID(), 1, 1), red);

    // Decodable, but wider than any texture may be: it would upload as nothing.
    const int tooWide = getInteger(GL_MAX_TEXTURE_SIZE) + 1;
    dir.writePng("ende.png", std::vector<std::uint8_t>(static_cast<size_t>(tooWide) * 4, 255), tooWide, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(manager.ReloadFile(path), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("texture: \"" + path + "\" is " + std::to_string(tooWide)
                                                            + "x1, larger than the " + std::to_string(tooWide - 1)),
              std::string::npos);
    EXPECT_EQ(readTexture(manager.getTexture("ende")->getID(), 1, 1), red);
}

} // namespace
