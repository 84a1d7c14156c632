// The viewer program: the application object's start-up, the event loop, its exit.
#include "app/ui/TrevixApp.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(trevix::kAppName);
    QApplication::setApplicationVersion(TREVIX_VERSION);

    trevix::AppStartOptions options;
    // Installed files lie in the working directory, else in the share folder beside the
    // program's installation prefix.
    const QDir programFolder(QApplication::applicationDirPath());
    options.shareDirectory =
        QDir::cleanPath(programFolder.filePath("../" TREVIX_SHARE_SUFFIX)).toStdString();
    options.arguments = QApplication::arguments().mid(1);

    trevix::CTrevixApp app(std::move(options));
    if (!app.InitInstance())
        return app.ExitInstance();
    QApplication::exec();
    return app.ExitInstance();
}
