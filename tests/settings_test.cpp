#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "platform/headless/headless_program.h"
#include "settings/dialog_design.h"
#include "settings/dialog_scale.h"
#include "settings/settings_dialog.h"
#include "settings/saved_settings.h"
#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

// A new file as saving writes it: every key, with Windows line ends.
std::string Saved(int cats, int type, int speed, int screens) {
    return "[Nyamo Saver]\r\nCatNum=" + std::to_string(cats) + "\r\nSaverType=" + std::to_string(type) +
           "\r\nSaverSpeed=" + std::to_string(speed) + "\r\nSaverScreens=" + std::to_string(screens) + "\r\n";
}

class Settings : public ::testing::Test {
protected:
    App& Load(const std::string& file_text) {
        folder.Write("Nyamo_07.ini", file_text);
        LoadSettings(shell.app);
        return shell.app;
    }
    void Set(int cats, int type, int speed, int screens) {
        shell.app.g.CatNum = cats;
        shell.app.g.SaverType = type;
        shell.app.g.SaverSpeed = speed;
        shell.app.g.SaverScreens = screens;
    }
    TestFolder folder;
    HeadlessWorld world;
    HeadlessProgram shell{world, "/c", folder.path().string()};
};

TEST_F(Settings, DefaultsWithoutAFileAndLoadingCreatesNothing) {
    LoadSettings(shell.app);
    EXPECT_EQ(shell.app.g.CatNum, 20);
    EXPECT_EQ(shell.app.g.SaverType, 1);
    EXPECT_EQ(shell.app.g.SaverSpeed, 5);
    EXPECT_EQ(shell.app.g.SaverScreens, 1);
    EXPECT_EQ(shell.app.g.IniPath, folder.file("Nyamo_07.ini"));
    EXPECT_FALSE(folder.Exists("Nyamo_07.ini"));
}

TEST_F(Settings, ValuesAreForcedIntoTheirRanges) {
    struct Case {
        const char* cat_num;
        std::int32_t cat_num_loaded;
        const char* type;
        std::int32_t type_loaded;
        const char* speed;
        std::int32_t speed_loaded;
    };
    const Case cases[] = {
        {"0", 1, "0", 1, "0", 1},          {"-7", 1, "3", 1, "11", 10},    {"51", 50, "-1", 1, "10", 10},
        {"50", 50, "2", 2, "1", 1},        {"1", 1, "1", 1, "7", 7},       {"12abc", 12, "2x", 2, "abc", 1},
        {"99999999999", 50, "99999999999", 1, "-99999999999", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cat_num);
        // SaverScreens is forced as SaverType is: 1 or 2, anything else 1.
        const App& app = Load(std::string("[Nyamo Saver]\r\nCatNum=") + c.cat_num + "\r\nSaverType=" + c.type +
                              "\r\nSaverSpeed=" + c.speed + "\r\nSaverScreens=" + c.type + "\r\n");
        EXPECT_EQ(app.g.CatNum, c.cat_num_loaded);
        EXPECT_EQ(app.g.SaverType, c.type_loaded);
        EXPECT_EQ(app.g.SaverScreens, c.type_loaded);
        EXPECT_EQ(app.g.SaverSpeed, c.speed_loaded);
    }
}

TEST_F(Settings, LoadingNeverChangesTheFile) {
    const std::string text = "[nyamo SAVER]\nCatNum = 0\n\xff\xfe garbage\n";
    Load(text);
    EXPECT_EQ(shell.app.g.CatNum, 1);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), text);
}

TEST_F(Settings, SavingANewFileWritesFiveLines) {
    Set(30, 2, 7, 2);
    EXPECT_TRUE(SaveSettings(shell.app));
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), Saved(30, 2, 7, 2));
    // All four in one update of the file, not one replacement per value.
    std::vector<std::string> writes;
    for (const std::string& call : shell.platform.log())
        if (call.starts_with("ProfileWrite")) writes.push_back(call);
    EXPECT_EQ(writes, std::vector<std::string>{"ProfileWrite CatNum=30 SaverType=2 SaverSpeed=7 SaverScreens=2"});
}

