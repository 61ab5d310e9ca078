// The whole life of the program through Main on the headless backend.
#include <gtest/gtest.h>

#include <random>

#include "assets/embedded.h"
#include "assets/pictures.h"
#include "platform/common/other_screens.h"
#include "platform/headless/headless_program.h"
#include "preview/preview.h"
#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

class Program : public ::testing::Test {
protected:
    std::unique_ptr<HeadlessProgram> Run(const std::string& command_line) {
        auto shell = std::make_unique<HeadlessProgram>(world, command_line, folder.path().string());
        outcome = shell->Start();
        return shell;
    }
    void WriteSettings(const std::string& body) { folder.Write("Nyamo_07.ini", "[Nyamo Saver]\n" + body); }

    TestFolder folder;
    HeadlessWorld world{1024, 768};
    std::optional<MainOutcome> outcome;
};

TEST_F(Program, EachSwitchStartsItsMode) {
    const WindowHandle host = world.CreateWindow("Display Properties", Rect{100, 100, 252, 212});
    struct Case {
        std::string line;
        MainOutcome mode;
    };
    const Case cases[] = {
        {"/s", MainOutcome::SaverStarted},       {"/S", MainOutcome::SaverStarted},
        {"/Sxyz", MainOutcome::SaverStarted},    {" /s", MainOutcome::SaverStarted},
        {"/c", MainOutcome::SettingsShown},      {"/C", MainOutcome::SettingsShown},
        {"", MainOutcome::SettingsShown},        {"/c:1234", MainOutcome::SettingsShown},
        {"/p " + std::to_string(host), MainOutcome::PreviewStarted},
        {"/P:" + std::to_string(host), MainOutcome::PreviewStarted},
        {"/a", MainOutcome::Ignored},            {"-s", MainOutcome::Ignored},
        {"s", MainOutcome::Ignored},             {"/x", MainOutcome::Ignored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto shell = Run(c.line);
        EXPECT_EQ(outcome, c.mode);
        const Grobal& g = shell->app.g;
        EXPECT_EQ(g.CatNum, 20);  // settings are loaded for every command line
        switch (c.mode) {
            case MainOutcome::SaverStarted:
                EXPECT_EQ(g.IsSaver, -1);
                EXPECT_EQ(g.ScrW, 1024);
                EXPECT_EQ(g.ScrH, 768);
                EXPECT_TRUE(shell->platform.saver().visible);
                break;
            case MainOutcome::PreviewStarted:
                EXPECT_EQ(g.IsSaver, 0);
                EXPECT_EQ(g.ScrW, 152 * 15);
                EXPECT_EQ(g.ScrH, 112 * 15);
                EXPECT_TRUE(shell->platform.preview().shown);
                break;
            case MainOutcome::SettingsShown:
                EXPECT_EQ(g.IsSaver, 0);
                EXPECT_EQ(g.ScrW, 0);  // the settings branch leaves the geometry alone
                EXPECT_TRUE(shell->platform.dialog().shown);
                break;
            default:
                EXPECT_FALSE(shell->platform.AnyWindowLoaded());
                EXPECT_EQ(shell->exit_status(), 0);
        }
        // End each run so the next start is not refused.
        shell->Click();
        shell->CloseBox();
        if (c.mode == MainOutcome::PreviewStarted) world.DestroyWindow(shell->platform.preview().handle);
    }
}

TEST_F(Program, HandleBeyondThirtyTwoBitsEndsWithAnOverflowAndNoWindow) {
    for (const char* line : {"/p 2147483648", "/s 99999999999", "/c:-2147483649"}) {
        SCOPED_TRACE(line);
        auto shell = Run(line);
        EXPECT_FALSE(outcome.has_value());
        EXPECT_EQ(shell->exit_status(), 6);
        EXPECT_FALSE(shell->platform.AnyWindowLoaded());
    }
}

TEST_F(Program, APreviewHandleThatNamesNoWindowEndsAtOnce) {
    for (const char* line : {"/p 0", "/p 123456", "/p -5", "/p"}) {
        SCOPED_TRACE(line);
        auto shell = Run(line);
        EXPECT_EQ(outcome, MainOutcome::Ignored);
        EXPECT_EQ(shell->exit_status(), 0);
        EXPECT_FALSE(shell->platform.AnyWindowLoaded());
    }
}

// The host is measured by Main, then the preview is loaded; a host that
// goes in between must not leave a preview window that nothing would end.
TEST_F(Program, APreviewWhoseHostGoesBeforeItIsPlacedLeavesNoWindow) {
    const WindowHandle host = world.CreateWindow("host", Rect{0, 0, 160, 120});
    HeadlessPlatform platform(world);
    App app(platform.roles());
    app.g.SaverType = 1;
    world.DestroyWindow(host);
    EXPECT_FALSE(PreviewSetUp(app, host));
    EXPECT_FALSE(platform.AnyWindowLoaded());
    EXPECT_EQ(world.FindTopLevel(kPreviewCaption), 0u);
    EXPECT_FALSE(platform.preview().shown);
}

TEST_F(Program, GuardRefusesToStartBesideASaverOrDialogAndReadsNothing) {
    auto saver = Run("/s");
    for (const char* line : {"/s", "/c", "", "/p 1"}) {
        auto second = Run(line);
        EXPECT_EQ(outcome, MainOutcome::AnotherInstance);
        EXPECT_EQ(second->exit_status(), 0);
        EXPECT_EQ(second->app.g.CatNum, 0);  // nothing was read
        EXPECT_EQ(second->platform.log(),
                  (std::vector<std::string>{"FindWindow Amberpaw", "FindWindow Nyamoの設定"}));
    }
    saver->Click();
    ASSERT_FALSE(saver->running());

    auto dialog = Run("/c");
    EXPECT_EQ(Run("/s")->exit_status(), 0);
    EXPECT_EQ(outcome, MainOutcome::AnotherInstance);
    dialog->CloseBox();

    // Only the saver and the dialog block a start; a preview does not.
    const WindowHandle host = world.CreateWindow("host", Rect{0, 0, 100, 75});
    auto preview = Run("/p " + std::to_string(host));
    auto second_preview = Run("/p " + std::to_string(host));
    EXPECT_EQ(outcome, MainOutcome::PreviewStarted);
    EXPECT_EQ(Run("/c")->platform.dialog().shown, true);
}

// A saver on another screen of a run starts beside the run's own first
// window, which the guard would find, and reads the settings for itself.
TEST_F(Program, AnotherScreenOfARunStartsBesideItsFirstSaver) {
    WriteSettings("CatNum=7\nSaverScreens=2\n");
    auto first = Run("/s");
    HeadlessProgram other(world, "/s", folder.path().string());
    EXPECT_EQ(StartSaverOnAnotherScreen(other.app), MainOutcome::SaverStarted);
    EXPECT_EQ(other.app.g.CatNum, 7);
    EXPECT_EQ(other.app.g.SaverScreens, 2);
    EXPECT_TRUE(other.platform.saver().visible);
    // Which monitors get such a saver: none inside the primary one or one taken before.
    const Rect monitors[] = {{0, 0, 1280, 1024}, {1280, 0, 2304, 768}, {0, 0, 640, 480}, {1280, 0, 2304, 768},
                             {-800, 0, 0, 600}, {5, 5, 5, 9}};
    EXPECT_EQ(OtherScreens(monitors[0], monitors), (std::vector<Rect>{monitors[1], monitors[4]}));
}

TEST_F(Program, SaverStartsInOrderAndIsNeverSeenBeforeItsFirstFrame) {
    auto shell = Run("/s");
    ASSERT_EQ(outcome, MainOutcome::SaverStarted);
    const std::vector<std::string> expected = {
        "FindWindow Amberpaw",
        "FindWindow Nyamoの設定",
        "LoadSaverWindow Amberpaw",
        "SetSaverWindowRect 0 0 15360 11520",
        "SetControlBounds FocusSink 30 30 -50 0",
        "CreateSaverFrame 1024x768",
        "CreateSurface 1024x768",
        "SetSaverPointer Invisible",
        "SetTimerInterval 110",
        "CopyDesktop 1024x768",
        "MakeSaverTopmost",
        "FocusSaverSink",
        "ShowSaverWindow",
        "GetCaretPos",
        "GetCursorPos",
    };
    EXPECT_EQ(shell->platform.log(), expected);
    const HeadlessSaverWindow& saver = shell->platform.saver();
    EXPECT_FALSE(saver.visible_during_desktop_copy);
    EXPECT_EQ(saver.presents, 1);  // composed while hidden
    EXPECT_EQ(saver.shows, 1);  // never hidden and shown again
    EXPECT_TRUE(saver.sink_focused);
    EXPECT_TRUE(saver.topmost);
    EXPECT_EQ(saver.pointer, PointerShape::Invisible);
    EXPECT_EQ(saver.timer_ms, 110);
    EXPECT_EQ(saver.screen.width, 1024);
    EXPECT_EQ(saver.screen.height, 768);
}

// A backend offering only the system, the frames and a window of its own
// (the Wayland backend's roles): no instance guard, no dialog or preview,
// and a saver neither placed nor watched for the pointer.
TEST_F(Program, MissingRolesEachHaveOneOutcome) {
    const WindowHandle host = world.CreateWindow("host", Rect{0, 0, 160, 120});
    auto saver = Run("/s");  // a running saver, which only a guard would see
    const std::string lines[] = {"/c", "", "/p " + std::to_string(host), "/s"};
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        HeadlessPlatform platform(world);
        platform.set_settings_folder(folder.path().string());
        platform.set_command_line(line);
        App app(Platform{.system = platform, .frames = platform, .saver_window = &platform});
        const bool saver_asked = line == "/s";
        EXPECT_EQ(Main(app), saver_asked ? MainOutcome::SaverStarted : MainOutcome::Ignored);
        EXPECT_EQ(app.g.CatNum, 20);  // the settings were read: no guard stopped it
        if (!saver_asked) {
            EXPECT_FALSE(platform.AnyWindowLoaded());
            continue;
        }
        EXPECT_EQ(platform.log(), (std::vector<std::string>{"LoadSaverWindow Amberpaw", "CreateSaverFrame 1024x768",
                                                            "CreateSurface 1024x768", "SetTimerInterval 110",
                                                            "CopyDesktop 1024x768", "ShowSaverWindow"}));
        world.cursor = Point{world.cursor.x + 40, world.cursor.y};
        Timer1_Timer(app);
        EXPECT_TRUE(platform.saver().loaded);  // the pointer is the backend's to watch
    }
}

