// The pane panel on its own: layouts and what they show and hide around them, pictures from
// another thread, the display-rate limit, the skin images, the event border, the pane menu's
// mirror setting, the thumbnail toggle, window dragging, the enlarged and full-screen states,
// and screen checks of the quad layout on the plain and the OpenGL path.
#include "playback/ui/PaneSurfaceGl.h"
#include "playback/ui/PaneVideo.h"
#include "playback/ui/WndPanePanel.h"

#include "app/ViewerConfig.h"
#include "app/ui/Skin.h"
#include "catalogue/SearchViews.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trevix {
namespace {

namespace fs = std::filesystem;

fs::path BuildFolder() {
    const char* build = std::getenv("TREVIX_BINARY_DIR");
    return build != nullptr ? fs::path(build) : fs::path(TREVIX_BINARY_DIR);
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

class FakeBackPanel final : public IPaneBackPanel {
public:
    void ShowLayoutButtons() override { calls.push_back("layout buttons"); }
    void HideQuadAndThumbnailButtons() override { calls.push_back("hide quad 4x4"); }
    void ShowTimeSlideBar(bool show) override {
        calls.push_back(show ? "slide bar" : "no slide bar");
    }
    void EnableTransportButtons(bool enable) override {
        calls.push_back(enable ? "transport on" : "transport off");
    }
    void ShowGValues(float x, float y, float z) override { gValues = {x, y, z}; }
    void ShowSurroundings(bool show) override {
        calls.push_back(show ? "surroundings" : "no surroundings");
    }
    bool Called(const std::string& call) const {
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    }
    std::vector<std::string> calls;
    std::vector<float> gValues;
};

class FakePlayback final : public IPanePlayback {
public:
    int PlayState() const override { return playState.load(); }
    void Stop() override { ++stops; }
    void ShowCurrentTimeAgain() override { ++shownAgain; }
    void FillThumbnails(int channel) override { filled.push_back(channel); }
    void CamFlipChanged(int channel) override { flipped.push_back(channel); }
    std::atomic<int> playState{1};
    int stops = 0;
    int shownAgain = 0;
    std::vector<int> filled;
    std::vector<int> flipped;
};

class FakeLogViews final : public IPaneLogViews {
public:
    void Show(bool show) override { shown = show; }
    void Place(QSize client) override { placedIn = client; }
    void ShowCurrentSample() override { ++samplesShown; }
    bool shown = false;
    QSize placedIn;
    int samplesShown = 0;
};

class FakeAppState final : public IPaneAppState {
public:
    int LoadedKind() const override { return loadedKind; }
    int Vendor() const override { return vendor; }
    bool DebugMode() const override { return false; }
    int CarPulseSpeed(int pulses) const override { return pulses; }
    bool HasRecordingsListed() const override { return listed; }
    int loadedKind = kLoadedEvent;
    int vendor = 1;
    bool listed = true;
};

// Counts what the panes report, from whichever thread reports it.
class CountingObserver final : public IPaneDrawObserver {
public:
    void OnPictureGiven(int, std::int64_t) override { ++given; }
    void OnPictureSkipped(int, std::int64_t) override { ++skipped; }
    void OnPictureDrawn(int, std::int64_t, PaneClock::time_point) override {
        ++drawn;
        if (std::this_thread::get_id() != uiThread)
            drawnOffUiThread = true;
    }
    std::atomic<int> given{0}, skipped{0}, drawn{0};
    std::atomic<bool> drawnOffUiThread{false};
    std::thread::id uiThread = std::this_thread::get_id();
};

// A uniform BGR picture.
std::vector<std::uint8_t> Picture(int width, int height, QColor colour) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = static_cast<std::uint8_t>(colour.blue());
        pixels[i + 1] = static_cast<std::uint8_t>(colour.green());
        pixels[i + 2] = static_cast<std::uint8_t>(colour.red());
    }
    return pixels;
}

PaneFrame Frame(int pane, const std::vector<std::uint8_t>& pixels, int width, int height,
                int millisecond = 0, std::uint8_t flags = 0) {
    PaneFrame frame;
    frame.pane = pane;
    frame.pixels = pixels;
    frame.width = width;
    frame.height = height;
    frame.frameIndex = 0;
    frame.frameCount = 10;
    frame.fileIndex = 0;
    frame.flags = flags;
    frame.gX = 0.5f;
    frame.gY = 0.25f;
    frame.gZ = 1.5f;
    frame.time = {2024,
                  5,
                  5,
                  17,
                  9,
                  30,
                  static_cast<std::uint16_t>(millisecond / 1000 % 60),
                  static_cast<std::uint16_t>(millisecond % 1000)};
    frame.time.wMinute = static_cast<std::uint16_t>(30 + millisecond / 60000);
    return frame;
}

class PanePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path work = temp_.Path() / "work";
        fs::create_directories(work);
        std::ofstream(work / "vedoredu.ini") << "[GUI]\r\nVender=1\r\n";
        config_ = std::make_unique<ViewerConfig>(
            UserFolders{work, temp_.Path() / "appdata", temp_.Path(), temp_.Path()},
            [] { return 1; });
        config_->ReadAll();
    }

    // A main window of the viewer's size with the panel where the skin puts it.
    CWndPanePanel& Make(PaneDisplayPath path = PaneDisplayPath::Painter, int cpuLevel = 1,
                        const CSkin* skin = nullptr) {
        PanePanelSetup setup;
        setup.skin = skin;
        setup.config = config_.get();
        setup.backPanel = &backPanel_;
        setup.playback = &playback_;
        setup.logViews = &logViews_;
        setup.appState = &app_;
        setup.monitors = &monitors_;
        setup.cpuLevel = cpuLevel;
        setup.path = path;
        setup.borderColor = QColor(20, 23, 28);
        main_ = std::make_unique<QWidget>();
        main_->setWindowFlag(Qt::FramelessWindowHint);
        main_->setGeometry(100, 100, 1024, 768);
        auto panel = std::make_unique<CWndPanePanel>(setup, main_.get());
        panel->setGeometry(7, 40, 804, 604);
        panel_ = panel.release(); // owned by the main window
        main_->show();
        WaitFor([this] { return main_->windowHandle() && main_->windowHandle()->isExposed(); });
        return *panel_;
    }

    void Give(int pane, QColor colour, int millisecond = 0, std::uint8_t flags = 0) {
        const auto pixels = Picture(64, 48, colour);
        panel_->SetFrame(0, 1, Frame(pane, pixels, 64, 48, millisecond, flags));
    }

    void MouseOn(QWidget& widget, QEvent::Type type, Qt::MouseButton button, QPoint at,
                 Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(widget.mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }

    test::TempDir temp_;
    std::unique_ptr<ViewerConfig> config_;
    FakeBackPanel backPanel_;
    FakePlayback playback_;
    FakeLogViews logViews_;
    FakeAppState app_;
    CMonitorInfo monitors_{
        std::vector<MonitorEntry>{{"one", QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 1024), true}}};
    std::unique_ptr<QWidget> main_;
    CWndPanePanel* panel_ = nullptr;
};

TEST_F(PanePanelTest, QuadLayoutAtCreation) {
    CWndPanePanel& panel = Make();
    EXPECT_EQ(panel.Layout(), PaneLayout::Quad);
    EXPECT_EQ(panel.Pane(0).geometry(), QRect(2, 2, 399, 299));
    EXPECT_EQ(panel.Pane(1).geometry(), QRect(403, 2, 399, 299));
    EXPECT_EQ(panel.Pane(3).geometry(), QRect(2, 303, 399, 299));   // Side
    EXPECT_EQ(panel.Pane(2).geometry(), QRect(403, 303, 399, 299)); // Rear
    for (int pane = 0; pane < kPaneCount; ++pane) {
        EXPECT_EQ(panel.Pane(pane).isVisible(), pane < 4) << pane;
        EXPECT_EQ(panel.Pane(pane).objectName(), "PaneVideo");
    }
    EXPECT_TRUE(backPanel_.Called("layout buttons"));
    EXPECT_TRUE(backPanel_.Called("slide bar"));
    EXPECT_FALSE(logViews_.shown);
    EXPECT_FALSE(panel.IsAccelerated());
}

TEST_F(PanePanelTest, SingleAndLogLayouts) {
    CWndPanePanel& panel = Make();
    Give(1, Qt::green);
    Give(2, Qt::red);
    panel.SetLayout(PaneLayout::Single, 2);
    EXPECT_EQ(panel.Channel(), 2);
    EXPECT_EQ(panel.Pane(2).geometry(), QRect(2, 2, 800, 600));
    for (int pane = 0; pane < kPaneCount; ++pane)
        EXPECT_EQ(panel.Pane(pane).isVisible(), pane == 2) << pane;
    EXPECT_TRUE(panel.Pane(1).HasPicture()); // hidden, not cleared

    backPanel_.calls.clear();
    panel.SetLayout(PaneLayout::Log, 0);
    EXPECT_EQ(panel.Layout(), PaneLayout::Log);
    EXPECT_EQ(playback_.stops, 1);
    EXPECT_EQ(panel.Pane(0).geometry(), QRect(484, 0, 320, 220));
    EXPECT_TRUE(panel.Pane(0).isVisible());
    EXPECT_FALSE(panel.Pane(2).isVisible());
    EXPECT_FALSE(panel.Pane(2).HasPicture());
    EXPECT_TRUE(logViews_.shown);
    EXPECT_EQ(logViews_.placedIn, QSize(804, 604));
    EXPECT_EQ(backPanel_.calls, (std::vector<std::string>{"hide quad 4x4", "no slide bar"}));
    EXPECT_FALSE(panel.HasPreviewPicture());
    Give(0, Qt::blue);
    EXPECT_TRUE(panel.HasPreviewPicture());
    panel.SetLogPreviewChannel(3);
    EXPECT_EQ(panel.LogPreviewChannel(), 3);
    EXPECT_EQ(logViews_.samplesShown, 1);
}

