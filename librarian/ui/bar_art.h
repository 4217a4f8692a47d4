// The librarian's pictures, drawn in code: the tree's images (root, folder
// closed and open, library), the two toolbars' buttons and the pictures of
// the delete, rename and compile dialogs.
#pragma once

#include <QIcon>
#include <QPixmap>

class QWidget;
#include <cstdint>

namespace kavrel {

enum class TreeImage { Root, RootOpen, Folder, FolderOpen, Library, LibrarySelected };
QIcon TreeIcon(TreeImage image);

// The button image of a librarian command (null for one without).
QIcon LibrarianCommandIcon(std::uint16_t id);

enum class DialogPicture { DeleteIcon, DeleteLibrary, DeleteFolder, RenameIcon, Compile, Brand };
QPixmap DialogPicturePixmap(DialogPicture picture);
// The dialog's picture above our mark: the left column of the librarian's dialogs.
QWidget* DialogPictureColumn(DialogPicture picture, QWidget* parent);

} // namespace kavrel
