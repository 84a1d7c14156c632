// The viewer as it starts: the application object brings up a main frame holding the real main
// panel, from a start directory with the generated skin. The folder browser, the desktop, the
// mount table and the system volume are stand-ins, and message boxes are caught.
#pragma once

#include "app/ViewerConfig.h"
#include "app/ui/MainBackPanel.h"
#include "app/ui/TrevixApp.h"
#include "tests/ui/MainFrameFakes.h"
#include "tests/ui/MainPanelFakes.h"
#include "tests/ui/WndSearchTestSupport.h"

#include <QKeySequence>
#include <QShortcut>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace trevix::test {

// A caught message box: caption and text.
using ShownMessage = std::pair<std::string, std::string>;

class MainPanelInFrameTest : public ::testing::Test {
protected:
    void SetUp() override { Start(0); }
    void TearDown() override { app_.reset(); }

    // Starts the viewer with the given Vender; a running one is ended first. The panes draw on
    // the plain path unless openGlPanes (a window's grab shows no OpenGL surface); the per-user
    // settings seeded by a first start keep that start's choice.
    void Start(int vendor, bool openGlPanes = false) {
        app_.reset();
        panel_ = nullptr;
        const std::filesystem::path start = temp_.Path() / "start";
        std::filesystem::create_directories(start);
        for (const char* name : {"trevix.dsc", "trevix.chk"}) {
            const std::filesystem::path to = start / name;
            if (!std::filesystem::exists(to))
                std::filesystem::copy_file(SkinDescription().parent_path() / name, to);
        }
        std::ofstream(start / "vedoredu.ini")
            << "[GUI]\r\nVender=" << vendor << "\r\n[SYSTEM]\r\nForceGDI=" << (openGlPanes ? 0 : 1)
            << "\r\n";
        config_ = std::make_unique<ViewerConfig>(
            UserFolders{start, temp_.Path() / "appdata", temp_.Path(), temp_.Path()},
            [] { return 1; });

        AppStartOptions options;
        options.workingDirectory = start;
        options.messages = &parts_.messages;
        options.lockPath = QString::fromStdString((temp_.Path() / "DR_BRESKA").string());
        options.adjustFrame = [this](MainFrameSetup& setup) {
            MainFrameSetup fake = parts_.Setup(setup.vendor);
            if (systemVolume_)
                fake.openVolume = nullptr; // the sound server's default sink
            fake.makePanel = [this](CMainFrame& frame) -> std::unique_ptr<IMainPanel> {
                PanelServices services{&parts_.messages, &browser_, &urls_, nullptr};
                auto made =
                    std::make_unique<CMainBackPanel>(MakeFramePanelHost(frame), services, &frame);
                panel_ = made.get();
                return made;
            };
            setup = std::move(fake);
        };
        app_ = std::make_unique<CTrevixApp>(std::move(options), config_.get());
        ASSERT_TRUE(app_->InitInstance());
        frame_ = app_->MainFrame();
        ASSERT_NE(frame_, nullptr);
        ASSERT_NE(panel_, nullptr);
    }

    // Opens the card through the folder browser, as the Open key does.
    void OpenCard(const TempDir& card) {
        browser_.answer = QString::fromStdString(card.Str());
        frame_->RunAccelerator(cmd::kKeyOpen);
    }

    // Runs the frame's shortcut for keys as pressing them does; false when no key has it.
    bool PressKeys(const QKeySequence& keys) {
        for (QShortcut* shortcut : frame_->findChildren<QShortcut*>()) {
            if (shortcut->key() == keys) {
                emit shortcut->activated();
                return true;
            }
        }
        return false;
    }

    CWndSearch& Window() const { return *panel_->SearchWindow(); }
    const std::vector<ShownMessage>& Messages() const { return parts_.messages.shown; }

    // The frame opens the system volume instead of the stand-in (set before Start).
    bool systemVolume_ = false;
    TempDir temp_;
    std::unique_ptr<ViewerConfig> config_;
    FakeFrameParts parts_;
    FakeFolderBrowser browser_;
    CaughtUrls urls_;
    std::unique_ptr<CTrevixApp> app_;
    CMainFrame* frame_ = nullptr;
    CMainBackPanel* panel_ = nullptr;
};

} // namespace trevix::test