TEST_F(PanePanelTest, ThumbnailLayoutNeedsAPictureAndRestoresOnLeaving) {
    CWndPanePanel& panel = Make();
    panel.SetLayout(PaneLayout::Thumbnail, 1); // pane 1 shows nothing: ignored
    EXPECT_EQ(panel.Layout(), PaneLayout::Quad);
    EXPECT_TRUE(playback_.filled.empty());

    Give(1, Qt::green);
    backPanel_.calls.clear();
    panel.SetLayout(PaneLayout::Thumbnail, 1);
    EXPECT_EQ(panel.Layout(), PaneLayout::Thumbnail);
    EXPECT_EQ(panel.Channel(), 1);
    EXPECT_EQ(panel.PreviousLayout(), PaneLayout::Quad);
    EXPECT_EQ(playback_.stops, 1);
    EXPECT_EQ(playback_.filled, std::vector<int>{1});
    EXPECT_TRUE(backPanel_.Called("transport off"));
    EXPECT_FALSE(panel.Pane(1).HasPicture()); // every pane cleared before the filling
    for (int pane = 0; pane < kPaneCount; ++pane)
        EXPECT_TRUE(panel.Pane(pane).isVisible());
    EXPECT_EQ(panel.Pane(5).geometry(), QRect(202, 152, 199, 149));

    backPanel_.calls.clear();
    panel.SetLayout(PaneLayout::Single, 3);
    EXPECT_EQ(backPanel_.calls,
              (std::vector<std::string>{"layout buttons", "slide bar", "transport on"}));
    EXPECT_EQ(playback_.shownAgain, 1);
    EXPECT_EQ(panel.Layout(), PaneLayout::Single);

    // From the single layout the single pane supplies the channel, whatever is asked.
    Give(3, Qt::red);
    panel.SetLayout(PaneLayout::Thumbnail, 0);
    EXPECT_EQ(panel.Channel(), 3);
    EXPECT_EQ(panel.PreviousLayout(), PaneLayout::Single);
    // Going to the log layout from here gives Play back to the log list.
    backPanel_.calls.clear();
    panel.SetLayout(PaneLayout::Log, 0);
    EXPECT_TRUE(backPanel_.Called("transport on"));
}

TEST_F(PanePanelTest, LayoutChangesResetTheMeasuredRates) {
    CWndPanePanel& panel = Make();
    Give(0, Qt::blue, 1000);
    Give(0, Qt::blue, 1100);
    EXPECT_EQ(panel.DisplayRate().ChannelFps(0), 10);
    panel.SetLayout(PaneLayout::Quad, 0);
    EXPECT_EQ(panel.DisplayRate().ChannelFps(0), 0);
}

