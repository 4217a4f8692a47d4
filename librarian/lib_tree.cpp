#include "librarian/lib_tree.h"

#include <algorithm>
#include <cctype>

#include "resources/strings.h"

namespace kavrel {

namespace {

bool LabelBefore(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

void RebasePaths(LibTreeNode& node, const std::string& from, const std::string& to)
{
    if (!node.placeholder && IsSameOrInside(node.entry.path, from))
        node.entry.path = to + node.entry.path.substr(from.size());
    for (auto& child : node.children)
        RebasePaths(*child, from, to);
}

} // namespace

int LibTreeNode::IndexInParent() const
{
    if (!parent)
        return 0;
    for (std::size_t i = 0; i < parent->children.size(); ++i)
        if (parent->children[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

CLibTree::CLibTree(const CLibraryStore& store) : store_(store), root_(MakeNode(store.RootEntry(), nullptr))
{
    AddPlaceholder(*root_);
}

std::unique_ptr<LibTreeNode> CLibTree::MakeNode(const LibEntry& entry, LibTreeNode* parent) const
{
    auto node = std::make_unique<LibTreeNode>();
    node->entry = entry;
    node->parent = parent;
    return node;
}

void CLibTree::AddPlaceholder(LibTreeNode& node) const
{
    auto placeholder = MakeNode({}, &node);
    placeholder->placeholder = true;
    node.children.push_back(std::move(placeholder));
}

void CLibTree::InsertSorted(LibTreeNode& parent, std::unique_ptr<LibTreeNode> child) const
{
    child->parent = &parent;
    auto at = std::find_if(parent.children.begin(), parent.children.end(), [&](const auto& other) {
        return !other->placeholder && !other->isNew && LabelBefore(child->entry.label, other->entry.label);
    });
    parent.children.insert(at, std::move(child));
}

bool CLibTree::Expand(LibTreeNode& node)
{
    if (node.entry.kind == LibItemKind::Library)
        return false;
    node.children.clear();
    for (const auto& entry : store_.List(node.entry.path)) {
        auto child = MakeNode(entry, &node);
        if (entry.kind == LibItemKind::Folder && store_.HasContent(entry.path))
            AddPlaceholder(*child);
        InsertSorted(node, std::move(child));
    }
    if (node.children.empty()) {
        node.expanded = false;
        if (node.entry.kind == LibItemKind::Root)
            AddPlaceholder(node);
        return false;
    }
    node.expanded = true;
    return true;
}

void CLibTree::Collapse(LibTreeNode& node)
{
    node.children.clear();
    node.expanded = false;
    // The root always shows its button; a folder only with something below it.
    if (node.entry.kind == LibItemKind::Root ||
        (node.entry.kind == LibItemKind::Folder && store_.HasContent(node.entry.path)))
        AddPlaceholder(node);
}

void CLibTree::SelectionMovedTo(LibTreeNode& node)
{
    if (!node.expanded || node.children.empty())
        Collapse(node);
}

LibTreeNode& CLibTree::OpenAlong(const std::string& bankPathName)
{
    const RememberedWalk walk = WalkRememberedPath(store_, bankPathName);
    LibTreeNode* node = root_.get();
    Expand(*node);
    for (const auto& folder : walk.expanded) {
        LibTreeNode* next = Find(folder);
        if (!next)
            break;
        Expand(*next);
        node = next;
    }
    if (walk.selected.kind == LibItemKind::Root)
        return *root_;
    LibTreeNode* selected = Find(walk.selected.path);
    return selected ? *selected : *node;
}

LibTreeNode& CLibTree::InsertNew(LibTreeNode& selected, LibItemKind kind)
{
    const LibEntry entry{kind, LoadString(kind == LibItemKind::Library ? kStrNewLibrary : kStrNewFolder), ""};
    if (selected.entry.kind == LibItemKind::Library && selected.parent) {
        LibTreeNode& parent = *selected.parent;
        auto node = MakeNode(entry, &parent);
        node->isNew = true;
        LibTreeNode& inserted = *node;
        parent.children.insert(parent.children.begin() + selected.IndexInParent(), std::move(node));
        return inserted;
    }
    LibTreeNode& folder = selected;
    if (store_.HasContent(folder.entry.path)) {
        Collapse(folder);
        Expand(folder);
    } else {
        // Nothing to list: the folder opens on the new item alone.
        folder.children.clear();
        folder.expanded = true;
    }
    auto node = MakeNode(entry, &folder);
    node->isNew = true;
    LibTreeNode& inserted = *node;
    folder.children.insert(folder.children.begin(), std::move(node));
    return inserted;
}

void CLibTree::Named(LibTreeNode& node, const std::string& label, const std::string& path)
{
    node.entry.label = label;
    node.entry.path = path;
    node.isNew = false;
}

LibTreeNode& CLibTree::Remove(LibTreeNode& node)
{
    if (!node.parent)
        return node;
    LibTreeNode& parent = *node.parent;
    const int index = node.IndexInParent();
    parent.children.erase(parent.children.begin() + index);
    if (index < static_cast<int>(parent.children.size()))
        return *parent.children[static_cast<std::size_t>(index)];
    if (index > 0)
        return *parent.children[static_cast<std::size_t>(index - 1)];
    return parent;
}

void CLibTree::Renamed(LibTreeNode& node, const std::string& label, const std::string& path)
{
    const std::string old = node.entry.path;
    RebasePaths(node, old, path);
    node.entry.label = label;
}

LibTreeNode& CLibTree::Moved(LibTreeNode& node, LibTreeNode& target, const std::string& path)
{
    LibTreeNode& oldParent = *node.parent;
    const int index = node.IndexInParent();
    auto owned = std::move(oldParent.children[static_cast<std::size_t>(index)]);
    oldParent.children.erase(oldParent.children.begin() + index);
    const std::string from = owned->entry.path;
    RebasePaths(*owned, from, path);
    LibTreeNode& moved = *owned;
    // A target still showing its placeholder is listed when next expanded.
    const bool listed = target.expanded || !target.HasExpandButton();
    if (listed)
        InsertSorted(target, std::move(owned));
    if (oldParent.children.empty() && oldParent.entry.kind != LibItemKind::Root)
        oldParent.expanded = false;
    return listed ? moved : target;
}

LibTreeNode* CLibTree::Find(const std::string& path)
{
    std::vector<LibTreeNode*> stack{root_.get()};
    while (!stack.empty()) {
        LibTreeNode* n = stack.back();
        stack.pop_back();
        if (!n->placeholder && n->entry.path == path)
            return n;
        for (auto& child : n->children)
            stack.push_back(child.get());
    }
    return nullptr;
}

} // namespace kavrel
