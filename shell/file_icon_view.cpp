#include "shell/file_icon_view.h"

#include <QComboBox>
#include <QTimer>

#include "platform/prompter.h"
#include "resources/command_ids.h"
#include "resources/strings.h"
#include "shell/framework/framework_strings.h"

namespace kavrel {

namespace {

constexpr int kStrSaveAsIconTitle = 55069; // "Save as an icon ..."
constexpr int kStrIcoFilter = 55027;
constexpr int kStrUntitled = 55044;

} // namespace

CFileIconView::CFileIconView(CFileIconDoc* doc, QWidget* parent) : CIconView(doc, parent), fileDoc_(doc)
{
    // The editor starts on the format the grid was showing, once the frame
    // has adopted the format list.
    QTimer::singleShot(0, this, [this] {
        const int start = fileDoc_->StartFormat();
        if (start <= 0 || start >= fileDoc_->GetFormatCount())
            return;
        OnFormatListChanged(start);
        FormatList()->setCurrentIndex(start);
    });
}

bool CFileIconView::OnUpdateCommand(CCmdUI& ui)
{
    switch (ui.id) {
    case ID_FILE_UPDATE:
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
        ui.Enable(!IsBusy());
        return true;
    case ID_FORMAT_NEW:
    case ID_FORMAT_DELETE:
    case ID_FORMAT_CONVERT:
    case ID_FORMAT_COMPRESSED:
        // A program file keeps the layout of its images.
        if (!fileDoc_->CanChangeFormats()) {
            ui.Enable(false);
            return true;
        }
        break;
    default:
        break;
    }
    return CIconView::OnUpdateCommand(ui);
}

void CFileIconView::OnCommand(std::uint16_t id)
{
    switch (id) {
    case ID_FILE_UPDATE:
    case ID_FILE_SAVE:
        Update();
        return;
    case ID_FILE_SAVE_AS:
        SaveAsIco();
        return;
    default:
        CIconView::OnCommand(id);
    }
}

void CFileIconView::Update()
{
    fileDoc_->SaveIntoSource();
    SetModified(fileDoc_->IsModified());
}

void CFileIconView::SaveAsIco()
{
    std::string path =
        Chooser().ChooseSave(LoadString(kStrSaveAsIconTitle), LoadString(kStrIcoFilter), LoadString(kStrUntitled));
    if (path.empty())
        return;
    if (path.find('.', path.find_last_of('/') + 1) == std::string::npos)
        path += ".ico";
    if (!fileDoc_->OnSaveDocument(path))
        Prompts().Message(FormatString(kStrCannotSaveFile, path), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace kavrel
