#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/headless_shell.h"
#include "settings/dialog_design.h"
#include "settings/dialog_scale.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"
#include "tests/test_folder.h"

namespace nyamo {
namespace {

using testing::TestFolder;

class Settings : public ::testing::Test {
protected:
    App& Load(const std::string& file_text) {
        folder.Write("Nyamo_07.ini", file_text);
        LoadSettings(shell.app);
        return shell.app;
    }
    TestFolder folder;
    HeadlessWorld world;
    HeadlessShell shell{world, "/c", folder.path().string()};
};

TEST_F(Settings, DefaultsWithoutAFileAndLoadingCreatesNothing) {
    LoadSettings(shell.app);
    EXPECT_EQ(shell.app.g.CatNum, 20);
    EXPECT_EQ(shell.app.g.SaverType, 1);
    EXPECT_EQ(shell.app.g.SaverSpeed, 5);
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
        const App& app = Load(std::string("[Nyamo Saver]\r\nCatNum=") + c.cat_num + "\r\nSaverType=" + c.type +
                              "\r\nSaverSpeed=" + c.speed + "\r\n");
        EXPECT_EQ(app.g.CatNum, c.cat_num_loaded);
        EXPECT_EQ(app.g.SaverType, c.type_loaded);
        EXPECT_EQ(app.g.SaverSpeed, c.speed_loaded);
    }
}

TEST_F(Settings, LoadingNeverChangesTheFile) {
    const std::string text = "[nyamo SAVER]\nCatNum = 0\n\xff\xfe garbage\n";
    Load(text);
    EXPECT_EQ(shell.app.g.CatNum, 1);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), text);
}

TEST_F(Settings, SavingANewFileWritesFourLines) {
    shell.app.g.CatNum = 30;
    shell.app.g.SaverType = 2;
    shell.app.g.SaverSpeed = 7;
    EXPECT_TRUE(SaveSettings(shell.app));
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\r\nCatNum=30\r\nSaverType=2\r\nSaverSpeed=7\r\n");
    // All three in one update of the file, not one replacement per value.
    std::vector<std::string> writes;
    for (const std::string& call : shell.platform.log())
        if (call.starts_with("ProfileWrite")) writes.push_back(call);
    EXPECT_EQ(writes, std::vector<std::string>{"ProfileWrite CatNum=30 SaverType=2 SaverSpeed=7"});
}

TEST_F(Settings, SavingReplacesInPlaceAndAppendsMissingKeysInOrder) {
    folder.Write("Nyamo_07.ini", "[Top]\nx=1\n[Nyamo Saver]\nSaverSpeed=3 ; fast\n\n[Tail]\ny=2\n");
    shell.app.g.CatNum = 4;
    shell.app.g.SaverType = 1;
    shell.app.g.SaverSpeed = 9;
    EXPECT_TRUE(SaveSettings(shell.app));
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Top]\nx=1\n[Nyamo Saver]\nSaverSpeed=9\nCatNum=4\nSaverType=1\n\n[Tail]\ny=2\n");
}

// A folder that may be written but not read cannot be opened to sync the
// rename to disk: that costs durability, not the save, into a new file and
// over an old one alike.
TEST_F(Settings, SavingIntoAFolderThatCannotBeReadSucceeds) {
    shell.app.g.CatNum = 30;
    shell.app.g.SaverType = 2;
    shell.app.g.SaverSpeed = 7;
    TestFolder::ChildRun run = folder.RunUnlisted([&] { return SaveSettings(shell.app); });
    if (!run.ran) GTEST_SKIP() << run.why_not;
    EXPECT_TRUE(run.body_result);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\r\nCatNum=30\r\nSaverType=2\r\nSaverSpeed=7\r\n");

    folder.Write("Nyamo_07.ini", "[Nyamo Saver]\nCatNum=3\nSaverType=1\nSaverSpeed=1\n");
    run = folder.RunUnlisted([&] { return SaveSettings(shell.app); });
    ASSERT_TRUE(run.ran) << run.why_not;
    EXPECT_TRUE(run.body_result);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\nCatNum=30\nSaverType=2\nSaverSpeed=7\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator{}),
              1);
}