TEST_F(Settings, SavingReplacesInPlaceAndAppendsMissingKeysInOrder) {
    folder.Write("Nyamo_07.ini", "[Top]\nx=1\n[Nyamo Saver]\nSaverSpeed=3 ; fast\n\n[Tail]\ny=2\n");
    Set(4, 1, 9, 1);
    EXPECT_TRUE(SaveSettings(shell.app));
    EXPECT_EQ(folder.Read("Nyamo_07.ini"),
              "[Top]\nx=1\n[Nyamo Saver]\nSaverSpeed=9\nCatNum=4\nSaverType=1\nSaverScreens=1\n\n[Tail]\ny=2\n");
}

// A folder that may be written but not read cannot be opened to sync the
// rename to disk: that costs durability, not the save, into a new file and
// over an old one alike.
TEST_F(Settings, SavingIntoAFolderThatCannotBeReadSucceeds) {
    Set(30, 2, 7, 1);
    TestFolder::ChildRun run = folder.RunUnlisted([&] { return SaveSettings(shell.app); });
    if (!run.ran) GTEST_SKIP() << run.why_not;
    EXPECT_TRUE(run.body_result);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), Saved(30, 2, 7, 1));

    folder.Write("Nyamo_07.ini", "[Nyamo Saver]\nCatNum=3\nSaverType=1\nSaverSpeed=1\nSaverScreens=2\n");
    run = folder.RunUnlisted([&] { return SaveSettings(shell.app); });
    ASSERT_TRUE(run.ran) << run.why_not;
    EXPECT_TRUE(run.body_result);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\nCatNum=30\nSaverType=2\nSaverSpeed=7\nSaverScreens=1\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator{}),
              1);
}

// The per-user folder is made on the first save, for its owner alone; a
// folder that cannot be made (a file stands in its way) fails the save.
TEST_F(Settings, SavingMakesAMissingFolderOrReportsFailure) {
    Set(4, 2, 7, 2);
    shell.platform.set_settings_folder(folder.file("made/nyamo"));
    EXPECT_TRUE(SaveSettings(shell.app));
    EXPECT_EQ(folder.Read("made/nyamo/Nyamo_07.ini"), Saved(4, 2, 7, 2));
    EXPECT_EQ(std::filesystem::status(folder.path() / "made/nyamo").permissions(), std::filesystem::perms::owner_all);

    folder.Write("plain", "");
    shell.platform.set_settings_folder(folder.file("plain/gone"));
    EXPECT_FALSE(SaveSettings(shell.app));
    EXPECT_EQ(folder.Read("plain"), "");
}

TEST(DialogFont, TenPointsAtNinetySixDotsPerInch) {
    EXPECT_EQ(DialogFontSize(15), 10.0f);
    EXPECT_EQ(DialogFontSize(12), 8.0f);
    EXPECT_EQ(DialogFontSize(10), 6.0f);
    EXPECT_EQ(DialogFontSize(9), 6.0f);
}

// Up to 120 dots per inch the dialog keeps its design; above, it scales its
// 96-dpi layout by dpi / 96 itself, as nothing else enlarges it.
TEST(DialogScale, TheDesignStandsUpTo120DotsPerInchAndGrowsByDpiOver96Above) {
    struct Case {
        float tpp;
        std::int32_t client_w, client_h;
        float points;
    };
    const Case cases[] = {
        {15.0f, 300, 200, 10.0f}, {12.0f, 300, 200, 8.0f},  {10.0f, 450, 300, 10.0f},  // 96, 120, 144
        {1440.0f / 168, 525, 350, 10.0f}, {7.5f, 600, 400, 10.0f}, {6.0f, 750, 500, 10.0f},  // 168, 192, 240
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(1440.0f / c.tpp);
        EXPECT_EQ(DialogClientWidthAt(c.tpp), c.client_w);
        EXPECT_EQ(DialogClientHeightAt(c.tpp), c.client_h);
        EXPECT_EQ(DialogFontPoints(c.tpp), c.points);
    }
    // The design's own factors (11.6 rounds to 12) are whole; above 120 the
    // window is sized with the real factor, or 192 dpi (7.5) would lose a
    // pixel in sixteen to a factor of 8.
    EXPECT_EQ(WindowSizeFactor(15.0f), 15.0);
    EXPECT_EQ(WindowSizeFactor(11.6f), 12.0);
    EXPECT_EQ(WindowSizeFactor(7.5f), 7.5);
    EXPECT_FALSE(ScalesItself(11.6f));
    EXPECT_TRUE(ScalesItself(11.4f));
    EXPECT_EQ(LayoutScale(11.6f), 1.0);
    // 130 dots per inch: 300 x 1.354 is 406.25, and the client may not be smaller.
    EXPECT_EQ(DialogClientWidthAt(1440.0f / 130), 407);
    EXPECT_EQ(DialogClientHeightAt(1440.0f / 130), 271);
    // Pixel sizes of the backends' own texts: as designed up to 120, scaled above.
    EXPECT_EQ(ScaledPixels(11, 12.0f), 11);
    EXPECT_EQ(ScaledPixels(11, 10.0f), 16);
    EXPECT_EQ(ScaledPixels(11, 7.5f), 22);
}

