#include "editor/ui/format_list.h"

#include <QPainter>
#include <QStyledItemDelegate>

#include "model/thumbnails.h"
#include "platform/screen.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kThumbRole = Qt::UserRole + 1;
constexpr int kSizeRole = Qt::UserRole + 2;
constexpr int kColourRole = Qt::UserRole + 3;
constexpr int kStrPngShort = 55341;   // "PNG"
constexpr int kStrAlphaShort = 61726; // "32 bits"

QColor FromColorRef(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Thumbnail at (7, 1), then a 62x22 band with two centred lines of small text.
class FormatItemDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return {CFormatListBox::kItemWidth, CFormatListBox::kItemHeight};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        p->save();
        // The thumbnail is drawn on the window colour; the cell matches it.
        const QColor window = FromColorRef(SysColors().window);
        p->fillRect(r, window);
        const QImage thumb = index.data(kThumbRole).value<QImage>();
        p->drawImage(r.left() + 7, r.top() + 1, thumb);
        // A frame just outside the thumbnail, so that a blank (transparent)
        // format still shows where it is.
        p->setPen(selected ? FromColorRef(SysColors().highlight) : QColor(0x80, 0x80, 0x80));
        p->setBrush(Qt::NoBrush);
        p->drawRect(r.left() + 6, r.top(), 49, 49);
        const QRect band(r.left(), r.top() + 50, CFormatListBox::kItemWidth, 22);
        p->fillRect(band, selected ? FromColorRef(SysColors().highlight) : window);
        p->setPen(selected ? FromColorRef(SysColors().highlightText) : FromColorRef(SysColors().windowText));
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(7);
        p->setFont(font);
        const QRect first(band.left(), band.top(), band.width(), 11);
        p->drawText(first, Qt::AlignHCenter | Qt::AlignTop, index.data(kSizeRole).toString());
        p->drawText(first.translated(0, 10), Qt::AlignHCenter | Qt::AlignTop, index.data(kColourRole).toString());
        if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(FromColorRef(SysColors().windowText), 1, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }
        p->restore();
    }
};

} // namespace

void SetUpIconGrid(QListWidget& list, QSize cell)
{
    list.setViewMode(QListView::IconMode);
    list.setFlow(QListView::LeftToRight);
    list.setWrapping(true);
    list.setResizeMode(QListView::Adjust);
    list.setMovement(QListView::Static);
    list.setUniformItemSizes(true);
    list.setGridSize(cell);
    list.setSpacing(0);
    list.setSelectionMode(QAbstractItemView::SingleSelection);
}

CFormatListBox::CFormatListBox(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("formatList"));
    setItemDelegate(new FormatItemDelegate(this));
    SetUpIconGrid(*this, QSize(kItemWidth, kItemHeight));
}

QImage CFormatListBox::Thumbnail(const CIcon& icon)
{
    Bitmap target = Bitmap::Color(48, 48);
    DC dc(target);
    DrawIcon48(icon, dc, 0, 0, false, false);
    const QImage view(reinterpret_cast<const uchar*>(target.colorBits()), 48, 48, 48 * 4, QImage::Format_RGB32);
    return view.copy();
}

void CFormatListBox::SetFormats(const std::vector<CIcon>& formats)
{
    clear();
    for (const CIcon& icon : formats) {
        auto* item = new QListWidgetItem(this);
        item->setData(kThumbRole, Thumbnail(icon));
        item->setData(kSizeRole, QStringLiteral("%1x%2").arg(icon.width).arg(icon.height));
        // The cell is narrow: 32-bit images say "32 bits" or "PNG" there and
        // their full name in the tooltip.
        const std::string depth = icon.bitCount() != 32 ? ColorName(icon.bitCount())
                                  : icon.isPng()        ? LoadString(kStrPngShort)
                                                        : LoadString(kStrAlphaShort);
        item->setData(kColourRole, QString::fromStdString(depth));
        item->setSizeHint(QSize(kItemWidth, kItemHeight));
        item->setToolTip(
            QString::fromStdString(FormatString(55084, icon.width, icon.height, FormatDepthName(icon.bitCount()))));
    }
}

} // namespace kavrel