TEST_F(Settings, SavingIntoAMissingFolderReportsFailure) {
    shell.platform.set_settings_folder(folder.file("gone"));
    shell.app.g.CatNum = 4;
    EXPECT_FALSE(SaveSettings(shell.app));
    EXPECT_FALSE(folder.Exists("gone"));
}

TEST(DialogFont, TenPointsAtNinetySixDotsPerInch) {
    EXPECT_EQ(DialogFontSize(15), 10.0f);
    EXPECT_EQ(DialogFontSize(12), 8.0f);
    EXPECT_EQ(DialogFontSize(10), 6.0f);
    EXPECT_EQ(DialogFontSize(9), 6.0f);
}

// Up to 120 dots per inch the dialog scales as designed; above, it is laid
// out as at 96 in pixels, so that nothing grows over anything else.
TEST(DialogScale, OptionsKeepTheirTwipsDesignUpTo120DotsPerInchAndTheir96DpiBoxesAbove) {
    const PixelBox at96{16, 12, 141, 29}, blank_at96{16, 44, 141, 29};
    EXPECT_EQ(OptionBox(kOpt0DesignTwips, 15, 15), at96);
    EXPECT_EQ(OptionBox(kOpt1DesignTwips, 15, 15), blank_at96);
    EXPECT_EQ(OptionBox(kOpt0DesignTwips, 12, 12), (PixelBox{20, 15, 176, 36}));
    EXPECT_EQ(OptionBox(kOpt1DesignTwips, 12, 12), (PixelBox{20, 55, 176, 36}));
    for (float tpp : {10.0f, 1440.0f / 168, 7.5f}) {  // 144, 168 and 192 dots per inch
        SCOPED_TRACE(tpp);
        EXPECT_TRUE(LaidOutAsAt96Dpi(tpp));
        EXPECT_EQ(OptionBox(kOpt0DesignTwips, tpp, tpp), at96);
        EXPECT_EQ(OptionBox(kOpt1DesignTwips, tpp, tpp), blank_at96);
        EXPECT_EQ(FrameCaptionRoom(tpp, tpp), 12);
        EXPECT_EQ(LayoutTwipsPerPixel(tpp), 15.0f);
    }
    // 12 twips per pixel is still the design's own scale; 11.6 rounds to it.
    EXPECT_FALSE(LaidOutAsAt96Dpi(12.0f));
    EXPECT_FALSE(LaidOutAsAt96Dpi(11.6f));
    EXPECT_TRUE(LaidOutAsAt96Dpi(11.4f));
    EXPECT_EQ(FrameCaptionRoom(15, 15), 12);
    EXPECT_EQ(FrameCaptionRoom(12, 12), 15);
}

TEST(DialogScale, FontsKeepTheirNinetySixDpiPixelHeightAbove120DotsPerInch) {
    EXPECT_EQ(DialogFontPoints(15), 10.0f);
    EXPECT_EQ(DialogFontPoints(12), 8.0f);
    for (float tpp : {10.0f, 1440.0f / 168, 7.5f}) {
        SCOPED_TRACE(tpp);
        // Points become pixels at 1440 / tpp dots per inch: 20 / tpp pixels a point.
        EXPECT_NEAR(DialogFontPoints(tpp) * 20.0f / tpp, 10.0f * 20.0f / 15.0f, 1e-4);
    }
}

class Dialog : public Settings {
protected:
    void Open(float twips_per_pixel = 15) {
        world.SetScreen(1280, 1024, twips_per_pixel);
        ASSERT_EQ(shell.Start(), MainOutcome::SettingsShown);
    }
    const HeadlessDialog& dialog() { return shell.platform.dialog(); }
};

