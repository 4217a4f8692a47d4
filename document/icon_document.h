// The document of an icon editor window: one icon, held as its name and its
// image formats in editable form, kept sorted by width, height and depth. It
// reads and writes ICO files; documents for icons that live inside program
// files or libraries derive from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"
#include "model/icon_model.h"
#include "model/progress.h"

namespace kavrel {

class CIconDocument;

// The place a new document takes its icon from when the user asks to edit an
// icon held elsewhere (the librarian, a library or a program-file window).
// The application hands one to the new document through its template's
// document factory; the document's OnNewDocument consults it once.
class IconSource {
  public:
    virtual ~IconSource() = default;
    // Fills the document's emptied format array (AdoptFormat) and, for the
    // librarian and library sources, its name. False leaves the document to
    // its default format.
    virtual bool FillDocument(CIconDocument& doc) = 0;
};

// A source holding a copy of one stored icon: one format per CIcon; the name
// is taken only when takeName is set (program-file icons have none of use).
class GroupIconSource final : public IconSource {
  public:
    GroupIconSource(CIconGroup group, bool takeName) : group_(std::move(group)), takeName_(takeName) {}
    bool FillDocument(CIconDocument& doc) override;

  private:
    CIconGroup group_;
    bool takeName_;
};

class CIconDocument : public CDocument {
  public:
    // One blank format: 32x32, 16 colours, no own palette; name empty. A
    // source (not owned, nullptr for none) fills the document at OnNewDocument.
    explicit CIconDocument(IconSource* source = nullptr);
    ~CIconDocument() override;

    // "\nIcon\nIcon\nIcon Files (*.ICO)\n.ico\nKavrel.Document\nIcon File".
    static constexpr int kTemplateStringId = 3;

    const std::string& GetName() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    // Set when the last open found no usable icon in its file.
    bool LoadFailed() const { return loadFailed_ != 0; }

    // Framework steps.
    void DeleteContents() override;
    // Fills from the icon source given at construction if there is one (used
    // once, so a second new document is the default again), else the default
    // format (32x32, 16 colours, fully transparent). Always true.
    bool OnNewDocument() override;
    // Reads an ICO file. An empty path succeeds with nothing read. A missing or
    // unreadable file shows the framework's message, a file that is not a
    // usable icon shows string 55037 (stop icon); both give false and leave
    // the document as it was. On success the name comes from the path
    // (IconNameFromPath), the path name is set and the modified flag cleared.
    bool OnOpenDocument(const std::string& path) override;
    // Views commit their floating selections, then the formats are written
    // in their sorted order through the atomic writer, and only once the file
    // is written are the undo histories discarded. When a format made from a
    // 32-bit or PNG image was edited, the user is asked first (naming the
    // formats that will be flattened); No gives false and leaves the file
    // untouched. Formats of that kind that were not edited keep their
    // original bytes. On success the path name is set and the document is
    // unmodified; a failed write says why (the system's reason) and gives
    // false with the old file intact, the document modified and its history
    // kept.
    bool OnSaveDocument(const std::string& path) override;

    // Formats, always sorted by width, height and bit depth.
    CIconObject* GetFormat(int i);
    const CIconObject* GetFormat(int i) const;
    int GetFormatCount() const { return static_cast<int>(formats_.size()); }
    // A new blank format appended, then the array sorted. False (array
    // unchanged) when the object cannot be built. Duplicates are the caller's
    // concern.
    bool AddFormat(int width, int height, int bitDepth, int ownPalette);
    // Takes a ready format (used by icon sources), then sorts.
    void AdoptFormat(std::unique_ptr<CIconObject> format);
    // Removes a format; refused (false) for the last one, since a document
    // always holds at least one, and for an index out of range.
    bool RemoveFormat(int i);
    // The format index nearest to a size class (0, 1, 2 = 16, 32, 48) and a
    // colour class (0, 1, 2 = mono, 16, 256 or more); ties go to the earliest.
    int BestFormat(int sizeIndex, int colorIndex) const;
    void SortFormats();
    // The icon in stored form: the name and every format packed.
    CIconGroup ToIconGroup();

    // Forwarding operations for the views: each acts on the format at the
    // index given last and does nothing when the index is not below the count.
    void PackToIcon(int format);
    void DiscardUndo(int format);
    // The general form for operations of the editor that forward the same way.
    template <class F> void ForFormat(F&& op, int format)
    {
        if (CIconObject* o = GetFormat(format))
            op(*o);
    }

    // The icon name an opened file gives: the path without its extension
    // (cut only when the last '.' stands after position 1), without its
    // directory (after the last '\\' or '/'), first character upper-cased.
    static std::string IconNameFromPath(const std::string& path);

    // Where opening and saving show their "Loading ..." / "Saving ..." state
    // (the status bar; the shell's sink also shows the wait cursor and puts
    // back the pane's previous text at the end). Null: nothing is shown.
    static void SetProgressSink(ProgressSink* sink);

  protected:
    // Asks every view to commit its selection (CDocumentView::CommitBeforeSave:
    // a floating selection is stamped into its format and freed).
    // Overridable for documents with other views.
    virtual void PrepareForSave();
    // Each format's content number is compared with the one it had when the
    // document was last saved or opened; a format added or removed changes
    // the set.
    bool DiffersFromSaved() const override;
    void RememberSavedState() override;

  private:
    IconSource* source_ = nullptr;
    std::vector<std::uint64_t> ContentIds() const;

    std::vector<std::uint64_t> savedIds_;
    int loadFailed_ = 0;
    std::string name_;
    std::vector<std::unique_ptr<CIconObject>> formats_;
};

} // namespace kavrel
