#include "app/ui/AboutDlg.h"

#include "app/ViewerConfig.h"
#include "app/ui/MainFrm.h"
#include "app/ui/TrevixApp.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace trevix {

namespace {

QLabel* AddLine(QVBoxLayout& layout, int id, const std::string& text) {
    auto label = std::make_unique<QLabel>(QString::fromStdString(text));
    label->setObjectName(QString::number(id));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout.addWidget(label.get());
    return label.release(); // owned by the dialog through its layout
}

} // namespace

CAboutDlg::CAboutDlg(const AboutTexts& texts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(texts.title));
    setModal(true);
    auto layout = std::make_unique<QVBoxLayout>();
    layout->setContentsMargins(20, 16, 20, 12);
    layout->setSpacing(8);
    model_ = AddLine(*layout, kModelLineId, texts.modelLine);
    recorder_ = AddLine(*layout, kRecorderVersionId, texts.recorderLine);
    viewer_ = AddLine(*layout, kViewerVersionId, texts.viewerLine);
    vendor_ = AddLine(*layout, kVendorLineId, texts.vendorLine);
    auto buttons = std::make_unique<QHBoxLayout>();
    buttons->addStretch();
    auto ok = std::make_unique<QPushButton>(QString::fromStdString(texts.ok));
    ok->setObjectName("1");
    ok->setDefault(true);
    connect(ok.get(), &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok.get());
    ok_ = ok.release();                   // owned by the dialog through its layout
    layout->addLayout(buttons.release()); // owned by the outer layout
    setLayout(layout.release());          // owned by the dialog
    setMinimumWidth(360);
}

QString CAboutDlg::ModelLine() const {
    return model_->text();
}
QString CAboutDlg::RecorderVersionLine() const {
    return recorder_->text();
}
QString CAboutDlg::ViewerVersionLine() const {
    return viewer_->text();
}
QString CAboutDlg::VendorLine() const {
    return vendor_->text();
}
QString CAboutDlg::OkCaption() const {
    return ok_->text();
}

AboutTexts CAboutDlg::CurrentTexts() {
    AboutInputs inputs;
    inputs.appName = kAppName;
    ViewerConfig& config = TheApp() != nullptr ? TheApp()->Config() : AppConfig();
    inputs.modelName = config.ModelName();
    inputs.vendor = config.Vender();
    if (CMainFrame* frame = TheMainFrame())
        inputs.recorderVersion = ReadRecorderVersion(frame->Search().RootPath());
    inputs.viewerVersion = ViewerVersionText(QCoreApplication::applicationVersion().toStdString());
    return BuildAboutTexts(inputs);
}

} // namespace trevix
