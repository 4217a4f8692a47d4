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
    // The librarian's delete question (false: keep) and rename dialogs
    // (nullopt: cancelled).
    virtual bool ConfirmDelete(int count) = 0;
    virtual std::optional<std::string> AskName(const std::string& current, int count) = 0;
    // The compile dialog on the window's list, and the window's catalogue
    // printed or previewed.
    virtual void Compile() = 0;
    virtual void Print(bool preview) = 0;
};

// Save as ICO and Export to ICL of every icon grid: the save dialog
// (55041, or 55061 / 55062) through Chooser(), then the writer; a failure is
// reported.
void SaveIconAsIcoFile(const CIconGroup& icon);
void ExportIconsToLibrary(const std::vector<CIconGroup>& icons);

// False for a command the grid windows do not have.
bool GridUpdateCommand(CGridDoc& doc, CCmdUI& ui);
void GridCommand(CGridDoc& doc, std::uint16_t id, GridWindowHost& host);

} // namespace kavrel
