// The skin of one owner window: its description table, and the operations that build the
// owner's background, child windows and buttons from the items.
#pragma once

#include "app/SkinFile.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include <filesystem>
#include <functional>

class QWidget;

namespace trevix {

class SkinnedControl;

// How a missing skin item is reported. The viewer shows a message box without owner; tests
// install a catcher instead.
class SkinMessages {
public:
    virtual ~SkinMessages() = default;
    virtual void ShowMissingItem(int item, const QString& caption, const QString& text) = 0;
};

// The reporter every skin uses unless it was given its own: a modal message box by default.
SkinMessages& DefaultSkinMessages();
// Replaces the default reporter while the object lives (for tests of windows that build
// their own skins).
class ScopedSkinMessages {
public:
    explicit ScopedSkinMessages(SkinMessages& messages);
    ~ScopedSkinMessages();
    ScopedSkinMessages(const ScopedSkinMessages&) = delete;
    ScopedSkinMessages& operator=(const ScopedSkinMessages&) = delete;

private:
    SkinMessages* previous_;
};

// The message of a missing item: "Check File : .dsc,.chk" with the language's words.
QString MissingSkinItemText();
// The caption of skin messages: the application name.
QString SkinMessageCaption();

// A picture of the skin with the rectangle and colour of its item.
struct SkinPicture {
    QImage image;
    QRect rect;
    QColor color;

    void Clear() { *this = SkinPicture{}; }
    bool IsNull() const { return image.isNull(); }
};

class CSkin {
public:
    // messages: where missing items are reported; nullptr takes the default reporter.
    explicit CSkin(SkinMessages* messages = nullptr);

    // Reads the description file (the store is its path with ".dsc" replaced by ".chk") and
    // remembers the owner whose children the skin places. False when the file cannot be read;
    // the table is then empty and every item is missing.
    bool Load(const std::filesystem::path& descriptionPath, QWidget* owner);

    const SkinControl_Info* Lookup(int item) const { return description_.Lookup(item); }
    std::size_t ItemCount() const { return description_.Size(); }
    const std::filesystem::path& DescriptionPath() const { return descriptionPath_; }
    const std::filesystem::path& StorePath() const { return storePath_; }
    QWidget* Owner() const { return owner_; }

    // The item's picture (read from the store now), rectangle and colour. A missing item is
    // reported and clears target. False when the item is missing or its picture unreadable.
    bool LoadPicture(int item, SkinPicture& target) const;
    // The item's picture alone; null when the item is missing (reported) or unreadable.
    QImage Picture(int item) const;

    // Makes child a child of the owner at the item's rectangle, visible when the item says so.
    // A missing item is reported and the child is left alone (not parented, not shown).
    bool PlaceChild(int item, QWidget* child) const;

    // Gives the control the item's picture and control id and places it like PlaceChild.
    bool CreateButton(int item, SkinnedControl& control, int controlId) const;

    // The item's rectangle; rect stays unchanged (and nothing is reported) when it is missing.
    bool GetRect(int item, QRect& rect) const;

private:
    const SkinControl_Info* Require(int item) const;

    SkinMessages* messages_;
    SkinDescription description_;
    std::filesystem::path descriptionPath_;
    std::filesystem::path storePath_;
    QWidget* owner_ = nullptr;
};

} // namespace trevix
