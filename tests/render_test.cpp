#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <set>
#include <utility>

#include "tests/test_folder.h"
#include "tools/render/image_files.h"
#include "tools/render/render_options.h"
#include "tools/render/render_run.h"

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

// Each cat's pixels per walking tick and ticks per rest, in cat order, once
// the saver has started.
std::vector<std::pair<std::int32_t, std::int32_t>> Gaits(std::uint64_t seed) {
    RenderOptions options;
    options.cats = 50;
    options.seed = seed;
    RenderRun run(options, Picture{}, 640, 480);
    run.Start();
    std::vector<std::pair<std::int32_t, std::int32_t>> gaits;
    for (std::int32_t i = 0; i < options.cats; ++i) {
        const CatRec& cat = run.app().g.Cats[static_cast<std::size_t>(i)];
        gaits.emplace_back(cat.Step, cat.RestLen);
    }
    return gaits;
}

TEST(RenderSeed, EverySeedGivesItsOwnGaits) {
    const std::vector<std::uint64_t> seeds{0, 1, 2, 3, 42, 1ULL << 40, ~0ULL};
    std::set<std::vector<std::pair<std::int32_t, std::int32_t>>> seen;
    for (const std::uint64_t seed : seeds) {
        const auto gaits = Gaits(seed);
        // Not every cat alike either: the draws behind them vary within a run.
        EXPECT_GT(std::set(gaits.begin(), gaits.end()).size(), 3u) << "seed " << seed;
        EXPECT_TRUE(seen.insert(gaits).second) << "seed " << seed << " repeats an earlier seed's gaits";
    }
    EXPECT_EQ(Gaits(42), Gaits(42));
}

// Every frame of a short run over a picture, a wide flock at full speed.
std::vector<PixelBuffer> Frames(std::uint64_t seed) {
    RenderOptions options;
    options.cats = 12;
    options.speed = 10;
    options.seed = seed;
    Picture desktop;
    desktop.width = 320;
    desktop.height = 240;
    desktop.pixels.resize(320 * 240);
    for (std::size_t i = 0; i < desktop.pixels.size(); ++i)
        desktop.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu;
    RenderRun run(options, desktop, 320, 240);
    run.Start();
    std::vector<PixelBuffer> frames{run.screen()};
    for (int tick = 0; tick < 120; ++tick) {
        run.Tick();
        frames.push_back(run.screen());
    }
    return frames;
}

TEST(RenderSeed, OneSeedRendersTheSameFramesEveryTime) {
    const std::vector<PixelBuffer> first = Frames(7);
    const std::vector<PixelBuffer> again = Frames(7);
    const std::vector<PixelBuffer> other = Frames(8);
    ASSERT_EQ(first.size(), again.size());
    ASSERT_EQ(first.size(), other.size());
    std::size_t moved = 0, differs_from_other = 0;
    for (std::size_t t = 0; t < first.size(); ++t) {
        ASSERT_EQ(first[t].pixels, again[t].pixels) << "tick " << t;
        if (t > 0 && first[t].pixels != first[t - 1].pixels) ++moved;
        if (first[t].pixels != other[t].pixels) ++differs_from_other;
    }
    // The run is not a still picture, and another seed is another run.
    EXPECT_GT(moved, first.size() / 2);
    EXPECT_GT(differs_from_other, first.size() / 2);
}

}  // namespace
}  // namespace nyamo::render
