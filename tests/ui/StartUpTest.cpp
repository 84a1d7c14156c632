#include "app/MgrMultiLang.h"
#include "app/ui/MainFrm.h"
#include "app/ui/TrevixApp.h"
#include "app/ui/UiFonts.h"

#include "tests/support/TempDir.h"
#include "tests/ui/MainFrameFakes.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QtWidgets/qtestsupport_widgets.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace trevix {
namespace {

namespace fs = std::filesystem;
using test::FakeFrameParts;
using test::TempDir;

bool AnyWindowVisible() {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible())
            return true;
    }
    return false;
}

// A start directory, the user's folders and a lock file of the test's own.
class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.Path() / "start");
        fs::create_directories(dir.Path() / "home");
        MakeConfig();
    }
    // The configuration reads the installed vedoredu.ini of the start directory when made.
    void MakeConfig() {
        config = std::make_unique<ViewerConfig>(
            UserFolders{StartDir(), dir.Path() / "config", {}, dir.Path() / "home"},
            [] { return 81; });
    }
    fs::path StartDir() const { return dir.Path() / "start"; }
    void WriteSkin(bool description, bool pictures) {
        if (description)
            dir.Write("start/trevix.dsc", "[0]\n");
        if (pictures)
            dir.Write("start/trevix.chk", "pictures");
    }
    AppStartOptions Options(QStringList arguments = {}) {
        AppStartOptions options;
        options.workingDirectory = StartDir();
        options.arguments = std::move(arguments);
        options.messages = &parts.messages;
        options.lockPath = QString::fromStdString((dir.Path() / "DR_BRESKA").string());
        options.adjustFrame = [this](MainFrameSetup& setup) {
            MainFrameSetup fake = parts.Setup(setup.vendor);
            fake.messages = setup.messages;
            setup = std::move(fake);
        };
        return options;
    }

    TempDir dir;
    FakeFrameParts parts;
    std::unique_ptr<ViewerConfig> config;
};

