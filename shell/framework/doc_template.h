// Document templates: what the framework needs to make a document of one
// kind, the child frame that holds it and the view that shows it, plus the
// kind's description string and menu bar.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"
#include "resources/command_table.h"

class QWidget;

namespace kavrel {

class CChildFrame;
class IconSource;

class CDocTemplate {
  public:
    // The seven newline-separated fields of a description string.
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName,
    };

    // A new document; source is its creation argument (the icon a linked or
    // new editor starts from), nullptr for none. Kinds without one ignore it.
    using DocumentFactory = std::function<std::unique_ptr<CDocument>(IconSource* source)>;
    // A new, not yet shown child frame for doc (parentless; the MDI area adopts it).
    using FrameFactory = std::function<CChildFrame*(CDocTemplate& tmpl, CDocument& doc)>;
    // The view of doc inside frame. The widget may also be a CCmdTarget (it
    // then comes first on the command route) and a CDocumentView.
    using ViewFactory = std::function<QWidget*(CDocument& doc, CChildFrame& frame)>;

    CDocTemplate(DocKind kind, int resourceId, MenuKind menu, std::string description, DocumentFactory document,
                 FrameFactory frame, ViewFactory view);
    ~CDocTemplate();
    CDocTemplate(const CDocTemplate&) = delete;
    CDocTemplate& operator=(const CDocTemplate&) = delete;

    DocKind Kind() const { return kind_; }
    int ResourceId() const { return resourceId_; }
    MenuKind Menu() const { return menu_; }
    const std::string& Description() const { return description_; }
    // One field of the description string; empty when it has fewer fields.
    std::string GetDocString(DocStringIndex index) const;

    // A new empty document, kept by the template until Remove.
    CDocument* CreateDocument(IconSource* source = nullptr);
    CChildFrame* CreateFrame(CDocument& doc);
    QWidget* CreateView(CDocument& doc, CChildFrame& frame);

    const std::vector<std::unique_ptr<CDocument>>& Documents() const { return documents_; }
    bool Owns(const CDocument* doc) const;
    // Destroys a document of this template.
    void Remove(CDocument* doc);

    // The next number for an untitled document's name ("Icon1", "Icon2"...).
    int NextUntitledNumber() { return ++untitledCount_; }

  private:
    DocKind kind_;
    int resourceId_;
    MenuKind menu_;
    std::string description_;
    DocumentFactory documentFactory_;
    FrameFactory frameFactory_;
    ViewFactory viewFactory_;
    std::vector<std::unique_ptr<CDocument>> documents_;
    int untitledCount_ = 0;
};

// The fields of a description string, split at newlines.
std::vector<std::string> SplitDocString(const std::string& description);

} // namespace kavrel