TEST_F(PanePanelTest, PicturesFromAnotherThreadArriveWhole) {
    CWndPanePanel& panel = Make();
    CountingObserver observer;
    panel.SetDrawObserver(&observer);
    constexpr int kPictures = 120;
    std::atomic<bool> done{false};
    std::thread stepper([&] {
        std::vector<std::uint8_t> pixels(320 * 240 * 3);
        for (int i = 0; i < kPictures; ++i) {
            // Every picture uniform in its own grey; a torn one would mix two.
            std::fill(pixels.begin(), pixels.end(), static_cast<std::uint8_t>(i * 2));
            for (int pane = 0; pane < 4; ++pane)
                panel.SetFrame(0, 1, Frame(pane, pixels, 320, 240, 1000 + i * 40));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        done = true;
    });
    int checks = 0;
    while (!done) {
        const QImage shot = panel.Pane(1).grab().toImage();
        // The middle of the pane lies clear of the on-screen texts.
        const QRgb middle = shot.pixel(shot.width() / 2, shot.height() / 2);
        for (int y = shot.height() / 2 - 20; y < shot.height() / 2 + 20; ++y)
            for (int x = shot.width() / 2 - 40; x < shot.width() / 2 + 40; ++x)
                ASSERT_EQ(shot.pixel(x, y), middle);
        ++checks;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    stepper.join();
    EXPECT_GT(checks, 0);
    // Every picture ends drawn or superseded by a newer one; the last one is drawn.
    auto settled = [&] {
        for (int pane = 0; pane < 4; ++pane) {
            const PaneDrawStats stats = panel.PaneStats(pane);
            if (stats.drawn + stats.skipped + stats.superseded != stats.given)
                return false;
        }
        return true;
    };
    ASSERT_TRUE(WaitFor(settled));
    for (int pane = 0; pane < 4; ++pane) {
        const PaneDrawStats stats = panel.PaneStats(pane);
        EXPECT_EQ(stats.given, kPictures);
        EXPECT_GT(stats.drawn, 0);
        EXPECT_EQ(stats.skipped, 0);
        EXPECT_EQ(panel.Pane(pane).Picture().pixel(5, 5), qRgb(238, 238, 238));
    }
    EXPECT_EQ(observer.drawn.load(), [&] {
        int drawn = 0;
        for (int pane = 0; pane < 4; ++pane)
            drawn += static_cast<int>(panel.PaneStats(pane).drawn);
        return drawn;
    }());
    EXPECT_EQ(observer.given.load(), 4 * kPictures);
    EXPECT_FALSE(observer.drawnOffUiThread.load());
    panel.SetDrawObserver(nullptr);
}

TEST_F(PanePanelTest, OnTheUiThreadAPictureIsDrawnAtOnce) {
    CWndPanePanel& panel = Make();
    Give(2, Qt::red, 1000);
    EXPECT_EQ(panel.PaneStats(2).drawn, 1);
    Give(2, Qt::red, 2000);
    EXPECT_EQ(panel.PaneStats(2).drawn, 2);
}

TEST_F(PanePanelTest, DisplayRateLimitSkipsPicturesOnThePlainPath) {
    CWndPanePanel& panel = Make(PaneDisplayPath::Painter, 3);
    playback_.playState = 3; // x1
    for (int i = 0; i < 20; ++i)
        for (int pane = 0; pane < 4; ++pane)
            Give(pane, Qt::gray, 1000 + i * 100);
    // Four channels at 10 per second: each pane drawn at most every 396 ms.
    const PaneDrawStats stats = panel.PaneStats(2);
    EXPECT_EQ(stats.given, 20);
    EXPECT_GE(stats.skipped, 14);
    EXPECT_LE(stats.drawn, 6);
    EXPECT_EQ(stats.drawn + stats.skipped + stats.superseded, stats.given);
    // A skipped picture is still kept.
    EXPECT_TRUE(panel.Pane(2).HasPicture());
}

TEST_F(PanePanelTest, ShortOrEmptyPicturesLeaveThePaneEmpty) {
    CWndPanePanel& panel = Make();
    Give(0, Qt::blue);
    ASSERT_TRUE(panel.Pane(0).HasPicture());
    const std::vector<std::uint8_t> few(100);
    panel.SetFrame(0, 1, Frame(0, few, 64, 48)); // claims more bytes than it has
    EXPECT_FALSE(panel.Pane(0).HasPicture());
    EXPECT_EQ(panel.Pane(0).Status().frame.frameCount, 10);
    panel.SetFrame(0, 1, Frame(16, few, 4, 4)); // no such pane: ignored
    Give(0, Qt::blue);
    panel.SetFrame(0, 0, EmptyPaneFrame(0));
    EXPECT_FALSE(panel.Pane(0).HasPicture());
}

TEST_F(PanePanelTest, EventBorderFollowsTheBorderPane) {
    CWndPanePanel& panel = Make();
    const QColor panelColour(20, 23, 28);
    Give(1, Qt::gray, 0, kFlagEventBorder); // not the border pane in the quad layout
    EXPECT_FALSE(panel.IsEventMarked());
    Give(0, Qt::gray, 0, kFlagEventBorder | kFlagHiddenPicture); // hidden pictures do not mark
    EXPECT_FALSE(panel.IsEventMarked());
    Give(0, Qt::gray, 0, kFlagEventBorder);
    EXPECT_TRUE(panel.IsEventMarked());
    QImage shot = panel.grab().toImage();
    EXPECT_EQ(shot.pixelColor(1, 300), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(803, 2), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(400, 301), panelColour); // between the panes
    // With a Memo list the mark is kept but drawn in the panel's colour.
    app_.loadedKind = kLoadedMemo;
    EXPECT_EQ(panel.grab().toImage().pixelColor(1, 300), panelColour);
    app_.loadedKind = kLoadedNormal;
    panel.ClearPanes();
    EXPECT_FALSE(panel.IsEventMarked());
    EXPECT_EQ(panel.grab().toImage().pixelColor(1, 300), panelColour);

    // In the single layout the channel's pane decides.
    panel.SetLayout(PaneLayout::Single, 3);
    Give(0, Qt::gray, 0, kFlagEventBorder);
    EXPECT_FALSE(panel.IsEventMarked());
    Give(3, Qt::gray, 0, kFlagEventBorder);
    EXPECT_TRUE(panel.IsEventMarked());
    EXPECT_EQ(backPanel_.gValues, (std::vector<float>{0.5f, 0.25f, 0.5f}));
}

TEST_F(PanePanelTest, ThumbnailCurrentPaneIsYellowAndDrivesTheBorder) {
    CWndPanePanel& panel = Make();
    Give(0, Qt::darkGray);
    panel.SetLayout(PaneLayout::Thumbnail, 0);
    panel.SetThumbCurrent(8);
    for (int pane = 0; pane < kPaneCount; ++pane)
        Give(pane, QColor(60, 60, 60), 1000 + pane * 200, pane == 8 ? kFlagEventBorder : 0);
    EXPECT_TRUE(panel.IsEventMarked());
    const QImage current = panel.Pane(8).grab().toImage();
    const QImage other = panel.Pane(9).grab().toImage();
    // The yellow line along the bottom edge of the client area (inside the 1-pixel frame).
    const int h = current.height();
    for (const int y : {h - 2, h - 7})
        EXPECT_EQ(current.pixelColor(current.width() / 2, y), QColor(255, 255, 0)) << y;
    EXPECT_NE(current.pixelColor(current.width() / 2, h - 8), QColor(255, 255, 0));
    EXPECT_NE(other.pixelColor(other.width() / 2, other.height() - 2), QColor(255, 255, 0));
    // Yellow texts in the top-left corner of pane 8 only.
    auto yellowText = [](const QImage& image) {
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 60; ++x)
                if (image.pixelColor(x, y) == QColor(255, 255, 0))
                    return true;
        return false;
    };
    EXPECT_TRUE(yellowText(current));
    EXPECT_FALSE(yellowText(other));
}

TEST_F(PanePanelTest, PaneMenuMirrorsAndSavesTheChannel) {
    CWndPanePanel& panel = Make();
    std::vector<std::pair<QString, bool>> offered;
    QString choose = "Mirror";
    panel.SetMenuRunner([&](QMenu& menu, QPoint) -> QAction* {
        offered.clear();
        QAction* chosen = nullptr;
        for (QAction* action : menu.actions()) {
            offered.emplace_back(action->text(), action->isChecked());
            if (action->text() == choose)
                chosen = action;
        }
        return chosen;
    });
    CPaneVideo& pane = panel.Pane(2);
    const QPoint middle = pane.rect().center();
    auto click = [&] {
        MouseOn(pane, QEvent::MouseButtonPress, Qt::LeftButton, middle, Qt::LeftButton);
        MouseOn(pane, QEvent::MouseButtonRelease, Qt::LeftButton, middle, Qt::NoButton);
    };
    click(); // no picture: no menu
    EXPECT_TRUE(offered.empty());

    Give(2, Qt::red);
    click();
    EXPECT_EQ(offered,
              (std::vector<std::pair<QString, bool>>{{"Normal", true}, {"Mirror", false}}));
    EXPECT_EQ(config_->CamFlip(2), kCamFlipMirror);
    EXPECT_FALSE(pane.HasPicture()); // the picture is dropped until the decoder gives a new one
    EXPECT_EQ(playback_.flipped, std::vector<int>{2});
    std::ifstream file(config_->SettingsFilePath());
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    EXPECT_NE(text.find("[RunParam]"), std::string::npos);
    EXPECT_NE(text.find("CamFlip3=2"), std::string::npos);

    Give(2, Qt::red);
    choose = "Mirror"; // already mirrored: nothing changes
    click();
    EXPECT_EQ(offered,
              (std::vector<std::pair<QString, bool>>{{"Normal", false}, {"Mirror", true}}));
    EXPECT_TRUE(pane.HasPicture());
    EXPECT_EQ(playback_.flipped.size(), 1u);
    choose = "Normal";
    click();
    EXPECT_EQ(config_->CamFlip(2), kCamFlipNormal);
    EXPECT_EQ(playback_.flipped, (std::vector<int>{2, 2}));

    // In the thumbnail layout there is no menu; the command takes the panel's channel.
    Give(1, Qt::green);
    panel.SetLayout(PaneLayout::Thumbnail, 1);
    panel.RunPaneCommand(12, kCmdPaneViewMirror);
    EXPECT_EQ(config_->CamFlip(1), kCamFlipMirror);
}

TEST_F(PanePanelTest, RightClickTogglesTheThumbnailLayout) {
    CWndPanePanel& panel = Make();
    auto rightClick = [&](int pane) {
        CPaneVideo& target = panel.Pane(pane);
        MouseOn(target, QEvent::MouseButtonPress, Qt::RightButton, QPoint(10, 10), Qt::RightButton);
        MouseOn(target, QEvent::MouseButtonRelease, Qt::RightButton, QPoint(10, 10), Qt::NoButton);
    };
    rightClick(3);
    EXPECT_EQ(panel.Layout(), PaneLayout::Quad);
    Give(3, Qt::red);
    rightClick(3);
    EXPECT_EQ(panel.Layout(), PaneLayout::Thumbnail);
    EXPECT_EQ(panel.Channel(), 3);
    rightClick(11);
    EXPECT_EQ(panel.Layout(), PaneLayout::Quad);

    app_.loadedKind = kLoadedMemo;
    Give(3, Qt::red);
    rightClick(3);
    EXPECT_EQ(panel.Layout(), PaneLayout::Quad);
}

TEST_F(PanePanelTest, DraggingAPaneMovesTheMainWindow) {
    CWndPanePanel& panel = Make();
    Give(0, Qt::blue);
    int menus = 0;
    panel.SetMenuRunner([&](QMenu&, QPoint) -> QAction* {
        ++menus;
        return nullptr;
    });
    CPaneVideo& pane = panel.Pane(0);
    const QPoint start(50, 50);
    auto drag = [&] {
        const QPoint globalStart = pane.mapToGlobal(start);
        auto send = [&](QEvent::Type type, Qt::MouseButton button, QPoint global,
                        Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(pane.mapFromGlobal(global)), QPointF(global), button,
                              held, Qt::NoModifier);
            QApplication::sendEvent(&pane, &event);
        };
        send(QEvent::MouseButtonPress, Qt::LeftButton, globalStart, Qt::LeftButton);
        send(QEvent::MouseMove, Qt::NoButton, globalStart + QPoint(30, 20), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::LeftButton, globalStart + QPoint(30, 20),
             Qt::NoButton);
    };
    const QPoint before = main_->frameGeometry().topLeft();
    drag(); // vendor 1: no dragging, and the release opens the menu
    EXPECT_EQ(main_->frameGeometry().topLeft(), before);
    EXPECT_EQ(menus, 1);
    app_.vendor = 0;
    drag();
    EXPECT_EQ(main_->frameGeometry().topLeft(), before + QPoint(30, 20));
    EXPECT_EQ(menus, 1); // a drag's release is no menu request
}

