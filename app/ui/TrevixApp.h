// The application object: brings the viewer up (lock file, start directory, skin check,
// configuration and language, shared fonts, main frame), holds what every window shares (the
// loaded kind, the debug flag, the start directory) and releases it all in ExitInstance.
#pragma once

#include "app/ViewerConfig.h"

#include <QLockFile>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace trevix {

class CMainFrame;
struct MainFrameSetup;

// Message boxes of the viewer, behind an interface so that tests can catch them.
class IUserMessages {
public:
    virtual ~IUserMessages() = default;
    // A message box with an OK button; owner may be null.
    virtual void ShowMessage(QWidget* owner, const QString& caption, const QString& text) = 0;
};

// Real message boxes (QMessageBox).
class CMessageBoxes final : public IUserMessages {
public:
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text) override;
};

// The about command's identifier.
inline constexpr int kCmdAppAbout = 57664;
// The application name (the caption of every message box).
inline constexpr const char* kAppName = "Trevix";
// The lock held for the life of the process.
inline constexpr const char* kInstanceLockName = "DR_BRESKA";

// The lock file's path: the user's runtime folder, else the temporary folder.
QString InstanceLockPath();

// Where the installed files are taken from: the working directory when it holds the skin
// description, else the share folder when that does, else the working directory.
std::filesystem::path ChooseStartDirectory(const std::filesystem::path& workingDirectory,
                                           const std::filesystem::path& shareDirectory);

// How the application is started.
struct AppStartOptions {
    // The working directory; the process's when empty.
    std::filesystem::path workingDirectory;
    // The installed share folder (looked up after the working directory); may be empty.
    std::filesystem::path shareDirectory;
    // The program's arguments after its name.
    QStringList arguments;
    // Where message boxes go; real message boxes when null.
    IUserMessages* messages = nullptr;
    // Replaces parts of the main frame (tests); its messages default to the application's.
    std::function<void(MainFrameSetup&)> adjustFrame;
    // The lock file path; InstanceLockPath() when empty.
    QString lockPath;
};

class CTrevixApp {
public:
    explicit CTrevixApp(AppStartOptions options = {}, ViewerConfig* config = nullptr);
    ~CTrevixApp();
    CTrevixApp(const CTrevixApp&) = delete;
    CTrevixApp& operator=(const CTrevixApp&) = delete;

    // Start-up; false ends the process before the event loop (no window is left).
    bool InitInstance();
    // Destroys the main frame, the fonts and the lock; the process's exit code.
    int ExitInstance();

    // The about box, modal.
    void OnAppAbout();
    // 32, or the colour depth of the main window's screen.
    int QueryColourDepth();

    const std::filesystem::path& StartDirectory() const { return startDirectory_; }
    int ColourDepth() const { return colourDepth_; }
    int LoadedKind() const { return loadedKind_; }
    void SetLoadedKind(int kind) { loadedKind_ = kind; }
    bool DebugFlag() const { return debug_; }
    // Whether start-up made the shared fonts (UiFonts) from the desktop's font.
    bool HasUiFonts() const { return fontsMade_; }
    ViewerConfig& Config() { return config_; }
    IUserMessages& Messages() { return *messages_; }
    CMainFrame* MainFrame() { return frame_.get(); }
    // Whether this process holds the instance lock.
    bool HoldsInstanceLock() const { return lock_ && lock_->isLocked(); }

private:
    bool CheckSkinFiles();

    AppStartOptions options_;
    ViewerConfig& config_;
    CMessageBoxes messageBoxes_;
    IUserMessages* messages_ = nullptr;
    std::filesystem::path startDirectory_;
    int colourDepth_ = 32;
    int loadedKind_ = 0;
    bool debug_ = false;
    bool fontsMade_ = false;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<CMainFrame> frame_;
};

// The process's application object, set by InitInstance; null before and after its life.
CTrevixApp* TheApp();

} // namespace trevix