// Recompose a frame from the background and the cats' records with the
// sheets built into the program, independently of the flock code.
PixelBuffer Recompose(const PixelBuffer& background, const App& app) {
    PixelBuffer frame = background;
    const Picture sheets[2] = {DecodePicture(SpriteSheetPng(0)), DecodePicture(SpriteSheetPng(1))};
    for (std::size_t i = 0; i < kCatSlots; ++i) {
        const DrawRecord d = app.drawn[i];
        if (d.frame < 0) continue;
        const PixelView sheet = sheets[d.sheet].view();
        const CatRec& cat = app.g.Cats[i];
        SoftwareBlit(frame.span(), cat.X, cat.Y, 70, 70, sheet, 70 * d.frame, 70, RasterOp::SrcErase);
        SoftwareBlit(frame.span(), cat.X, cat.Y, 70, 70, sheet, 70 * d.frame, 0, RasterOp::SrcInvert);
    }
    return frame;
}

TEST_F(Program, FramesShowTheKittensOverTheDesktop) {
    std::mt19937 rng(3);
    for (auto& p : world.desktop().pixels) p = rng() & 0x00FFFFFFu;
    WriteSettings("CatNum=50\nSaverType=1\n");
    auto shell = Run("/s");
    EXPECT_EQ(shell->platform.saver_screen().pixels, Recompose(world.desktop(), shell->app).pixels);
    for (int t = 0; t < 200; ++t) shell->Tick();
    EXPECT_EQ(shell->platform.saver_screen().pixels, Recompose(world.desktop(), shell->app).pixels);
    EXPECT_EQ(shell->platform.saver().presents, 201);
    int covered = 0;
    for (std::size_t i = 0; i < world.desktop().pixels.size(); ++i)
        covered += shell->platform.saver_screen().pixels[i] != world.desktop().pixels[i];
    EXPECT_GT(covered, 1000);  // kittens are on the screen
}

