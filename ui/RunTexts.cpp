#include "ui/RunTexts.h"

namespace tv::ui {

namespace {

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " et " : ", ") + names[i];
    return text;
}

} // namespace

std::string closeBrowsersQuestion(const std::vector<std::string>& names) {
    const std::string nbsp = "\u00A0";
    if (names.size() == 1)
        return names.front() + " est ouvert et va être fermé pour être nettoyé.\rVoulez-vous continuer" + nbsp + "?";
    return "Ces navigateurs sont ouverts et vont être fermés pour être nettoyés" + nbsp + ": " + listed(names) +
           ".\rVoulez-vous continuer" + nbsp + "?";
}

} // namespace tv::ui
