#include "control/ui/ZVListBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace trevix {
namespace {

constexpr int kRecordRole = Qt::UserRole + 1; // bool: the item has a record
constexpr int kUserValueRole = Qt::UserRole + 2;
constexpr int kSpareValueRole = Qt::UserRole + 3;
constexpr int kIconRole = Qt::UserRole + 4;
constexpr int kTextFlagsRole = Qt::UserRole + 5;
constexpr int kFlagsRole = Qt::UserRole + 6;
constexpr int kHeightRole = Qt::UserRole + 7; // explicit item height, when set

CZVListBox::ItemRecord RecordOf(const QModelIndex& index) {
    CZVListBox::ItemRecord record;
    record.userValue = index.data(kUserValueRole).toInt();
    record.spareValue = index.data(kSpareValueRole).toInt();
    record.iconIndex = index.data(kIconRole).isValid() ? index.data(kIconRole).toInt() : -1;
    record.textFlags = index.data(kTextFlagsRole).toUInt();
    record.flags = index.data(kFlagsRole).toUInt();
    return record;
}

void StoreRecord(QListWidgetItem& item, const CZVListBox::ItemRecord& record) {
    item.setData(kRecordRole, true);
    item.setData(kUserValueRole, record.userValue);
    item.setData(kSpareValueRole, record.spareValue);
    item.setData(kIconRole, record.iconIndex);
    item.setData(kTextFlagsRole, record.textFlags);
    item.setData(kFlagsRole, record.flags);
}

} // namespace

// Draws the items of a CZVListBox and gives their heights.
class ZVListBoxDelegate final : public QStyledItemDelegate {
public:
    explicit ZVListBoxDelegate(CZVListBox& list) : QStyledItemDelegate(&list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem& /*option*/,
                   const QModelIndex& index) const override {
        return QSize(list_.viewport()->width(), list_.ItemHeight(index.row()));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect area = option.rect;
        const CZVListBox::ItemRecord record = RecordOf(index);
        const bool disabled = (record.flags & CZVListBox::kItemDisabled) != 0;
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->fillRect(area, list_.background_);

        QColor textColor = list_.text_;
        if (selected) {
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->setPen(QPen(Qt::black, 1));
            painter->setBrush(list_.selection_);
            painter->drawRoundedRect(
                QRectF(area.adjusted(2, 2, -2, -2)).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
            painter->setRenderHint(QPainter::Antialiasing, false);
            textColor = Qt::white;
        } else if (disabled) {
            textColor = list_.palette().color(QPalette::Disabled, QPalette::Text);
        }

        painter->setFont(list_.font());
        painter->setPen(textColor);
        const QString text = index.data(Qt::DisplayRole).toString();
        const int comma = text.indexOf(QLatin1Char(','));
        constexpr int kFlags = Qt::AlignVCenter | Qt::TextSingleLine;
        if (comma >= 0) {
            const QRect head(area.left(), area.top(), CZVListBox::kCommaColumn, area.height());
            const QRect rest(area.left() + CZVListBox::kCommaColumn, area.top(),
                             area.width() - CZVListBox::kCommaColumn, area.height());
            painter->drawText(head, kFlags | Qt::AlignRight, text.left(comma));
            painter->drawText(rest, kFlags | Qt::AlignLeft, text.mid(comma + 1));
        } else {
            const QRect body(area.left() + CZVListBox::kPlainTextLeft, area.top(),
                             area.width() - CZVListBox::kPlainTextLeft, area.height());
            painter->drawText(body, kFlags | Qt::AlignLeft, text);
        }

        if (list_.HasIcons() && record.iconIndex >= 0) {
            const QRect source(record.iconIndex * list_.iconWidth_, 0, list_.iconWidth_,
                               list_.iconHeight_);
            if (source.right() < list_.icons_.width()) {
                if (disabled)
                    painter->setOpacity(0.4);
                painter->drawImage(QPoint(area.left() + 3, area.top() + 2), list_.icons_, source);
                painter->setOpacity(1.0);
            }
        }

        if (list_.drawFocus_ && (option.state & QStyle::State_HasFocus) != 0) {
            QStyleOptionFocusRect focus;
            focus.rect = area;
            focus.state = option.state;
            focus.backgroundColor = list_.background_;
            list_.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, &list_);
        }
        painter->restore();
    }

private:
    CZVListBox& list_;
};

