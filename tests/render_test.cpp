#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/test_folder.h"
#include "tools/render/image_files.h"
#include "tools/render/render_options.h"

namespace nyamo::render {
namespace {

mode_t current_umask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

TEST(RenderOptions, DefaultsAndValues) {
    const ParseResult none = ParseRenderOptions({});
    ASSERT_TRUE(none.options);
    EXPECT_EQ(none.options->cats, 20);
    EXPECT_EQ(none.options->speed, 5);
    EXPECT_EQ(none.options->ticks, 300);
    EXPECT_EQ(none.options->png, "nyamo.png");

    const ParseResult some = ParseRenderOptions({"--ticks", "12", "--cats", "50", "--speed", "10", "--seed", "99",
                                                 "--width", "320", "--height", "200", "--gif", "a.gif", "--desktop",
                                                 "d.png", "--background", "blank"});
    ASSERT_TRUE(some.options) << some.error;
    EXPECT_EQ(some.options->ticks, 12);
    EXPECT_EQ(some.options->cats, 50);
    EXPECT_EQ(some.options->speed, 10);
    EXPECT_EQ(some.options->seed, 99u);
    EXPECT_EQ(some.options->width, 320);
    EXPECT_EQ(some.options->gif, "a.gif");
    EXPECT_TRUE(some.options->desktop.empty());  // the later --background blank wins
    EXPECT_TRUE(some.options->png.empty());
}

TEST(RenderOptions, BadOptionsAreNamed) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--cats", "0"}, {"--cats", "51"}, {"--speed", "11"}, {"--ticks", "-1"},
          {"--ticks", "12x"}, {"--width"}, {"--frobnicate"}, {"--background", "desktop"}, {"s"}}) {
        const ParseResult result = ParseRenderOptions(args);
        EXPECT_FALSE(result.options);
        EXPECT_NE(result.error.find(args[0]), std::string::npos) << result.error;
    }
}

TEST(GifFile, FramesAndDelayReadBack) {
    testing::TestFolder folder;
    const std::string path = folder.file("a.gif");
    {
        GifWriter gif(path, 64, 48, 110);
        ASSERT_TRUE(gif.ok());
        PixelBuffer frame(64, 48);
        for (int i = 0; i < 3; ++i) {
            frame.pixels[static_cast<std::size_t>(i * 10)] = 0x00FF8040u;
            gif.Add(frame);
        }
        // Many colours go through quantisation.
        for (std::size_t i = 0; i < frame.pixels.size(); ++i) frame.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu;
        gif.Add(frame);
        ASSERT_TRUE(gif.Close());
    }
    // A picture others may look at, as any file the user's umask allows.
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666u & ~current_umask());
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, 64);
    EXPECT_EQ(gif->SHeight, 48);
    ASSERT_EQ(gif->ImageCount, 4);
    GraphicsControlBlock control;
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, 1, &control), GIF_OK);
    EXPECT_EQ(control.DelayTime, 11);
    const SavedImage& second = gif->SavedImages[1];
    const GifColorType c = second.ImageDesc.ColorMap->Colors[second.RasterBits[10]];
    EXPECT_EQ(c.Red, 0xFF);
    EXPECT_EQ(c.Green, 0x80);
    EXPECT_EQ(c.Blue, 0x40);
    DGifCloseFile(gif, &error);
}

}  // namespace
}  // namespace nyamo::render