TEST_F(PanePanelTest, OnTheOpenGlPathTheSurfacesHandTheMouseToTheirPanes) {
    if (!OpenGlPanesAvailable())
        GTEST_SKIP() << "no OpenGL context with textures on this display";
    CWndPanePanel& panel = Make(PaneDisplayPath::Automatic);
    ASSERT_TRUE(panel.IsAccelerated());
    app_.vendor = 0;
    Give(2, Qt::red);
    QWindow* surface = panel.Pane(2).SurfaceWindow();
    ASSERT_NE(surface, nullptr);
    auto send = [&](QEvent::Type type, Qt::MouseButton button, QPoint global,
                    Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(surface->mapFromGlobal(global)), QPointF(global), button,
                          held, Qt::NoModifier);
        QApplication::sendEvent(surface, &event);
    };
    const QPoint start = surface->mapToGlobal(QPoint(50, 50));
    const QPoint before = main_->frameGeometry().topLeft();
    send(QEvent::MouseButtonPress, Qt::LeftButton, start, Qt::LeftButton);
    send(QEvent::MouseMove, Qt::NoButton, start + QPoint(30, 20), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, start + QPoint(30, 20), Qt::NoButton);
    EXPECT_EQ(main_->frameGeometry().topLeft(), before + QPoint(30, 20));

    const QPoint at = surface->mapToGlobal(QPoint(10, 10));
    send(QEvent::MouseButtonPress, Qt::RightButton, at, Qt::RightButton);
    send(QEvent::MouseButtonRelease, Qt::RightButton, at, Qt::NoButton);
    EXPECT_EQ(panel.Layout(), PaneLayout::Thumbnail);
    EXPECT_EQ(panel.Channel(), 2);
}