TEST_F(Program, BlankBackgroundIsBlackEverywhereButUnderTheKittens) {
    for (auto& p : world.desktop().pixels) p = 0x00336699u;
    WriteSettings("SaverType=2\n");
    auto shell = Run("/s");
    for (int t = 0; t < 150; ++t) shell->Tick();
    const PixelBuffer black(1024, 768);
    EXPECT_EQ(shell->platform.saver_screen().pixels, Recompose(black, shell->app).pixels);
    EXPECT_EQ(std::count(shell->platform.saver_screen().pixels.begin(), shell->platform.saver_screen().pixels.end(),
                         0x00336699u),
              0);
    EXPECT_EQ(std::find(shell->platform.log().begin(), shell->platform.log().end(), "CopyDesktop 1024x768"),
              shell->platform.log().end());
}

TEST_F(Program, OnePixelOfPointerMovementEndsTheSaverOnTheNextTick) {
    auto shell = Run("/s");
    for (int t = 0; t < 10; ++t) shell->Tick();
    ASSERT_TRUE(shell->running());
    world.cursor.x += 1;
    const auto presents = shell->platform.saver().presents;
    shell->Tick();
    EXPECT_FALSE(shell->running());
    EXPECT_EQ(shell->exit_status(), 0);
    EXPECT_EQ(shell->platform.saver().presents, presents + 1);  // one more frame first
    const auto& log = shell->platform.log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "SetSaverPointer Default");
    EXPECT_EQ(log.back(), "UnloadSaverWindow");
    EXPECT_EQ(shell->platform.live_surfaces(), 0u);
    EXPECT_EQ(world.FindTopLevel("Amberpaw"), 0u);
}

