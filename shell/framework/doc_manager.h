// The open documents and their windows: templates by kind,
// opening and creating documents in child frames inside the MDI area,
// saving, and closing with the question to save changes.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/framework/doc_template.h"

class QMdiArea;

namespace kavrel {

class CChildFrame;

class CDocManager {
  public:
    CDocManager();
    ~CDocManager();
    CDocManager(const CDocManager&) = delete;
    CDocManager& operator=(const CDocManager&) = delete;

    // Templates are kept in registration order (the order of the filters
    // and lists that show every kind); one template per kind, a second
    // registration of a kind replaces nothing and gives the first.
    CDocTemplate& AddTemplate(std::unique_ptr<CDocTemplate> tmpl);
    // The template of a kind; nullptr while the kind has none.
    CDocTemplate* Template(DocKind kind) const;
    const std::vector<std::unique_ptr<CDocTemplate>>& Templates() const { return templates_; }

    void SetMdiArea(QMdiArea* area) { mdiArea_ = area; }
    QMdiArea* MdiArea() const { return mdiArea_; }

    // A new document of tmpl in a new shown window; nullptr on failure.
    // source is the document's creation argument (see CDocTemplate).
    CDocument* NewDocument(CDocTemplate& tmpl, IconSource* source = nullptr);
    // The file read into a new document of tmpl shown in a new window;
    // nullptr (and nothing left behind) when the document refused the file.
    CDocument* OpenDocument(CDocTemplate& tmpl, const std::string& path);
    // Another window on an open document ("New window").
    CChildFrame* NewFrame(CDocument& doc);

    // The window whose document has exactly this path (case-sensitive).
    CChildFrame* FindFrame(const std::string& path) const;
    // Restores the frame when minimised and makes it the active window.
    void ActivateFrame(CChildFrame* frame) const;

    // Every child frame in the MDI area's creation order.
    std::vector<CChildFrame*> Frames() const;
    std::vector<CChildFrame*> FramesOf(const CDocument* doc) const;
    CDocTemplate* TemplateOf(const CDocument* doc) const;
    // The window number of frame on its document (1 for the first).
    int WindowNumber(const CChildFrame* frame) const;
    CChildFrame* ActiveFrame() const;

    // Asks every modified document (CDocument::SaveModified); false as soon
    // as one is cancelled or fails to save.
    bool SaveAllModified();
    // Closes every window without asking (after SaveAllModified).
    void CloseAllDocuments();

    // Called by a child frame that closes; destroys its document once its
    // last window is gone.
    void OnFrameClosed(CChildFrame* frame);

    // Called with every new window once it is in the MDI area, before it is shown.
    void SetFrameCreatedHandler(std::function<void(CChildFrame*)> handler) { frameCreated_ = std::move(handler); }

  private:
    CChildFrame* ShowNewFrame(CDocTemplate& tmpl, CDocument& doc);
    void RetitleFrames(const CDocument* doc) const;

    std::vector<std::unique_ptr<CDocTemplate>> templates_;
    std::vector<CChildFrame*> frames_; // creation order
    QMdiArea* mdiArea_ = nullptr;
    std::function<void(CChildFrame*)> frameCreated_;
};

// The application's document manager.
CDocManager& DocManager();

} // namespace kavrel
