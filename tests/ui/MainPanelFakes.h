// Stand-ins for the desktop services of the main panel: the folder browser and the opener of
// files and web addresses.
#pragma once

#include "app/ui/MainBackPanel.h"

#include <optional>
#include <string>
#include <vector>

namespace trevix::test {

// Answers the folder browser with a set folder (nullopt: the user cancels) and keeps each
// request's title and start folder.
class FakeFolderBrowser final : public IFolderBrowser {
public:
    std::optional<QString> ChooseFolder(QWidget*, const QString& title,
                                        const QString& startFolder) override {
        titles.push_back(title.toStdString());
        starts.push_back(startFolder.toStdString());
        return answer;
    }
    std::optional<QString> answer;
    std::vector<std::string> titles, starts;
};

// Keeps every address it is asked to open and reports it opened.
class CaughtUrls final : public IUrlOpener {
public:
    bool Open(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }
    std::vector<QUrl> opened;
};

} // namespace trevix::test
