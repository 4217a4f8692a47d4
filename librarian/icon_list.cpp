#include "librarian/icon_list.h"

#include <algorithm>

#include "model/thumbnails.h"
#include "platform/screen.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

constexpr int kThumbnailHeights[3] = {20, 36, 52};
constexpr int kIconSides[3] = {16, 32, 48};
constexpr int kTextBoxHeight = 22;

int ClassIndex(int c)
{
    return std::clamp(c, 0, 2);
}

void FrameRect(DC& dc, const Rect& r, COLORREF color)
{
    const Brush brush = Brush::Solid(color);
    FillRect(dc, {r.left, r.top, r.right, r.top + 1}, brush);
    FillRect(dc, {r.left, r.bottom - 1, r.right, r.bottom}, brush);
    FillRect(dc, {r.left, r.top, r.left + 1, r.bottom}, brush);
    FillRect(dc, {r.right - 1, r.top, r.right, r.bottom}, brush);
}

} // namespace

ItemSize CIconList::ItemSizeFor(int sizeClass, bool info)
{
    static constexpr ItemSize kPlain[3] = {{26, 22}, {42, 38}, {54, 54}};
    static constexpr ItemSize kInfo[3] = {{70, 44}, {70, 60}, {70, 76}};
    const int c = ClassIndex(sizeClass);
    return info ? kInfo[c] : kPlain[c];
}

void CIconList::SetItems(std::vector<CIconGroup> items)
{
    SetItems(std::move(items), nullptr);
}

void CIconList::SetItems(std::vector<CIconGroup> items, ImageFiller readImages)
{
    items_ = std::move(items);
    selected_.assign(items_.size(), 0);
    readImages_ = std::move(readImages);
    pending_.assign(readImages_ ? items_.size() : 0, 1);
    dropTarget = -1;
    ResetDisplayFormats();
}

void CIconList::Fill(std::size_t i) const
{
    if (i < pending_.size() && pending_[i]) {
        pending_[i] = 0;
        readImages_(items_[i]);
    }
}

bool CIconList::IsPending(int i) const
{
    return i >= 0 && static_cast<std::size_t>(i) < pending_.size() && pending_[static_cast<std::size_t>(i)];
}

CIconGroup& CIconList::Item(int i)
{
    Fill(static_cast<std::size_t>(i));
    return items_[static_cast<std::size_t>(i)];
}

const CIconGroup& CIconList::Item(int i) const
{
    Fill(static_cast<std::size_t>(i));
    return items_[static_cast<std::size_t>(i)];
}

const std::vector<CIconGroup>& CIconList::Items() const
{
    for (std::size_t i = 0; i < pending_.size(); ++i)
        Fill(i);
    return items_;
}

std::vector<CIconGroup> CIconList::TakeItems()
{
    Items();
    std::vector<CIconGroup> out = std::move(items_);
    items_.clear();
    pending_.clear();
    selected_.clear();
    dropTarget = -1;
    return out;
}

int CIconList::Insert(int index, std::vector<CIconGroup> icons)
{
    index = std::clamp(index, 0, Count());
    DeselectAll();
    const auto n = icons.size();
    for (auto& g : icons)
        g.FreeThumbnails();
    items_.insert(items_.begin() + index, std::make_move_iterator(icons.begin()), std::make_move_iterator(icons.end()));
    selected_.insert(selected_.begin() + index, n, 1);
    if (!pending_.empty())
        pending_.insert(pending_.begin() + index, n, 0);
    return index;
}

int CIconList::Append(std::vector<CIconGroup> icons, bool deselectOthers)
{
    if (deselectOthers)
        DeselectAll();
    const int first = Count();
    for (auto& g : icons) {
        g.FreeThumbnails();
        items_.push_back(std::move(g));
        selected_.push_back(1);
        if (!pending_.empty())
            pending_.push_back(0);
    }
    return first;
}

bool CIconList::IsSelected(int i) const
{
    return i >= 0 && i < Count() && selected_[static_cast<std::size_t>(i)] != 0;
}

