#pragma once
// Internet Explorer, the browser the five Internet tasks were first written for, and what it
// keeps: its folders, its frame windows, its stores (URL cache, history, stored form data).

#include <cstdint>

#include "engine/TaskSelection.h"
#include "platform/PlatformServices.h"

namespace tv::engine::browsers {

// The folder each of its tasks purges, by the task's index.
inline constexpr int kInternetExplorerFolders[] = {kCsidlInternetCache, kCsidlCookies, kCsidlHistory};

inline constexpr const char* kBrowserFrameClass = "IEFrame";
inline constexpr int kCloseAttemptLimit = 5000;
inline constexpr std::uint32_t kCloseAttemptPauseMs = 50;
inline constexpr std::uint32_t kWmSysCommand = 0x0112;
inline constexpr std::uintptr_t kScClose = 0xF060;

// A next-entry fetch that fails this many times in a row ends the URL cache's purge: the
// entry keeps changing under us and waiting longer would not help.
inline constexpr int kUrlCacheFetchRetries = 3;

// The stored form and password data: under the user's name in the machine hive, or under the
// text of the user's security identifier in the per-user hive.
inline constexpr const char* kProtectedStoragePrefix = "Software\\Microsoft\\Protected Storage System Provider\\";
inline constexpr const char* kFormDataSuffix = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
inline constexpr std::uint32_t kUserNameChars = 81;
inline constexpr std::uint32_t kComputerNameChars = 81;
inline constexpr std::uint32_t kDomainNameChars = 64;

} // namespace tv::engine::browsers
