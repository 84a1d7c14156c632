// What the skin needs of a control it creates from an item: a picture and a control id.
#pragma once

#include <QImage>

class QWidget;

namespace trevix {

class SkinnedControl {
public:
    virtual ~SkinnedControl() = default;
    virtual void SetSkinPicture(const QImage& picture) = 0;
    virtual void SetControlId(int controlId) = 0;
    virtual int ControlId() const = 0;
    virtual QWidget* Widget() = 0;
};

} // namespace trevix