CZVListBox::CZVListBox(QWidget* parent)
    : QListWidget(parent), background_(palette().color(QPalette::Base)),
      selection_(palette().color(QPalette::Highlight)), text_(palette().color(QPalette::Text)) {
    setItemDelegate(new ZVListBoxDelegate(*this));
    setUniformItemSizes(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setResizeMode(QListView::Adjust);
}

void CZVListBox::SetBackgroundColor(const QColor& color) {
    background_ = color;
    QPalette colours = palette();
    colours.setColor(QPalette::Base, color);
    setPalette(colours);
    viewport()->update();
}

void CZVListBox::SetSelectionColor(const QColor& color) {
    selection_ = color;
    viewport()->update();
}

void CZVListBox::SetTextColor(const QColor& color) {
    text_ = color;
    viewport()->update();
}

void CZVListBox::SetIconList(const QImage& strip, int iconWidth, int iconHeight) {
    if (strip.isNull() || iconWidth <= 0 || iconHeight <= 0) {
        icons_ = QImage();
        iconWidth_ = iconHeight_ = 0;
    } else {
        icons_ = strip;
        iconWidth_ = iconWidth;
        iconHeight_ = iconHeight;
    }
    doItemsLayout();
}

void CZVListBox::SetFocusStyle(bool drawFocus) {
    drawFocus_ = drawFocus;
    viewport()->update();
}

int CZVListBox::AddItem(const QString& text, int iconIndex) {
    auto* item = new QListWidgetItem(text); // owned by the list once added
    ItemRecord record;
    record.iconIndex = iconIndex < 0 ? -1 : iconIndex;
    StoreRecord(*item, record);
    // One character drawn in the list's font is one line high.
    item->setData(kHeightRole, QFontMetrics(font()).height() + kAddedItemExtra);
    addItem(item);
    return count() - 1;
}

void CZVListBox::SetItemUserValue(int row, std::int32_t value) {
    QListWidgetItem* entry = item(row);
    if (entry == nullptr)
        return;
    if (!entry->data(kRecordRole).toBool()) {
        ItemRecord zeroed;
        zeroed.iconIndex = 0;
        StoreRecord(*entry, zeroed);
    }
    entry->setData(kUserValueRole, value);
}

std::optional<CZVListBox::ItemRecord> CZVListBox::Record(int row) const {
    const QListWidgetItem* entry = item(row);
    if (entry == nullptr || !entry->data(kRecordRole).toBool())
        return std::nullopt;
    return RecordOf(indexFromItem(entry));
}

void CZVListBox::SetItemRecord(int row, const ItemRecord& record) {
    QListWidgetItem* entry = item(row);
    if (entry == nullptr)
        return;
    StoreRecord(*entry, record);
}

void CZVListBox::SetItemDisabled(int row, bool disabled) {
    QListWidgetItem* entry = item(row);
    if (entry == nullptr)
        return;
    ItemRecord record = Record(row).value_or(ItemRecord{});
    record.flags = disabled ? (record.flags | kItemDisabled) : (record.flags & ~kItemDisabled);
    StoreRecord(*entry, record);
}

bool CZVListBox::IsItemDisabled(int row) const {
    const auto record = Record(row);
    return record && (record->flags & kItemDisabled) != 0;
}

void CZVListBox::ResetContent() {
    clear();
}

int CZVListBox::MeasuredItemHeight(const QString& text) const {
    const QFontMetrics metrics(font());
    const int available = std::max(1, viewport()->width());
    int height =
        metrics.boundingRect(QRect(0, 0, available, 1 << 20), Qt::TextWordWrap, text).height();
    if (HasIcons())
        height = std::max(height, iconHeight_ + 4);
    return height + 4;
}

int CZVListBox::ItemHeight(int row) const {
    const QListWidgetItem* entry = item(row);
    if (entry == nullptr)
        return 0;
    const QVariant explicitHeight = entry->data(kHeightRole);
    if (explicitHeight.isValid())
        return explicitHeight.toInt();
    return MeasuredItemHeight(entry->text());
}

} // namespace trevix
