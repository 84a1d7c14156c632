#include "app/ui/AboutDlg.h"

#include "app/ViewerConfig.h"
#include "app/ui/MainFrm.h"
#include "app/ui/TrevixApp.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace trevix {

namespace {

QLabel* AddLine(QVBoxLayout& layout, QWidget& parent, int id, const std::string& text) {
    auto* label = new QLabel(QString::fromStdString(text), &parent); // owned by the dialog
    label->setObjectName(QString::number(id));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout.addWidget(label);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(const AboutTexts& texts, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromStdString(texts.title));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 12);
    layout->setSpacing(8);
    model_ = AddLine(*layout, *this, kModelLineId, texts.modelLine);
    recorder_ = AddLine(*layout, *this, kRecorderVersionId, texts.recorderLine);
    viewer_ = AddLine(*layout, *this, kViewerVersionId, texts.viewerLine);
    vendor_ = AddLine(*layout, *this, kVendorLineId, texts.vendorLine);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(QString::fromStdString(texts.ok), this);
    ok_->setObjectName("1");
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok_);
    layout->addLayout(buttons);
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