TEST_F(Program, ALongRunKeepsTheLogsStartAndEndAndCountsWhatLiesBetween) {
    auto shell = Run("/s");
    const std::vector<std::string> start = shell->platform.log();
    for (int i = 0; i < 20000; ++i) shell->Tick();
    ASSERT_TRUE(shell->running());
    const auto& log = shell->platform.log();
    EXPECT_LT(log.size(), 3001u);  // two readings per tick would be 40,000 more
    EXPECT_TRUE(std::equal(start.begin(), start.end(), log.begin()));
    EXPECT_EQ(log.back(), "GetCursorPos");
    EXPECT_EQ(log[log.size() - 2], "GetCaretPos");
    const std::string marker = log[1000];
    ASSERT_TRUE(marker.starts_with("(") && marker.ends_with(" calls left out)")) << marker;
    const std::size_t left_out = std::stoul(marker.substr(1));
    EXPECT_EQ(left_out + log.size() - 1, start.size() + 2 * 20000u);
}

TEST_F(Program, CaretMovementAClickOrAKeyEndsTheSaver) {
    auto caret = Run("/s");
    world.caret.y -= 1;
    caret->Tick();
    EXPECT_FALSE(caret->running());
    world.caret = {};

    auto click = Run("/s");
    click->Tick();
    click->Click();
    EXPECT_FALSE(click->running());

    auto key = Run("/s");
    key->Key(0x12);  // Alt
    EXPECT_FALSE(key->running());
    EXPECT_EQ(key->platform.saver().presents, 2);
}

