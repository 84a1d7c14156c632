#include "app/ui/Skin.h"

#include "app/Lang.h"
#include "app/TraceLog.h"
#include "app/ui/SkinnedControl.h"

#include <QMessageBox>
#include <QWidget>

namespace trevix {
namespace {

class MessageBoxSkinMessages final : public SkinMessages {
public:
    void ShowMissingItem(int item, const QString& caption, const QString& text) override {
        TRACE("Skin item %d missing", item);
        QMessageBox::warning(nullptr, caption, text);
    }
};

MessageBoxSkinMessages& MessageBoxReporter() {
    static MessageBoxSkinMessages reporter;
    return reporter;
}

SkinMessages*& CurrentDefault() {
    static SkinMessages* current = &MessageBoxReporter();
    return current;
}

} // namespace

SkinMessages& DefaultSkinMessages() {
    return *CurrentDefault();
}

ScopedSkinMessages::ScopedSkinMessages(SkinMessages& messages) : previous_(CurrentDefault()) {
    CurrentDefault() = &messages;
}

ScopedSkinMessages::~ScopedSkinMessages() {
    CurrentDefault() = previous_;
}

QString MissingSkinItemText() {
    return QString::fromStdString(Lang("Message", "CheckFile", "Check File")) +
           QStringLiteral(" : .dsc,.chk");
}

QString SkinMessageCaption() {
    return QString::fromLatin1(trace::kAppName);
}

CSkin::CSkin(SkinMessages* messages) : messages_(messages) {}

bool CSkin::Load(const std::filesystem::path& descriptionPath, QWidget* owner) {
    descriptionPath_ = descriptionPath;
    storePath_ = SkinStorePath(descriptionPath);
    owner_ = owner;
    const bool loaded = description_.Load(descriptionPath);
    if (!loaded)
        TRACE("Skin description unreadable: %s", descriptionPath.string().c_str());
    return loaded;
}

const SkinControl_Info* CSkin::Require(int item) const {
    const SkinControl_Info* info = description_.Lookup(item);
    if (info == nullptr) {
        SkinMessages& messages = messages_ != nullptr ? *messages_ : DefaultSkinMessages();
        messages.ShowMissingItem(item, SkinMessageCaption(), MissingSkinItemText());
    }
    return info;
}

bool CSkin::LoadPicture(int item, SkinPicture& target) const {
    target.Clear();
    const SkinControl_Info* info = Require(item);
    if (info == nullptr)
        return false;
    target.rect = info->Rect();
    target.color = QColor(info->Red(), info->Green(), info->Blue());
    target.image = ReadSkinPicture(storePath_, info->pictureOffset);
    if (target.image.isNull())
        TRACE("Skin picture of item %d unreadable", item);
    return !target.image.isNull();
}

QImage CSkin::Picture(int item) const {
    SkinPicture picture;
    LoadPicture(item, picture);
    return picture.image;
}

bool CSkin::PlaceChild(int item, QWidget* child) const {
    if (child == nullptr)
        return false;
    const SkinControl_Info* info = Require(item);
    if (info == nullptr)
        return false;
    if (owner_ != nullptr && child->parentWidget() != owner_)
        child->setParent(owner_);
    child->setGeometry(info->Rect());
    child->setVisible(info->IsVisible());
    return true;
}

bool CSkin::CreateButton(int item, SkinnedControl& control, int controlId) const {
    const SkinControl_Info* info = Require(item);
    if (info == nullptr)
        return false;
    const QImage picture = ReadSkinPicture(storePath_, info->pictureOffset);
    if (picture.isNull())
        TRACE("Skin picture of item %d unreadable", item);
    control.SetSkinPicture(picture);
    control.SetControlId(controlId);
    QWidget* widget = control.Widget();
    if (owner_ != nullptr && widget->parentWidget() != owner_)
        widget->setParent(owner_);
    widget->setGeometry(info->Rect());
    widget->setVisible(info->IsVisible());
    return true;
}

bool CSkin::GetRect(int item, QRect& rect) const {
    const SkinControl_Info* info = description_.Lookup(item);
    if (info == nullptr)
        return false;
    rect = info->Rect();
    return true;
}

} // namespace trevix
