#include "shell/framework/doc_template.h"

#include <algorithm>

#include "shell/framework/child_frame.h"

namespace kavrel {

std::vector<std::string> SplitDocString(const std::string& description)
{
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        auto end = description.find('\n', start);
        fields.push_back(description.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return fields;
}

CDocTemplate::CDocTemplate(DocKind kind, int resourceId, MenuKind menu, std::string description,
                           DocumentFactory document, FrameFactory frame, ViewFactory view)
    : kind_(kind), resourceId_(resourceId), menu_(menu), description_(std::move(description)),
      documentFactory_(std::move(document)), frameFactory_(std::move(frame)), viewFactory_(std::move(view))
{
}

CDocTemplate::~CDocTemplate() = default;

std::string CDocTemplate::GetDocString(DocStringIndex index) const
{
    auto fields = SplitDocString(description_);
    auto i = static_cast<std::size_t>(index);
    return i < fields.size() ? fields[i] : std::string();
}

CDocument* CDocTemplate::CreateDocument(IconSource* source)
{
    if (!documentFactory_)
        return nullptr;
    auto doc = documentFactory_(source);
    if (!doc)
        return nullptr;
    doc->SetFileType(GetDocString(filterName), GetDocString(filterExt));
    documents_.push_back(std::move(doc));
    return documents_.back().get();
}

CChildFrame* CDocTemplate::CreateFrame(CDocument& doc)
{
    if (frameFactory_)
        return frameFactory_(*this, doc);
    return new CChildFrame(*this, doc);
}

QWidget* CDocTemplate::CreateView(CDocument& doc, CChildFrame& frame)
{
    return viewFactory_ ? viewFactory_(doc, frame) : nullptr;
}

bool CDocTemplate::Owns(const CDocument* doc) const
{
    return std::any_of(documents_.begin(), documents_.end(), [doc](const auto& d) { return d.get() == doc; });
}

void CDocTemplate::Remove(CDocument* doc)
{
    auto it = std::find_if(documents_.begin(), documents_.end(), [doc](const auto& d) { return d.get() == doc; });
    if (it == documents_.end())
        return;
    // Keep the document alive while its destructor may still reach the list.
    std::unique_ptr<CDocument> owned = std::move(*it);
    documents_.erase(it);
    owned.reset();
}

} // namespace kavrel