class Dialog : public Settings {
protected:
    void Open(float twips_per_pixel = 15) {
        world.SetScreen(1280, 1024, twips_per_pixel);
        ASSERT_EQ(shell.Start(), MainOutcome::SettingsShown);
    }
    const HeadlessDialog& dialog() { return shell.platform.dialog(); }
};

// At every scale the dialog as the core lays it out keeps what the design
// has: every control in the client area (Label5 passes its right edge by
// design), none over another, each the size of its 96-dpi self times the
// scale within a pixel, and the options (which the backends place with
// OptionBox) inside the frame, below the room of its caption.
TEST_F(Dialog, EveryScaleKeepsEveryControlInsideApartAndInProportion) {
    Open();
    const auto design = dialog().bounds;
    for (int dpi : {96, 120, 126, 131, 144, 150, 168, 175, 192, 200, 216, 240, 288, 480}) {
        SCOPED_TRACE(dpi);
        const float tpp = 1440.0f / static_cast<float>(dpi);
        world.SetScreen(1280, 1024, tpp);
        ScaleSettingsDialog(shell.app);
        const double scale = ScalesItself(tpp) ? dpi / 96.0 : 1.0;
        const std::int32_t cw = shell.platform.DialogClientWidth(), ch = shell.platform.DialogClientHeight();
        EXPECT_GE(cw, 300 * scale);
        EXPECT_GE(ch, 200 * scale);
        EXPECT_LT(cw, 300 * scale + 1);
        const auto& bounds = dialog().bounds;
        ASSERT_EQ(bounds.size(), design.size());
        for (auto i = bounds.begin(); i != bounds.end(); ++i) {
            const auto& [control, b] = *i;
            const int name = static_cast<int>(control);
            EXPECT_GE(b.left, 0) << name;
            EXPECT_GE(b.top, 0) << name;
            EXPECT_TRUE(control == Control::Label5 || b.left + b.width <= cw) << name;
            EXPECT_LE(b.top + b.height, ch) << name;
            EXPECT_NEAR(b.width, design.at(control).width * scale, 1.0) << name;
            EXPECT_NEAR(b.height, design.at(control).height * scale, 1.0) << name;
            for (auto j = std::next(i); j != bounds.end(); ++j) {
                const Bounds& o = j->second;
                const bool apart = b.left + b.width <= o.left || o.left + o.width <= b.left ||
                                   b.top + b.height <= o.top || o.top + o.height <= b.top;
                EXPECT_TRUE(apart) << name << " over " << static_cast<int>(j->first);
            }
        }
        // At 120 dots per inch the options keep their twips, which pass the
        // frame's edges in the original design too.
        if (dpi == 120) continue;
        const Bounds& frame = bounds.at(Control::Frame);
        const PixelBox opt0 = OptionBox(kOpt0DesignTwips, tpp, tpp), opt1 = OptionBox(kOpt1DesignTwips, tpp, tpp);
        for (const PixelBox& o : {opt0, opt1}) {
            EXPECT_GE(o.left, 0);
            EXPECT_GE(o.top, FrameCaptionRoom(tpp, tpp));
            EXPECT_LE(o.left + o.width, frame.width);
            EXPECT_LE(o.top + o.height, frame.height);
        }
        EXPECT_LE(opt0.top + opt0.height, opt1.top);
    }
}