void CIconList::SetSelected(int i, bool selected)
{
    if (i >= 0 && i < Count())
        selected_[static_cast<std::size_t>(i)] = selected ? 1 : 0;
}

void CIconList::SelectOnly(int i)
{
    DeselectAll();
    SetSelected(i, true);
}

void CIconList::DeselectAll()
{
    std::fill(selected_.begin(), selected_.end(), 0);
}

int CIconList::SelectedCount() const
{
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
}

std::vector<int> CIconList::Selection() const
{
    std::vector<int> out;
    for (int i = 0; i < Count(); ++i)
        if (selected_[static_cast<std::size_t>(i)])
            out.push_back(i);
    return out;
}

int CIconList::FirstSelected() const
{
    auto it = std::find(selected_.begin(), selected_.end(), 1);
    return it == selected_.end() ? -1 : static_cast<int>(it - selected_.begin());
}

std::vector<CIconGroup> CIconList::SelectedIcons() const
{
    std::vector<CIconGroup> out;
    for (int i : Selection())
        out.push_back(Item(i));
    return out;
}

bool CIconList::SelectAll()
{
    if (empty() || SelectedCount() > 1)
        return false;
    std::fill(selected_.begin(), selected_.end(), 1);
    return true;
}

void CIconList::SetOptions(const IconListOptions& options)
{
    options_ = options;
    options_.sizeClass = ClassIndex(options_.sizeClass);
    options_.colorClass = ClassIndex(options_.colorClass);
    ResetDisplayFormats();
}

void CIconList::ResetDisplayFormats()
{
    // A cached cell was rendered for the old size: it goes with the format choice.
    for (auto& g : items_)
        g.FreeThumbnails();
}

int CIconList::DisplayFormat(int i)
{
    // Headers are enough to choose; a pending item's headers are there.
    CIconGroup& g = items_[static_cast<std::size_t>(i)];
    if (g.FormatCount() == 0)
        return -1;
    if (g.displayFormat < 0 || g.displayFormat >= g.FormatCount())
        g.displayFormat = g.BestFormat(options_.sizeClass, options_.colorClass);
    return g.displayFormat;
}

int CIconList::ItemsPerColumn(int clientHeight) const
{
    return std::max(1, clientHeight / ItemSizeNow().height);
}

int CIconList::ColumnCount(int clientHeight) const
{
    const int perColumn = ItemsPerColumn(clientHeight);
    return (Count() + perColumn - 1) / perColumn;
}

int CIconList::ContentWidth(int clientHeight) const
{
    return ColumnCount(clientHeight) * ItemSizeNow().width;
}

Rect CIconList::ItemRect(int i, int clientHeight, int scrollX) const
{
    const ItemSize size = ItemSizeNow();
    const int perColumn = ItemsPerColumn(clientHeight);
    const int x = (i / perColumn) * size.width - scrollX;
    const int y = (i % perColumn) * size.height;
    return {x, y, x + size.width, y + size.height};
}

int CIconList::HitTest(int x, int y, int clientHeight, int scrollX) const
{
    const ItemSize size = ItemSizeNow();
    const int perColumn = ItemsPerColumn(clientHeight);
    const int cx = x + scrollX;
    if (cx < 0 || y < 0)
        return -1;
    const int row = y / size.height;
    if (row >= perColumn)
        return -1;
    const long long index = static_cast<long long>(cx / size.width) * perColumn + row;
    return index < Count() ? static_cast<int>(index) : -1;
}

int CIconList::DropIndex(int x, int y, int clientHeight, int scrollX) const
{
    const int hit = HitTest(std::max(x, -scrollX), std::max(y, 0), clientHeight, scrollX);
    return hit < 0 ? Count() : hit;
}