TEST_F(PanePanelTest, EnlargedAndFullScreenStates) {
    CWndPanePanel& panel = Make();
    panel.ToggleEnlarged(); // vendor 1: nothing
    EXPECT_FALSE(panel.IsEnlarged());
    app_.vendor = 0;
    app_.listed = false;
    panel.ToggleFullScreen(); // nothing listed: nothing
    EXPECT_FALSE(panel.IsEnlarged());
    app_.listed = true;

    panel.ToggleEnlarged();
    EXPECT_TRUE(panel.IsEnlarged());
    EXPECT_EQ(panel.geometry(), QRect(0, 0, 1024, 768));
    EXPECT_TRUE(main_->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(backPanel_.Called("no surroundings"));
    // The vendor's simpler rule re-lays the panes when the panel moves, until the next layout.
    EXPECT_EQ(panel.Pane(1).geometry(), QRect(512, 0, 510, 382));
    panel.SetLayout(PaneLayout::Quad, 0);
    EXPECT_EQ(panel.Pane(1).geometry(), QRect(513, 2, 509, 381));
    panel.ToggleFullScreen(); // leaves the enlarged state instead
    EXPECT_FALSE(panel.IsEnlarged());
    EXPECT_EQ(panel.geometry(), QRect(7, 40, 804, 604));
    EXPECT_FALSE(main_->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(backPanel_.Called("surroundings"));

    const QRect mainBefore = main_->geometry();
    panel.ToggleFullScreen();
    EXPECT_TRUE(panel.IsFullScreen());
    EXPECT_EQ(main_->geometry(), QRect(0, 0, 1280, 1024));
    EXPECT_EQ(panel.geometry(), QRect(0, 0, 1280, 1024));
    WaitFor([&] { return main_->mask() == QRegion(0, 0, 1280, 1024); }, 1000);
    EXPECT_EQ(main_->mask(), QRegion(0, 0, 1280, 1024));
    panel.ToggleEnlarged(); // leaves full screen instead
    EXPECT_FALSE(panel.IsEnlarged());
    EXPECT_EQ(main_->geometry(), mainBefore);
    EXPECT_EQ(panel.geometry(), QRect(7, 40, 804, 604));
    EXPECT_FALSE(main_->mask().contains(QPoint(0, 0))); // rounded corners again
}

TEST_F(PanePanelTest, SkinImagesForNoPictureAndHiddenPicture) {
    CSkin skin;
    ASSERT_TRUE(skin.Load(BuildFolder() / "run" / "trevix.dsc", nullptr));
    CWndPanePanel& panel = Make(PaneDisplayPath::Painter, 1, &skin);
    ASSERT_FALSE(panel.NoPictureImage().isNull());
    ASSERT_FALSE(panel.HiddenPictureImage().isNull());
    CPaneVideo& pane = panel.Pane(1);
    const QRect client = pane.ClientRect();
    auto expected = [&](const QImage& image) {
        QImage scaled(client.size(), QImage::Format_RGB32);
        QPainter painter(&scaled);
        painter.drawImage(scaled.rect(), image);
        return scaled;
    };
    // No picture: the no-picture image over the whole client area, without texts.
    EXPECT_EQ(pane.grab().toImage().copy(client).convertToFormat(QImage::Format_RGB32),
              expected(panel.NoPictureImage()));
    // A hidden picture: the hidden-picture image, without texts outside debug mode.
    Give(1, Qt::green, 0, kFlagHiddenPicture);
    EXPECT_EQ(pane.grab().toImage().copy(client).convertToFormat(QImage::Format_RGB32),
              expected(panel.HiddenPictureImage()));
}

TEST_F(PanePanelTest, MonitorsComeFromTheScreens) {
    const CMonitorInfo monitors;
    ASSERT_GE(monitors.Count(), 1);
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(monitors.GetMonitorRect(0), QGuiApplication::screens().front()->geometry());
    EXPECT_GE(monitors.GetMaxWidth(), primary.width());
    EXPECT_EQ(
        monitors.MonitorFromPoint(primary.center().x(), primary.center().y()),
        static_cast<int>(QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen())));
}

// ---- screen checks ---------------------------------------------------------------------------

const QColor kChannelColours[4] = {{40, 90, 200}, {40, 170, 60}, {190, 50, 50}, {150, 60, 170}};
const QColor kTextColour(200, 200, 200);

bool Near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

int CountColour(const QImage& image, const QRect& area, const QColor& colour, int tolerance) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += Near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
    return count;
}