TEST_F(Dialog, OpensCentredWithAThreeHundredByTwoHundredClientArea) {
    for (float tpp : {15.0f, 12.0f}) {
        SCOPED_TRACE(tpp);
        HeadlessShell fresh(world, "", folder.path().string());
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

TEST_F(Dialog, Above120DotsPerInchEveryFontHasItsNinetySixDpiPixelHeight) {
    Open(10);  // 144 dots per inch
    const float points = 10.0f * 10.0f / 15.0f;
    for (Control c : {Control::Opt0, Control::Opt1, Control::Label1, Control::Label2, Control::Label3, Control::Label4,
                      Control::Label5, Control::But0, Control::But1})
        EXPECT_FLOAT_EQ(dialog().font_points.at(c), points);
    EXPECT_EQ(shell.platform.DialogClientWidth(), 300);
    EXPECT_EQ(shell.platform.DialogClientHeight(), 200);
}

TEST_F(Dialog, ControlsArePlacedAsDesigned) {
    Open();
    const auto& b = dialog().bounds;
    EXPECT_EQ(b.at(Control::Frame), (Bounds{170, 80, 20, 15}));
    EXPECT_EQ(b.at(Control::Label1), (Bounds{90, 20, 20, 115}));
    EXPECT_EQ(b.at(Control::Label2), (Bounds{20, 20, 110, 115}));
    EXPECT_EQ(b.at(Control::Label3), (Bounds{90, 20, 160, 115}));
    EXPECT_EQ(b.at(Control::Label4), (Bounds{20, 20, 250, 115}));
    EXPECT_EQ(b.at(Control::Label5), (Bounds{270, 20, 80, 170}));
    EXPECT_EQ(b.at(Control::HScroll0), (Bounds{130, 18, 20, 135}));
    EXPECT_EQ(b.at(Control::HScroll1), (Bounds{130, 18, 160, 135}));
    EXPECT_EQ(b.at(Control::But0), (Bounds{70, 25, 220, 20}));
    EXPECT_EQ(b.at(Control::But1), (Bounds{70, 25, 220, 50}));
    EXPECT_FALSE(b.contains(Control::Opt0));  // the options keep their design geometry
}

TEST_F(Dialog, ShowsTheLoadedValues) {
    Open();
    EXPECT_EQ(dialog().selected_option, 0);
    EXPECT_EQ(dialog().scroll[0], 20);
    EXPECT_EQ(dialog().scroll[1], 5);
    EXPECT_EQ(dialog().texts.at(Control::Label2), " 20");
    EXPECT_EQ(dialog().texts.at(Control::Label4), " 5");

    HeadlessShell second(world, "/c", folder.path().string());
    folder.Write("Nyamo_07.ini", "[Nyamo Saver]\nSaverType=2\nCatNum=1\nSaverSpeed=10\n");
    shell.CloseBox();
    ASSERT_EQ(second.Start(), MainOutcome::SettingsShown);
    EXPECT_EQ(second.platform.dialog().selected_option, 1);
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

TEST_F(Dialog, OkSavesAllThreeAndEndsTheProgram) {
    Open();
    shell.SelectOption(1);
    shell.MoveScrollBar(0, 30);
    shell.MoveScrollBar(1, 7);
    shell.ClickButton(0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\r\nCatNum=30\r\nSaverType=2\r\nSaverSpeed=7\r\n");
    EXPECT_EQ(shell.exit_status(), 0);
    EXPECT_TRUE(shell.platform.errors_shown().empty());
}

TEST_F(Dialog, OkWithoutChangesStillWritesEveryKey) {
    Open();
    shell.ClickButton(0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), "[Nyamo Saver]\r\nCatNum=20\r\nSaverType=1\r\nSaverSpeed=5\r\n");
}

TEST_F(Dialog, CancelAndCloseBoxLeaveTheFileAsItWas) {
    const std::string text = "[Nyamo Saver]\nCatNum=3\n";
    folder.Write("Nyamo_07.ini", text);
    Open();
    shell.MoveScrollBar(0, 44);
    shell.ClickButton(1);
    EXPECT_EQ(shell.exit_status(), 0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), text);

    HeadlessShell again(world, "", folder.path().string());
    ASSERT_EQ(again.Start(), MainOutcome::SettingsShown);
    again.MoveScrollBar(0, 44);
    again.SelectOption(1);
    again.CloseBox();
    EXPECT_EQ(again.exit_status(), 0);
    EXPECT_EQ(folder.Read("Nyamo_07.ini"), text);
}

TEST_F(Dialog, AFailedSaveIsShownNamingTheFileAndTheDialogStillCloses) {
    Open();
    shell.platform.set_settings_folder(folder.file("gone"));
    shell.ClickButton(0);
    ASSERT_EQ(shell.platform.errors_shown().size(), 1u);
    EXPECT_NE(shell.platform.errors_shown()[0].find(folder.file("gone") + "/Nyamo_07.ini"), std::string::npos);
    EXPECT_EQ(shell.exit_status(), 0);
}

}  // namespace
}  // namespace nyamo