TEST_F(StartUpTest, MissingPictureStoreNamesItAndShowsNoWindow) {
    WriteSkin(true, false);
    CTrevixApp app(Options(), config.get());
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(parts.messages.shown.size(), 1u);
    EXPECT_EQ(parts.messages.shown[0].first, "Trevix");
    EXPECT_EQ(parts.messages.shown[0].second, "Check File : trevix.chk");
    EXPECT_EQ(TheMainFrame(), nullptr);
    EXPECT_EQ(app.MainFrame(), nullptr);
    EXPECT_FALSE(AnyWindowVisible());
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(StartUpTest, MissingDescriptionIsNamedFirst) {
    WriteSkin(false, false);
    dir.Write("start/trevix.dsc/inside", "a folder is no file");
    CTrevixApp app(Options(), config.get());
    EXPECT_FALSE(app.InitInstance());
    ASSERT_EQ(parts.messages.shown.size(), 1u);
    EXPECT_EQ(parts.messages.shown[0].second, "Check File : trevix.dsc");
    EXPECT_FALSE(AnyWindowVisible());
}

TEST_F(StartUpTest, StartsTheFrameWithLockFontsAndPointers) {
    WriteSkin(true, true);
    dir.Write("start/vedoredu.ini", "[GUI]\nVender=2\nModelName=Fleet Cam\n");
    MakeConfig();
    {
        CTrevixApp app(Options({"--x"}), config.get());
        ASSERT_TRUE(app.InitInstance());
        EXPECT_TRUE(parts.messages.shown.empty());
        EXPECT_EQ(TheApp(), &app);
        ASSERT_NE(app.MainFrame(), nullptr);
        EXPECT_EQ(TheMainFrame(), app.MainFrame());
        EXPECT_TRUE(app.MainFrame()->isVisible());
        EXPECT_EQ(app.StartDirectory(), StartDir());
        EXPECT_FALSE(app.DebugFlag());
        EXPECT_EQ(app.LoadedKind(), 0);
        EXPECT_EQ(config->ModelName(), "Fleet Cam"); // the full read ran
        EXPECT_EQ(config->Vender(), 2);

        // The lock is held for the life of the process; a second holder cannot take it.
        EXPECT_TRUE(app.HoldsInstanceLock());
        QLockFile second(QString::fromStdString((dir.Path() / "DR_BRESKA").string()));
        EXPECT_FALSE(second.tryLock(0));

        EXPECT_TRUE(app.HasUiFonts());
        const int heights[] = {15, 16, 16, 18, 20};
        const int weights[] = {500, 400, 700, 700, 700};
        for (int i = 0; i < 5; ++i) {
            EXPECT_LE(QFontMetrics(UiFonts::Get(i)).height(), heights[i]) << i;
            EXPECT_EQ(UiFonts::Get(i).weight(), weights[i]) << i;
            EXPECT_EQ(UiFonts::Get(i).family(), QGuiApplication::font().family());
        }

        const int depth = app.QueryColourDepth();
        EXPECT_EQ(depth, app.MainFrame()->screen()->depth());
        EXPECT_EQ(app.ColourDepth(), depth);

        EXPECT_EQ(app.ExitInstance(), 0);
        EXPECT_EQ(TheMainFrame(), nullptr);
        EXPECT_FALSE(app.HoldsInstanceLock());
        EXPECT_FALSE(AnyWindowVisible());
    }
    EXPECT_EQ(TheApp(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString((dir.Path() / "DR_BRESKA").string())));
}

TEST_F(StartUpTest, DebugOptionInAnySpellingOrLongerWord) {
    WriteSkin(true, true);
    const QStringList onLines[] = {{"/DEBUG"}, {"a", "/debugger"}, {"x/Debug"}};
    for (const QStringList& arguments : onLines) {
        CTrevixApp app(Options(arguments), config.get());
        ASSERT_TRUE(app.InitInstance());
        EXPECT_TRUE(app.DebugFlag()) << arguments.join(' ').toStdString();
    }
    CTrevixApp plain(Options({"-debug", "debug"}), config.get());
    ASSERT_TRUE(plain.InitInstance());
    EXPECT_FALSE(plain.DebugFlag());
}

TEST_F(StartUpTest, SecondViewerStartsWithoutTheLock) {
    WriteSkin(true, true);
    CTrevixApp first(Options(), config.get());
    ASSERT_TRUE(first.InitInstance());
    FakeFrameParts otherParts;
    AppStartOptions options = Options();
    options.adjustFrame = [&otherParts](MainFrameSetup& setup) {
        MainFrameSetup fake = otherParts.Setup(setup.vendor);
        fake.messages = setup.messages;
        setup = std::move(fake);
    };
    CTrevixApp second(std::move(options), config.get());
    ASSERT_TRUE(second.InitInstance());
    EXPECT_TRUE(first.HoldsInstanceLock());
    EXPECT_FALSE(second.HoldsInstanceLock());
}

TEST(StartDirectory, WorkingDirectoryFirstThenTheShareFolder) {
    TempDir dir;
    const fs::path working = dir.Path() / "work";
    const fs::path share = dir.Path() / "share";
    fs::create_directories(working);
    fs::create_directories(share);
    EXPECT_EQ(ChooseStartDirectory(working, share), working); // neither holds the skin
    dir.Write("share/trevix.dsc", "x");
    EXPECT_EQ(ChooseStartDirectory(working, share), share);
    EXPECT_EQ(ChooseStartDirectory(working, {}), working);
    dir.Write("work/trevix.dsc", "x");
    EXPECT_EQ(ChooseStartDirectory(working, share), working);
}

// The viewer started from the generated run folder with its own panel: a screenshot to look at.
TEST(StartUpScreenshot, StartedWindowFromTheRunFolder) {
    const char* binary = std::getenv("TREVIX_BINARY_DIR");
    const fs::path runDir = fs::path(binary != nullptr ? binary : ".") / "run";
    if (!fs::exists(runDir / "trevix.dsc") || !fs::exists(runDir / "trevix.chk"))
        GTEST_SKIP() << "no generated run folder at " << runDir;
    TempDir dir;
    fs::create_directories(dir.Path() / "home");
    ViewerConfig config(UserFolders{runDir, dir.Path() / "config", {}, dir.Path() / "home"},
                        [] { return 81; });
    test::CaughtMessages messages;
    AppStartOptions options;
    options.workingDirectory = runDir;
    options.messages = &messages;
    options.lockPath = QString::fromStdString((dir.Path() / "DR_BRESKA").string());
    options.adjustFrame = [](MainFrameSetup& setup) {
        setup.mountWatchPath.clear();
        setup.openVolume = [] { return std::make_unique<test::FakeVolume>(true, 50, 0); };
    };
    // The run folder's language file is chosen at start-up; later tests expect none.
    struct LanguageReset {
        ViewerConfig& config;
        fs::path emptyFolder;
        ~LanguageReset() { LanguageManager().Discover(emptyFolder, config); }
    } languageReset{config, dir.Path() / "home"};
    CTrevixApp app(std::move(options), &config);
    ASSERT_TRUE(app.InitInstance());
    CMainFrame* frame = app.MainFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    const QImage shot = frame->grab().toImage();
    const fs::path folder = runDir.parent_path() / "screenshots";
    fs::create_directories(folder);
    ASSERT_TRUE(shot.save(QString::fromStdString((folder / "viewer-started.png").string())));
    EXPECT_EQ(shot.size(), QSize(1024, 768) * shot.devicePixelRatio());
    EXPECT_TRUE(frame->Panel().Widget().inherits("trevix::CMainBackPanel"));
    // The skin is painted: the picture is not one plain colour.
    std::set<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 16) {
        for (int x = 0; x < shot.width(); x += 16)
            colours.insert(shot.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 4u);
    for (const auto& message : messages.shown)
        ADD_FAILURE() << message.second;
}

} // namespace
} // namespace trevix
