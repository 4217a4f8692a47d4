#include "shell/framework/doc_manager.h"

#include <algorithm>
#include <filesystem>

#include <QMdiArea>

#include "platform/prompter.h"
#include "resources/strings.h"
#include "shell/core/reorganise.h"
#include "shell/core/settings.h"
#include "shell/framework/child_frame.h"
#include "shell/framework/framework_strings.h"

namespace kavrel {

namespace {

std::string FileNameOf(const std::string& path)
{
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

CDocManager& DocManager()
{
    static CDocManager manager;
    return manager;
}

CDocManager::CDocManager()
{
    CDocument::SetSavedHandler([this](CDocument& doc) {
        RecentFiles().add(doc.GetPathName());
        RetitleFrames(&doc);
    });
}

CDocManager::~CDocManager()
{
    // Windows still open belong to the MDI area; documents go with the templates.
    frames_.clear();
    CDocument::SetSavedHandler(nullptr);
}

CDocTemplate& CDocManager::AddTemplate(std::unique_ptr<CDocTemplate> tmpl)
{
    if (CDocTemplate* existing = Template(tmpl->Kind()))
        return *existing;
    templates_.push_back(std::move(tmpl));
    return *templates_.back();
}

CDocTemplate* CDocManager::Template(DocKind kind) const
{
    for (const auto& tmpl : templates_)
        if (tmpl->Kind() == kind)
            return tmpl.get();
    return nullptr;
}

CDocument* CDocManager::NewDocument(CDocTemplate& tmpl, IconSource* source)
{
    CDocument* doc = tmpl.CreateDocument(source);
    if (!doc)
        return nullptr;
    if (!doc->OnNewDocument()) {
        tmpl.Remove(doc);
        return nullptr;
    }
    if (doc->GetTitle().empty())
        doc->SetTitle(tmpl.GetDocString(CDocTemplate::fileNewName) + std::to_string(tmpl.NextUntitledNumber()));
    if (!ShowNewFrame(tmpl, *doc)) {
        tmpl.Remove(doc);
        return nullptr;
    }
    return doc;
}

CDocument* CDocManager::OpenDocument(CDocTemplate& tmpl, const std::string& path)
{
    // The document reports what went wrong with the file itself.
    CDocument* doc = tmpl.CreateDocument();
    if (!doc)
        return nullptr;
    if (!doc->OnOpenDocument(path)) {
        tmpl.Remove(doc);
        return nullptr;
    }
    doc->SetPathName(path);
    doc->SetTitle(FileNameOf(path));
    doc->SetModifiedFlag(false);
    if (!ShowNewFrame(tmpl, *doc)) {
        tmpl.Remove(doc);
        return nullptr;
    }
    RecentFiles().add(path);
    return doc;
}

CChildFrame* CDocManager::NewFrame(CDocument& doc)
{
    CDocTemplate* tmpl = TemplateOf(&doc);
    return tmpl ? ShowNewFrame(*tmpl, doc) : nullptr;
}

CChildFrame* CDocManager::ShowNewFrame(CDocTemplate& tmpl, CDocument& doc)
{
    CChildFrame* frame = tmpl.CreateFrame(doc);
    if (!frame)
        return nullptr;
    frame->SetView(tmpl.CreateView(doc, *frame));
    frames_.push_back(frame);
    if (mdiArea_)
        mdiArea_->addSubWindow(frame);
    RetitleFrames(&doc);
    OnDocumentWindowOpened();
    if (frameCreated_)
        frameCreated_(frame);
    if (auto* orvane = dynamic_cast<COrvaneMDI*>(frame))
        orvane->ShowFrame();
    else
        frame->show();
    ActivateFrame(frame);
    return frame;
}

CChildFrame* CDocManager::FindFrame(const std::string& path) const
{
    if (path.empty())
        return nullptr;
    for (CChildFrame* frame : frames_)
        if (frame->Document() && frame->Document()->GetPathName() == path)
            return frame;
    return nullptr;
}

void CDocManager::ActivateFrame(CChildFrame* frame) const
{
    if (!frame)
        return;
    if (frame->isMinimized())
        frame->showNormal();
    if (mdiArea_)
        mdiArea_->setActiveSubWindow(frame);
    else
        frame->activateWindow();
}

std::vector<CChildFrame*> CDocManager::Frames() const
{
    return frames_;
}

std::vector<CChildFrame*> CDocManager::FramesOf(const CDocument* doc) const
{
    std::vector<CChildFrame*> out;
    for (CChildFrame* frame : frames_)
        if (frame->Document() == doc)
            out.push_back(frame);
    return out;
}

CDocTemplate* CDocManager::TemplateOf(const CDocument* doc) const
{
    for (const auto& tmpl : templates_)
        if (tmpl->Owns(doc))
            return tmpl.get();
    return nullptr;
}

int CDocManager::WindowNumber(const CChildFrame* frame) const
{
    int n = 0;
    for (CChildFrame* f : frames_) {
        if (f->Document() != frame->Document())
            continue;
        ++n;
        if (f == frame)
            return n;
    }
    return 0;
}

CChildFrame* CDocManager::ActiveFrame() const
{
    if (!mdiArea_)
        return nullptr;
    return dynamic_cast<CChildFrame*>(mdiArea_->activeSubWindow());
}

void CDocManager::RetitleFrames(const CDocument* doc) const
{
    for (CChildFrame* frame : FramesOf(doc))
        frame->UpdateTitle();
}

bool CDocManager::SaveAllModified()
{
    for (const auto& tmpl : templates_)
        for (const auto& doc : tmpl->Documents())
            if (!CanClose(doc->SaveModified()))
                return false;
    return true;
}

void CDocManager::CloseAllDocuments()
{
    auto frames = frames_;
    for (CChildFrame* frame : frames)
        frame->CloseWithoutAsking();
}

void CDocManager::OnFrameClosed(CChildFrame* frame)
{
    auto it = std::find(frames_.begin(), frames_.end(), frame);
    if (it == frames_.end())
        return;
    frames_.erase(it);
    CDocument* doc = frame->Document();
    OnDocumentWindowClosed();
    if (FramesOf(doc).empty()) {
        if (CDocTemplate* tmpl = TemplateOf(doc))
            tmpl->Remove(doc);
    } else {
        RetitleFrames(doc);
    }
}

} // namespace kavrel
