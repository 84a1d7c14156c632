// The about box: the model, the recorder's firmware version on the chosen card, the viewer's
// version and the vendor notice, with an OK button.
#pragma once

#include "app/AppVersion.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace trevix {

class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    // Control identifiers of the lines, kept as the labels' object names.
    static constexpr int kModelLineId = 1105;
    static constexpr int kRecorderVersionId = 1103;
    static constexpr int kViewerVersionId = 1106;
    static constexpr int kVendorLineId = 1104;

    explicit CAboutDlg(const AboutTexts& texts, QWidget* parent = nullptr);

    QString ModelLine() const;
    QString RecorderVersionLine() const;
    QString ViewerVersionLine() const;
    QString VendorLine() const;
    QString OkCaption() const;

    // The texts of the about box for the running viewer: the catalogue's card root, the
    // configuration's model name and vendor, the application's version.
    static AboutTexts CurrentTexts();

private:
    QLabel* model_ = nullptr;
    QLabel* recorder_ = nullptr;
    QLabel* viewer_ = nullptr;
    QLabel* vendor_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace trevix