TEST_F(Dialog, OpensCentredWithAThreeHundredByTwoHundredClientArea) {
    for (float tpp : {15.0f, 12.0f}) {
        SCOPED_TRACE(tpp);
        HeadlessProgram fresh(world, "", folder.path().string());
        world.SetScreen(1280, 1024, tpp);
        ASSERT_EQ(fresh.Start(), MainOutcome::SettingsShown);
        HeadlessPlatform& p = fresh.platform;
        EXPECT_EQ(p.DialogClientWidth(), 300);
        EXPECT_EQ(p.DialogClientHeight(), 200);
        EXPECT_EQ(p.dialog().caption, "Nyamoの設定");
        EXPECT_FLOAT_EQ(p.dialog().left, (1280 * tpp - p.dialog().outer_width) / 2);
        EXPECT_FLOAT_EQ(p.dialog().top, (1024 * tpp - p.dialog().outer_height) / 2);
        const float points = tpp == 15.0f ? 10.0f : 8.0f;
        for (Control c : {Control::Opt0, Control::Opt1, Control::Label1, Control::Label2, Control::Label3,
                          Control::Label4, Control::Label5, Control::But0, Control::But1})
            EXPECT_EQ(p.dialog().font_points.at(c), points);
        EXPECT_FALSE(p.dialog().font_points.contains(Control::Frame));
        EXPECT_TRUE(p.dialog().shown);
        fresh.CloseBox();
    }
}

TEST_F(Dialog, At192DotsPerInchTheClientDoublesAndTextsKeepTheir96DpiPoints) {
    Open(7.5f);
    const HeadlessPlatform& p = shell.platform;
    EXPECT_EQ(shell.platform.DialogClientWidth(), 600);
    EXPECT_EQ(shell.platform.DialogClientHeight(), 400);
    EXPECT_FLOAT_EQ(dialog().left, (1280 * 7.5f - dialog().outer_width) / 2);
    EXPECT_FLOAT_EQ(dialog().top, (1024 * 7.5f - dialog().outer_height) / 2);
    for (Control c : {Control::Opt0, Control::Opt1, Control::Label1, Control::Label2, Control::Label3, Control::Label4,
                      Control::Label5, Control::But0, Control::But1})
        EXPECT_EQ(dialog().font_points.at(c), 10.0f);
    EXPECT_EQ(p.dialog().texts.at(Control::Label2), " 20");
}

TEST_F(Dialog, At144DotsPerInchTheClientIsHalfAgainAsLarge) {
    Open(10);
    EXPECT_EQ(shell.platform.DialogClientWidth(), 450);
    EXPECT_EQ(shell.platform.DialogClientHeight(), 300);
    EXPECT_EQ(dialog().font_points.at(Control::Label1), 10.0f);
}

// Moved to a monitor of another DPI, the open dialog is laid out for it;
// what the user has set so far stays.
TEST_F(Dialog, AChangeOfScaleLaysTheOpenDialogOutAgainAndKeepsItsValues) {
    Open();
    const auto design_bounds = dialog().bounds;
    shell.MoveScrollBar(0, 33);
    shell.SelectOption(1);
    world.SetScreen(1280, 1024, 7.5f);
    ScaleSettingsDialog(shell.app);
    EXPECT_EQ(shell.platform.DialogClientWidth(), 600);
    EXPECT_EQ(shell.platform.DialogClientHeight(), 400);
    for (const auto& [control, d] : design_bounds)
        EXPECT_EQ(dialog().bounds.at(control), (Bounds{2 * d.width, 2 * d.height, 2 * d.left, 2 * d.top}));
    EXPECT_EQ(dialog().font_points.at(Control::But0), 10.0f);
    EXPECT_EQ(dialog().scroll[0], 33);
    EXPECT_EQ(dialog().texts.at(Control::Label2), " 33");
    EXPECT_EQ(dialog().selected_option, 1);

    world.SetScreen(1280, 1024, 12);  // on to a 120-dpi monitor: the design again, 8 points
    ScaleSettingsDialog(shell.app);
    EXPECT_EQ(shell.platform.DialogClientWidth(), 300);
    EXPECT_EQ(shell.platform.DialogClientHeight(), 200);
    EXPECT_EQ(dialog().bounds, design_bounds);
    EXPECT_EQ(dialog().font_points.at(Control::Opt0), 8.0f);

    shell.ClickButton(0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), Saved(33, 2, 5, 1));
}

