// The librarian's tree as the bar shows it, without a widget: a lazy tree
// whose folders list the disk each time they are expanded. A folder with
// something below it on disk carries one placeholder child, so it shows an
// expand button without being listed; collapsing drops the children, so the
// next expansion lists the disk again. The bar mirrors these nodes into its
// tree widget.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "librarian/store.h"

namespace kavrel {

struct LibTreeNode {
    LibEntry entry; // a placeholder has an empty entry
    bool placeholder = false;
    bool expanded = false;
    bool isNew = false; // inserted by New library / New folder, being named
    LibTreeNode* parent = nullptr;
    std::vector<std::unique_ptr<LibTreeNode>> children;

    bool HasExpandButton() const { return !children.empty(); }
    int IndexInParent() const;
};

class CLibTree {
  public:
    explicit CLibTree(const CLibraryStore& store);

    LibTreeNode& Root() { return *root_; }
    const LibTreeNode& Root() const { return *root_; }

    // Lists the folder: its libraries and subfolders, merged in label order
    // (without regard to case), each folder with content given a
    // placeholder. False when nothing was listed: the expansion is cancelled
    // (the root keeps its placeholder).
    bool Expand(LibTreeNode& node);
    // Drops the children; the root always, and a folder with content, gets
    // its placeholder back.
    void Collapse(LibTreeNode& node);
    // The selection moved to a node that is not expanded or has no children:
    // a library loses any children, a folder gets a placeholder exactly when
    // it has content.
    void SelectionMovedTo(LibTreeNode& node);
    // Expands along a remembered path; returns the node to select.
    LibTreeNode& OpenAlong(const std::string& bankPathName);

    // New library or New folder with its default label: before the selected
    // library in its parent, else as the first child of the selected folder
    // or root (listed first when it has content on disk). The new node is
    // marked isNew until Named or removed.
    LibTreeNode& InsertNew(LibTreeNode& selected, LibItemKind kind);
    // The new node took its name on disk.
    void Named(LibTreeNode& node, const std::string& label, const std::string& path);
    // Removes a node with its subtree; returns the node to select: the next
    // sibling, else the previous one, else the parent.
    LibTreeNode& Remove(LibTreeNode& node);
    // After a rename on disk: the node's label and the paths of its subtree.
    void Renamed(LibTreeNode& node, const std::string& label, const std::string& path);
    // After a move on disk: the node and its subtree go under `target` in
    // label order. Returns the node at its new place.
    LibTreeNode& Moved(LibTreeNode& node, LibTreeNode& target, const std::string& path);

    // The node of a path (case-sensitive, as on disk), or nullptr when it
    // is not in the tree.
    LibTreeNode* Find(const std::string& path);

  private:
    std::unique_ptr<LibTreeNode> MakeNode(const LibEntry& entry, LibTreeNode* parent) const;
    void AddPlaceholder(LibTreeNode& node) const;
    void InsertSorted(LibTreeNode& parent, std::unique_ptr<LibTreeNode> child) const;

    const CLibraryStore& store_;
    std::unique_ptr<LibTreeNode> root_;
};

} // namespace kavrel
