// The open documents and their windows: templates in registration order,
// opening and creating documents in child frames inside the MDI area,
// saving, and closing with the question to save changes.
#pragma once

#include <functional>
#include <memory>
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

    // Registration order matters: opening by file kind picks templates by position.
    CDocTemplate& AddTemplate(std::unique_ptr<CDocTemplate> tmpl);
    // Position counted from 1, as the kinds are numbered; nullptr when missing.
    CDocTemplate* Template(int position) const;
    const std::vector<std::unique_ptr<CDocTemplate>>& Templates() const { return templates_; }

    void SetMdiArea(QMdiArea* area) { mdiArea_ = area; }
    QMdiArea* MdiArea() const { return mdiArea_; }

    // A new document of tmpl in a new shown window; nullptr on failure.
    CDocument* NewDocument(CDocTemplate& tmpl);
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
    std::vector<CChildFrame*> frames_;  // creation order
    QMdiArea* mdiArea_ = nullptr;
    std::function<void(CChildFrame*)> frameCreated_;
};

// The application's document manager.
CDocManager& DocManager();

}  // namespace kavrel