TEST_F(Dialog, ShowsTheLoadedValues) {
    Open();
    EXPECT_EQ(dialog().selected_option, 0);
    EXPECT_EQ(dialog().scroll[0], 20);
    EXPECT_EQ(dialog().scroll[1], 5);
    EXPECT_EQ(dialog().texts.at(Control::Label2), " 20");
    EXPECT_EQ(dialog().texts.at(Control::Label4), " 5");

    HeadlessProgram second(world, "/c", folder.path().string());
    EXPECT_FALSE(dialog().all_screens);
    folder.Write("Nyamo_07.ini", "[Nyamo Saver]\nSaverType=2\nCatNum=1\nSaverSpeed=10\nSaverScreens=2\n");
    shell.CloseBox();
    ASSERT_EQ(second.Start(), MainOutcome::SettingsShown);
    EXPECT_EQ(second.platform.dialog().selected_option, 1);
    EXPECT_TRUE(second.platform.dialog().all_screens);
    EXPECT_EQ(second.platform.dialog().texts.at(Control::Label2), " 1");
    EXPECT_EQ(second.platform.dialog().texts.at(Control::Label4), " 10");
}

TEST_F(Dialog, MovingABarRefreshesBothValueTexts) {
    Open();
    shell.MoveScrollBar(0, 50);
    EXPECT_EQ(dialog().texts.at(Control::Label2), " 50");
    shell.MoveScrollBar(1, 1);
    EXPECT_EQ(dialog().texts.at(Control::Label4), " 1");
    EXPECT_FALSE(folder.Exists("Nyamo_07.ini"));
    EXPECT_EQ(shell.app.g.CatNum, 20);  // only OK changes the settings
}

TEST_F(Dialog, OkSavesAllFourAndEndsTheProgram) {
    Open();
    shell.SelectOption(1);
    shell.MoveScrollBar(0, 30);
    shell.MoveScrollBar(1, 7);
    shell.platform.SetChecked(Control::AllScreens, true);
    shell.ClickButton(0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), Saved(30, 2, 7, 2));
    EXPECT_EQ(shell.exit_status(), 0);
    EXPECT_TRUE(shell.platform.errors_shown().empty());
}

TEST_F(Dialog, OkWithoutChangesStillWritesEveryKey) {
    Open();
    shell.ClickButton(0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), Saved(20, 1, 5, 1));
}

TEST_F(Dialog, CancelAndCloseBoxLeaveTheFileAsItWas) {
    const std::string text = "[Nyamo Saver]\nCatNum=3\n";
    folder.Write("Nyamo_07.ini", text);
    Open();
    shell.MoveScrollBar(0, 44);
    shell.ClickButton(1);
    EXPECT_EQ(shell.exit_status(), 0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), text);

    HeadlessProgram again(world, "", folder.path().string());
    ASSERT_EQ(again.Start(), MainOutcome::SettingsShown);
    again.MoveScrollBar(0, 44);
    again.SelectOption(1);
    again.CloseBox();
    EXPECT_EQ(again.exit_status(), 0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), text);
}

TEST_F(Dialog, AFailedSaveIsShownNamingTheFileAndTheDialogStillCloses) {
    Open();
    folder.Write("plain", "");  // no folder can be made where a file is
    shell.platform.set_settings_folder(folder.file("plain/gone"));
    shell.ClickButton(0);
    ASSERT_EQ(shell.platform.errors_shown().size(), 1u);
    EXPECT_NE(shell.platform.errors_shown()[0].find(folder.file("plain/gone") + "/Nyamo_07.ini"), std::string::npos);
    EXPECT_EQ(shell.exit_status(), 0);
}

}  // namespace
}  // namespace nyamo
