#include "app/ui/TrevixApp.h"

#include "app/CommandLine.h"
#include "app/Lang.h"
#include "app/MgrMultiLang.h"
#include "app/TraceLog.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/MainBackPanel.h"
#include "app/ui/MainFrm.h"
#include "app/ui/UiFonts.h"

#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>

#include <fstream>
#include <system_error>
#include <vector>

namespace trevix {

namespace {

CTrevixApp* g_app = nullptr;

constexpr const char* kSkinDescription = "trevix.dsc";
constexpr const char* kSkinPictures = "trevix.chk";

bool CanOpenForReading(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

std::filesystem::path CurrentDirectory() {
    std::error_code error;
    auto directory = std::filesystem::current_path(error);
    return error ? std::filesystem::path() : directory;
}

} // namespace

void CMessageBoxes::ShowMessage(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox::information(owner, caption, text, QMessageBox::Ok);
}

QString InstanceLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::tempPath();
    return QDir(folder).filePath(kInstanceLockName);
}

std::filesystem::path ChooseStartDirectory(const std::filesystem::path& workingDirectory,
                                           const std::filesystem::path& shareDirectory) {
    if (CanOpenForReading(workingDirectory / kSkinDescription) || shareDirectory.empty())
        return workingDirectory;
    if (CanOpenForReading(shareDirectory / kSkinDescription))
        return shareDirectory;
    return workingDirectory;
}

CTrevixApp* TheApp() {
    return g_app;
}

CTrevixApp::CTrevixApp(AppStartOptions options, ViewerConfig* config)
    : options_(std::move(options)), config_(config != nullptr ? *config : AppConfig()),
      messages_(options_.messages != nullptr ? options_.messages : &messageBoxes_) {}

CTrevixApp::~CTrevixApp() {
    ExitInstance();
    if (g_app == this)
        g_app = nullptr;
}

bool CTrevixApp::InitInstance() {
    // Common controls, sockets, OLE, control hosting and the picture library need no start-up
    // here; the start-up begins with the instance lock.
    const QString lockPath = options_.lockPath.isEmpty() ? InstanceLockPath() : options_.lockPath;
    lock_ = std::make_unique<QLockFile>(lockPath);
    lock_->setStaleLockTime(0); // a lock left by a crashed viewer is taken over
    if (!lock_->tryLock(0))
        TRACE("%s is held by another viewer", kInstanceLockName);

    g_app = this;

    const auto working =
        options_.workingDirectory.empty() ? CurrentDirectory() : options_.workingDirectory;
    startDirectory_ = ChooseStartDirectory(working, options_.shareDirectory);

    if (!CheckSkinFiles())
        return false;

    config_.ReadAll();
    LanguageManager().Discover(startDirectory_, config_);

    const QFont desktopFont = QGuiApplication::font();
    TRACE("%s", desktopFont.family().toUtf8().constData());
    UiFonts::Set(UiFonts::Make(desktopFont.family()));
    fontsMade_ = true;

    MainFrameSetup setup;
    setup.makePanel = MakeMainBackPanel;
    setup.messages = messages_;
    setup.vendor = config_.Vender();
    if (options_.adjustFrame)
        options_.adjustFrame(setup);
    frame_ = std::make_unique<CMainFrame>(std::move(setup));
    SetTheMainFrame(frame_.get());
    if (!frame_->Create()) {
        SetTheMainFrame(nullptr);
        frame_.reset();
        return false;
    }
    frame_->show();
    frame_->repaint();

    std::vector<std::string> arguments;
    for (const QString& argument : options_.arguments)
        arguments.push_back(argument.toStdString());
    debug_ = HasDebugOption(JoinCommandLine(arguments));
    return true;
}

bool CTrevixApp::CheckSkinFiles() {
    for (const char* name : {kSkinDescription, kSkinPictures}) {
        if (CanOpenForReading(startDirectory_ / name))
            continue;
        const std::string text = Lang("GUI", "CheckFile", "Check File") + " : " + name;
        messages_->ShowMessage(nullptr, kAppName, QString::fromStdString(text));
        return false;
    }
    return true;
}

int CTrevixApp::ExitInstance() {
    if (frame_) {
        if (TheMainFrame() == frame_.get())
            SetTheMainFrame(nullptr);
        frame_.reset();
    }
    fontsMade_ = false;
    lock_.reset(); // unlocks and removes the lock file
    return 0;
}

void CTrevixApp::OnAppAbout() {
    CAboutDlg dialog(CAboutDlg::CurrentTexts(), frame_.get());
    dialog.exec();
}

int CTrevixApp::QueryColourDepth() {
    colourDepth_ = 32;
    if (frame_ != nullptr) {
        if (const QScreen* screen = frame_->screen())
            colourDepth_ = screen->depth();
    }
    return colourDepth_;
}

} // namespace trevix
