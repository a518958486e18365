#pragma once
// The walks the product is measured against: the old 8-bit walks with the whole message
// queue pumped before every file (the yardstick), and bare wide-character walks with no
// pump and no progress at all (the floor of the system calls).

#include <string>

namespace tv::bench {

int ansiCountFiles(const std::string& path);
// Steps a progress count once per file, as the old walk stepped its bar.
void ansiPurgeFolder(const std::string& path, int& steps);

int bareCountFiles(const std::wstring& path);
void barePurgeFolder(const std::wstring& path);

} // namespace tv::bench
