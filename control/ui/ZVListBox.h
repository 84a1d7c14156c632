// Owner-drawn list with variable item heights, as the file-list window uses it: each item
// carries a small record (user value, spare value, icon index, text flags, flags with a
// disabled bit); a text with a comma is drawn in two columns.
#pragma once

#include <QColor>
#include <QImage>
#include <QListWidget>
#include <QString>

#include <cstdint>
#include <optional>

namespace trevix {

class CZVListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kCommaColumn = 80;    // the part after the first comma starts here
    static constexpr int kPlainTextLeft = 50;  // text without a comma starts here
    static constexpr int kAddedItemExtra = 18; // added items: first character height + 18
    static constexpr std::uint32_t kItemDisabled = 0x1;

    // The record each item carries.
    struct ItemRecord {
        std::int32_t userValue = 0;
        std::int32_t spareValue = 0;
        std::int32_t iconIndex = -1;
        std::uint32_t textFlags = 0;
        std::uint32_t flags = 0;
    };

    explicit CZVListBox(QWidget* parent = nullptr);

    void SetBackgroundColor(const QColor& color);
    void SetSelectionColor(const QColor& color);
    void SetTextColor(const QColor& color);
    const QColor& BackgroundColor() const { return background_; }
    const QColor& SelectionColor() const { return selection_; }
    const QColor& TextColor() const { return text_; }

    // Icons: a strip of equal cells of iconWidth x iconHeight; an item's icon index picks the
    // cell. A null strip removes the icons.
    void SetIconList(const QImage& strip, int iconWidth, int iconHeight);
    int IconWidth() const { return iconWidth_; }
    int IconHeight() const { return iconHeight_; }
    bool HasIcons() const { return !icons_.isNull(); }

    // Whether the focused item is outlined with a focus rectangle.
    void SetFocusStyle(bool drawFocus);
    bool FocusStyle() const { return drawFocus_; }

    // Appends text with a fresh record holding iconIndex (-1: none); the item's height is the
    // height of the text's first character in the list's font plus 18. Returns the row.
    int AddItem(const QString& text, int iconIndex = -1);
    // Sets the user value of row, creating a record when it has none.
    void SetItemUserValue(int row, std::int32_t value);
    std::optional<ItemRecord> Record(int row) const;
    void SetItemRecord(int row, const ItemRecord& record);
    void SetItemDisabled(int row, bool disabled);
    bool IsItemDisabled(int row) const;
    // Removes every item with its record.
    void ResetContent();

    // The height of an item measured from its text: the text word-wrapped into the list's
    // width, at least the icon height + 4 with icons, plus 4. Items added with AddItem use
    // their explicit height instead.
    int MeasuredItemHeight(const QString& text) const;
    // The height row is drawn with.
    int ItemHeight(int row) const;

private:
    friend class ZVListBoxDelegate;
    QColor background_;
    QColor selection_;
    QColor text_;
    QImage icons_;
    int iconWidth_ = 0;
    int iconHeight_ = 0;
    bool drawFocus_ = true;
};

} // namespace trevix
