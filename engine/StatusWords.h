#pragma once
// The words a cleaner hands back for the status label.

namespace tv::engine {
inline constexpr const char* kCleaned = "Nettoyé";
inline constexpr const char* kNotPresent = "Non présent sur le système";
inline constexpr const char* kImpossible = "Nettoyage impossible";
inline constexpr const char* kPathError = "erreur";
} // namespace tv::engine