class PanePanelScreenTest : public PanePanelTest,
                            public ::testing::WithParamInterface<PaneDisplayPath> {
protected:
    // The panel with one uniform picture per camera, read back from the screen (from the
    // widgets where the platform has no screen to read); prepare runs on the new panel first.
    QImage ShowQuad(const std::function<void(CWndPanePanel&)>& prepare = {}) {
        CWndPanePanel& panel = Make(GetParam());
        if (prepare)
            prepare(panel);
        for (int channel = 0; channel < 4; ++channel)
            Give(channel, kChannelColours[channel], 5678);
        const QRect area = panel.geometry();
        if (QGuiApplication::platformName() == "offscreen")
            return panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The X server shows the pictures a little later, and window tests of other processes
        // may share the display: the window is raised until every pane's colour is on screen.
        QImage shot;
        WaitFor(
            [&] {
                main_->raise();
                // What the screen shows there, whichever window the main window now is.
                const QPoint at =
                    panel.mapToGlobal(QPoint(0, 0)) - main_->screen()->geometry().topLeft();
                shot = main_->screen()
                           ->grabWindow(0, at.x(), at.y(), area.width(), area.height())
                           .toImage()
                           .convertToFormat(QImage::Format_RGB32);
                for (int channel = 0; channel < 4; ++channel) {
                    const QPoint centre = panel.Pane(channel).geometry().center();
                    if (!shot.rect().contains(centre) ||
                        !Near(shot.pixelColor(centre), kChannelColours[channel], 6))
                        return false;
                }
                return true;
            },
            5000);
        return shot;
    }
};

