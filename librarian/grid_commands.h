// The commands of the icon-grid windows (program files and libraries) as
// plain code: their update states and what they do to the document. The
// window supplies what needs the application or a dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/cmd_target.h"
#include "librarian/grid_docs.h"

namespace kavrel {

class CLibrarian;

class GridWindowHost {
  public:
    virtual ~GridWindowHost() = default;
    virtual void OpenLinkedIcon(IconSourceWindow& source, int index) = 0;
    virtual void OpenAsNewIcon(const CIconGroup& icon) = 0;
    // The librarian behind the bar; nullptr without one.
    virtual CLibrarian* Librarian() = 0;
    // The list's options changed: the window rebuilds its grid.
    virtual void RebuildList() = 0;
    // The librarian's dialogs: Export to ICL, Save as ICO, the delete
    // question (false: keep) and the rename dialogs (nullopt: cancelled).
    virtual void ExportToIcl(const std::vector<CIconGroup>& icons) = 0;
    virtual void SaveAsIco(const CIconGroup& icon) = 0;
    virtual bool ConfirmDelete(int count) = 0;
    virtual std::optional<std::string> AskName(const std::string& current, int count) = 0;
};

// False for a command the grid windows do not have.
bool GridUpdateCommand(CGridDoc& doc, CCmdUI& ui);
void GridCommand(CGridDoc& doc, std::uint16_t id, GridWindowHost& host);

} // namespace kavrel
