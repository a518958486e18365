#pragma once
// The trees the benchmarks walk, and how they time and pick their runs.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tv::bench {

// Files sit in the deepest folders: root\dN\sM\ with subfolders, root\dN\ without.
struct TreeShape {
    int folders = 100;
    int subfolders = 100;
    int filesPerFolder = 5;
    int leaves() const { return folders * (subfolders > 0 ? subfolders : 1); }
    int files() const { return leaves() * filesPerFolder; }
    int allFolders() const { return folders * (1 + subfolders); }
};

// Takes "--folders", "--subfolders" and "--files" into `shape`; false for any other option.
bool readShapeOption(TreeShape& shape, const std::string& option, int value);

// The tree, and the lists a loop without a walk works from.
struct Tree {
    std::wstring root;
    std::vector<std::wstring> files;
    std::vector<std::wstring> folders; // deepest first
};

// Makes the tree below `tree.root` (created when missing); false at the first failure.
bool build(const TreeShape& shape, Tree& tree);
// Removes what `build` made, deepest first, by the lists: the walks under test are not
// trusted with it.
void removeTree(const Tree& tree);
// Files and folders below a folder.
int entriesBelow(const std::wstring& folder);

double seconds(const std::function<void()>& work);
// The machine is shared: the fastest of the runs is the one least disturbed by others.
double fastest(const std::vector<double>& values);

} // namespace tv::bench
