// The model behind every icon grid (the librarian bar, library windows and
// program-file windows): the icons it owns, their selection, the display
// options, the cell layout and hit tests, the texts, renaming, deleting and
// inserting, and the drawing of one cell into a bitmap.
//
// Items run down the first column, then continue at the top of the next one
// to the right; the grid scrolls horizontally. Only the cells asked for are
// drawn, and each draws from its format's cached thumbnail, so scrolling a
// long list never decodes what is off screen.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/icon_model.h"
#include "platform/gdi.h"

namespace kavrel {

// String-table numbers of the list's texts.
constexpr int kStrOneIcon = 32;       // "1 icon"
constexpr int kStrIcons = 33;         // "%d icons"
constexpr int kStrOneSelected = 34;   // "1 selected"
constexpr int kStrSelected = 35;      // "%d selected"
constexpr int kStrIconNumber = 44;    // "Icon %d"
constexpr int kStrIconsBaseName = 27; // "Icons"

// Longest name an icon may take from the rename dialogs.
constexpr std::size_t kMaxIconNameLength = 50;

struct IconListOptions {
    int sizeClass = 1;    // 0, 1, 2: 16, 32, 48 pixels
    int colorClass = 1;   // 0, 1, 2: mono, 16 colours, 256 or more
    bool info = true;     // name and format count under each icon
    bool numbers = false; // "Icon %d" instead of names (program files)
    bool operator==(const IconListOptions&) const = default;
};

struct ItemSize {
    int width = 0, height = 0;
    bool operator==(const ItemSize&) const = default;
};

// What a cell shows besides its thumbnail: the text box the caller writes
// the two lines into, with the colours to use.
struct CellText {
    Rect box; // the filled text box; lines start at box + 2
    COLORREF background = 0;
    COLORREF color = 0;
    std::string line1; // name, "Untitled" or "Icon %d"
    std::string line2; // "(1 format)" or "(%d formats)", 10 pixels lower
};

struct CellState {
    bool focused = false; // the list has the keyboard focus
};

class CIconList {
  public:
    static ItemSize ItemSizeFor(int sizeClass, bool info);

    // ---- items ----
    int Count() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }
    // An item, its images read first when they were left for later.
    CIconGroup& Item(int i);
    const CIconGroup& Item(int i) const;
    const std::vector<CIconGroup>& Items() const;
    // Replaces the content; nothing is selected.
    void SetItems(std::vector<CIconGroup> items);
    // The same for items listed without their image bytes (a program file
    // opened for browsing): `readImages` fills an item in the first time
    // anything but its names and format headers is needed, which for the
    // grid means when its cell is drawn.
    using ImageFiller = std::function<void(CIconGroup&)>;
    void SetItems(std::vector<CIconGroup> items, ImageFiller readImages);
    // True while item i's images are still to be read.
    bool IsPending(int i) const;
    std::vector<CIconGroup> TakeItems();
    void Clear() { SetItems({}); }
    // Inserts copies at `index` (the end when past it), in order, and makes
    // them the selection. Returns the index of the first one.
    int Insert(int index, std::vector<CIconGroup> icons);
    // Appends and selects, leaving the rest of the selection as it was
    // unless `deselectOthers`.
    int Append(std::vector<CIconGroup> icons, bool deselectOthers = true);

    // ---- selection ----
    bool IsSelected(int i) const;
    void SetSelected(int i, bool selected);
    void SelectOnly(int i);
    void DeselectAll();
    int SelectedCount() const;
    std::vector<int> Selection() const; // in list order
    int FirstSelected() const;          // -1 when none
    // Copies of the selected icons in list order (Export to ICL, Add to the
    // librarian, a drag).
    std::vector<CIconGroup> SelectedIcons() const;
    // Selects every icon when at most one is selected; with two or more
    // selected, or an empty list, changes nothing. True when it acted.
    bool SelectAll();

    // ---- display ----
    const IconListOptions& Options() const { return options_; }
    // Keeps the items and the selection; every display format is chosen,
    // and every cell rendered, again at the next draw.
    void SetOptions(const IconListOptions& options);
    ItemSize ItemSizeNow() const { return ItemSizeFor(options_.sizeClass, options_.info); }
    // The format a cell shows, chosen once by the best-format rule and kept
    // in the group until the options change; -1 for a group without formats.
    int DisplayFormat(int i);

    // ---- layout (client coordinates; scrollX is the horizontal scroll in pixels) ----
    int ItemsPerColumn(int clientHeight) const;
    int ColumnCount(int clientHeight) const;
    int ContentWidth(int clientHeight) const;
    Rect ItemRect(int i, int clientHeight, int scrollX = 0) const;
    // The item under a point, or -1.
    int HitTest(int x, int y, int clientHeight, int scrollX = 0) const;
    // Where icons dropped at a point go: the item under it, Count() past the
    // last item.
    int DropIndex(int x, int y, int clientHeight, int scrollX = 0) const;
    // The items whose cells meet the visible area [first, last); empty when none.
    std::pair<int, int> VisibleRange(int clientWidth, int clientHeight, int scrollX = 0) const;

    // ---- texts ----
    std::string CountText() const;    // "" / "1 icon" / "%d icons"
    std::string SelectedText() const; // "" without icons, else "1 selected" / "%d selected"
    std::string ItemLabel(int i) const;
    CellText CellTextFor(int i, const Rect& itemRect, const CellState& state) const;

    // ---- edits ----
    // One icon: the name cut to 50 characters; empty makes it untitled.
    void RenameOne(int i, const std::string& name);
    // Every selected icon, in list order: "base 1", "base 2", ...; an empty
    // base makes them all untitled.
    void RenameSelected(const std::string& baseName);
    // Removes the selected icons from the bottom up and selects the item at
    // the first removed index (the last item when that is past the end).
    // Returns that index, or -1 when nothing was removed or the list is empty.
    int DeleteSelected();
    // The same for given indices (a move out of this list).
    int RemoveIndices(std::vector<int> indices);

    // ---- drop target and enabled look ----
    int dropTarget = -1;
    // A list whose library is open in its own window draws every item
    // selected with grey text and takes no edits.
    bool enabled = true;

    // Draws cell i at its place in `target` (the caller's viewport bitmap):
    // thumbnail box, text box background and frame. Text is the caller's:
    // CellTextFor gives where and in which colours.
    void DrawCell(int i, DC& target, const Rect& itemRect, const CellState& state);

  private:
    void ResetDisplayFormats();
    // Reads item i's images when they are pending.
    void Fill(std::size_t i) const;

    // Filling items in is not a change anyone sees, so const readers may do it.
    mutable std::vector<CIconGroup> items_;
    mutable std::vector<char> pending_; // empty when nothing is pending
    ImageFiller readImages_;
    std::vector<char> selected_;
    IconListOptions options_;
};

// The base of a document title up to its first '.' ("Shell32.dll" -> "Shell32").
std::string TitleBase(const std::string& title);

} // namespace kavrel
