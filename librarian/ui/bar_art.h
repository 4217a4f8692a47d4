// The librarian's pictures, drawn in code: the tree's images (root, folder
// closed and open, library), the two toolbars' buttons and the pictures of
// the delete and rename dialogs.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <cstdint>

namespace kavrel {

enum class TreeImage { Root, RootOpen, Folder, FolderOpen, Library, LibrarySelected };
QIcon TreeIcon(TreeImage image);

// The button image of a librarian command (null for one without).
QIcon LibrarianCommandIcon(std::uint16_t id);

enum class DialogPicture { DeleteIcon, DeleteLibrary, DeleteFolder, RenameIcon, Brand };
QPixmap DialogPicturePixmap(DialogPicture picture);

} // namespace kavrel