TEST_P(PanePanelScreenTest, QuadPicturesWhereTheLayoutPutsThemWithTheirTexts) {
    if (GetParam() == PaneDisplayPath::Automatic && !OpenGlPanesAvailable())
        GTEST_SKIP() << "no OpenGL context with textures on this display";
    const QImage shot = ShowQuad();
    EXPECT_EQ(panel_->IsAccelerated(), GetParam() == PaneDisplayPath::Automatic);
    const fs::path folder = BuildFolder() / "screens";
    fs::create_directories(folder);
    const char* name =
        GetParam() == PaneDisplayPath::Automatic ? "pane_panel_quad_gl.png" : "pane_panel_quad.png";
    shot.save(QString::fromStdString((folder / name).string()));

    for (int channel = 0; channel < 4; ++channel) {
        const QRect pane = PaneRect(PaneLayout::Quad, channel, 0, QSize(804, 604));
        // The picture fills the pane's client area inside its 1-pixel black frame.
        const QRect inner = pane.adjusted(60, 40, -60, -40);
        EXPECT_GT(CountColour(shot, inner, kChannelColours[channel], 6),
                  inner.width() * inner.height() * 9 / 10)
            << "channel " << channel;
        EXPECT_EQ(shot.pixelColor(pane.left(), pane.center().y()), QColor(Qt::black)) << channel;
        EXPECT_TRUE(
            Near(shot.pixelColor(pane.left() + 3, pane.center().y()), kChannelColours[channel], 6))
            << channel;
        // Light grey text with its black outline: the camera name top left, the phase label
        // top right, the G values, time stamp and counter along the bottom.
        const QRect cameraName(pane.left() + 1, pane.top() + 1, 70, 25);
        const QRect phase(pane.right() - 60, pane.top() + 1, 60, 25);
        const QRect bottom(pane.left() + 1, pane.bottom() - 50, pane.width() - 2, 50);
        for (const QRect& area : {cameraName, phase, bottom}) {
            EXPECT_GT(CountColour(shot, area, kTextColour, 30), 15) << channel;
            EXPECT_GT(CountColour(shot, area, Qt::black, 20), 15) << channel;
        }
        EXPECT_EQ(CountColour(shot, inner, kTextColour, 30), 0) << channel;
    }
    // Gaps between the panes show the panel's colour.
    EXPECT_TRUE(Near(shot.pixelColor(402, 150), QColor(20, 23, 28), 2));
    EXPECT_TRUE(Near(shot.pixelColor(0, 0), QColor(20, 23, 28), 2));
}

TEST_P(PanePanelScreenTest, PicturesShowAgainAfterEnlargedAndFullScreen) {
    if (GetParam() == PaneDisplayPath::Automatic && !OpenGlPanesAvailable())
        GTEST_SKIP() << "no OpenGL context with textures on this display";
    // Both states change the main window's flags and the panel's place; the panes' own
    // windows must show their pictures after that.
    const QImage shot = ShowQuad([&](CWndPanePanel& panel) {
        app_.vendor = 0;
        app_.listed = true;
        panel.ToggleEnlarged();
        panel.ToggleEnlarged();
        panel.ToggleFullScreen();
        panel.ToggleFullScreen();
        ASSERT_FALSE(panel.IsEnlarged());
    });
    // Where the panes are now: the re-layout on the panel's move puts pane 2 left of pane 3.
    for (int channel = 0; channel < 4; ++channel) {
        const QPoint centre = panel_->Pane(channel).geometry().center();
        EXPECT_TRUE(Near(shot.pixelColor(centre), kChannelColours[channel], 6)) << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(DisplayPaths, PanePanelScreenTest,
                         ::testing::Values(PaneDisplayPath::Painter, PaneDisplayPath::Automatic),
                         [](const auto& param) {
                             return param.param == PaneDisplayPath::Painter ? "Painter" : "OpenGl";
                         });

} // namespace
} // namespace trevix