TEST_F(Program, MovementBetweenTicksThatReturnsIsNotNoticed) {
    auto shell = Run("/s");
    world.cursor = {500, 500};
    shell->Tick();  // moved since the start: ends
    EXPECT_FALSE(shell->running());

    world.cursor = {0, 0};
    auto again = Run("/s");
    world.cursor = {10, 10};
    world.cursor = {0, 0};
    for (int t = 0; t < 20; ++t) again->Tick();
    EXPECT_TRUE(again->running());
}

TEST_F(Program, AnOverflowInATickEndsTheProgramWithItsNumber) {
    auto shell = Run("/s");
    CatRec& cat = shell->app.g.Cats[0];
    cat.Pose = 2;
    cat.Dir = 2;
    cat.X = 2147483647;
    shell->Tick();
    EXPECT_EQ(shell->exit_status(), 6);
}

TEST_F(Program, HandlersDoNothingOutsideTheFullScreenMode) {
    auto shell = Run("/c");
    Timer1_Timer(shell->app);
    Form_Click(shell->app);
    picfocus_KeyDown(shell->app, 13, 0);
    EXPECT_TRUE(shell->platform.dialog().shown);
    EXPECT_FALSE(shell->platform.saver().loaded);
}

TEST_F(Program, PreviewCoversItsHostWithTheChosenSampleUntilTheHostGoes) {
    for (int type : {1, 2}) {
        SCOPED_TRACE(type);
        WriteSettings("SaverType=" + std::to_string(type) + "\n");
        const WindowHandle host = world.CreateWindow("host", Rect{300, 200, 700, 300});  // 400 x 100
        auto shell = Run("/p " + std::to_string(host));
        ASSERT_EQ(outcome, MainOutcome::PreviewStarted);
        const HeadlessPreviewWindow& p = shell->platform.preview();
        EXPECT_EQ(p.parent, host);
        EXPECT_FLOAT_EQ(p.left, 0);
        EXPECT_FLOAT_EQ(p.top, 0);
        EXPECT_FLOAT_EQ(p.width, 6000);
        EXPECT_FLOAT_EQ(p.height, 1500);
        for (const HeadlessPreviewImage& image : p.images) {
            EXPECT_FLOAT_EQ(image.width, 400);
            EXPECT_FLOAT_EQ(image.height, 100);
            EXPECT_FLOAT_EQ(image.left, 0);
            EXPECT_FLOAT_EQ(image.top, 0);
        }
        EXPECT_EQ(p.images[0].visible, type == 1);
        EXPECT_EQ(p.images[1].visible, type == 2);
        EXPECT_EQ(p.samples[0].width, 240);
        EXPECT_EQ(p.samples[1].height, 180);
        EXPECT_FALSE(shell->platform.saver().loaded);
        shell->Click();
        shell->Tick();
        EXPECT_TRUE(shell->running());
        shell->DestroyHost(host);
        EXPECT_FALSE(shell->running());
        EXPECT_EQ(shell->exit_status(), 0);
    }
}

TEST_F(Program, TwoProgramsInOneProcessKeepTheirOwnState) {
    HeadlessWorld other_world(640, 480);
    HeadlessProgram a(world, "/s", folder.path().string());
    HeadlessProgram b(other_world, "/s", folder.path().string());
    ASSERT_EQ(a.Start(), MainOutcome::SaverStarted);
    ASSERT_EQ(b.Start(), MainOutcome::SaverStarted);
    for (int t = 0; t < 50; ++t) {
        a.Tick();
        b.Tick();
    }
    EXPECT_EQ(a.app.g.ScrW, 1024);
    EXPECT_EQ(b.app.g.ScrW, 640);
    EXPECT_EQ(b.platform.saver_screen().width, 640);
    EXPECT_TRUE(a.running());
    EXPECT_TRUE(b.running());
}

}  // namespace
}  // namespace nyamo