std::pair<int, int> CIconList::VisibleRange(int clientWidth, int clientHeight, int scrollX) const
{
    const ItemSize size = ItemSizeNow();
    const int perColumn = ItemsPerColumn(clientHeight);
    const int firstColumn = std::max(0, scrollX / size.width);
    const int lastColumn = std::max(0, (scrollX + clientWidth + size.width - 1) / size.width);
    const long long first = static_cast<long long>(firstColumn) * perColumn;
    const long long last = static_cast<long long>(lastColumn) * perColumn;
    const int n = Count();
    return {static_cast<int>(std::min<long long>(first, n)), static_cast<int>(std::min<long long>(last, n))};
}

std::string CIconList::CountText() const
{
    if (empty())
        return "";
    return Count() == 1 ? LoadString(kStrOneIcon) : FormatString(kStrIcons, Count());
}

std::string CIconList::SelectedText() const
{
    if (empty())
        return "";
    const int n = SelectedCount();
    return n == 1 ? LoadString(kStrOneSelected) : FormatString(kStrSelected, n);
}

std::string CIconList::ItemLabel(int i) const
{
    return options_.numbers ? FormatString(kStrIconNumber, i + 1) : items_[static_cast<std::size_t>(i)].DisplayName();
}

CellText CIconList::CellTextFor(int i, const Rect& r, const CellState& state) const
{
    CellText text;
    text.box = {r.left + 1, r.bottom - kTextBoxHeight + 1, r.right - 1, r.bottom - 1};
    const bool selected = IsSelected(i) || !enabled;
    if (selected) {
        text.background = state.focused ? SysColors().highlight : RGB(0x80, 0x80, 0x80);
        text.color = SysColors().highlightText;
    } else {
        text.background = SysColors().window;
        text.color = enabled ? RGB(0, 0, 0) : RGB(0x80, 0x80, 0x80);
    }
    text.line1 = ItemLabel(i);
    text.line2 = items_[static_cast<std::size_t>(i)].FormatCountText(0);
    return text;
}

void CIconList::RenameOne(int i, const std::string& name)
{
    if (i >= 0 && i < Count())
        items_[static_cast<std::size_t>(i)].name = name.substr(0, kMaxIconNameLength);
}

void CIconList::RenameSelected(const std::string& baseName)
{
    int n = 0;
    for (int i : Selection())
        items_[static_cast<std::size_t>(i)].name =
            baseName.empty() ? std::string() : baseName + " " + std::to_string(++n);
}

int CIconList::DeleteSelected()
{
    return RemoveIndices(Selection());
}

int CIconList::RemoveIndices(std::vector<int> indices)
{
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::erase_if(indices, [this](int i) { return i < 0 || i >= Count(); });
    if (indices.empty())
        return -1;
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        items_.erase(items_.begin() + *it);
        selected_.erase(selected_.begin() + *it);
        if (!pending_.empty())
            pending_.erase(pending_.begin() + *it);
    }
    dropTarget = -1;
    DeselectAll();
    if (empty())
        return -1;
    const int next = std::min(indices.front(), Count() - 1);
    SetSelected(next, true);
    return next;
}

void CIconList::DrawCell(int i, DC& target, const Rect& r, const CellState& state)
{
    const int c = options_.sizeClass;
    const bool selected = IsSelected(i) || !enabled;
    const Rect box{r.left + 1, r.top + 1, r.right - 1, r.top + 1 + kThumbnailHeights[c]};
    FillRect(target, r, Brush::Solid(SysColors().window));
    Fill(static_cast<std::size_t>(i)); // may drop formats that no longer read
    const int format = DisplayFormat(i);
    if (format >= 0) {
        DrawIconCell(*Item(i).GetFormat(format), target, box.left, box.top, selected, state.focused ? 1 : 0,
                     kIconSides[c], box.width(), box.height());
    }
    if (options_.info) {
        const CellText text = CellTextFor(i, r, state);
        FillRect(target, text.box, Brush::Solid(text.background));
    }
    FrameRect(target, r, i == dropTarget ? RGB(255, 0, 0) : SysColors().window);
}

std::string TitleBase(const std::string& title)
{
    const std::size_t dot = title.find('.');
    return dot == std::string::npos ? title : title.substr(0, dot);
}

} // namespace kavrel
