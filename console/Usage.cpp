#include "console/Usage.h"

#include "console/TaskKeys.h"
#include "console/Words.h"

namespace tv::console {

namespace {

// The usage, with "\n" for the line ends and "~" for the no-break spaces of French typography.
constexpr const char* kUsage = R"(Tarmel Veilo sans fenêtre~: nettoyage, aperçu et tâche planifiée.

Utilisation~:
  TarmVeilonCmd list
  TarmVeilonCmd preview TÂCHE... [--json] [--log FICHIER]
  TarmVeilonCmd clean TÂCHE... [--close-browsers] [--json] [--log FICHIER]
  TarmVeilonCmd schedule daily HH:MM TÂCHE... [--close-browsers] [--log FICHIER]
  TarmVeilonCmd schedule logon TÂCHE... [--close-browsers] [--log FICHIER]
  TarmVeilonCmd schedule show
  TarmVeilonCmd schedule remove

  list      les tâches et les groupes, avec leur nom
  preview   ce que le nettoyage effacerait, lieu par lieu~; rien n'est effacé
  clean     le nettoyage, tâche après tâche, puis ce qui est resté et pourquoi
  schedule  la tâche «~Tarmel Veilo~» du Planificateur de tâches, qui lance clean
            chaque jour à HH:MM (daily) ou à l'ouverture de session (logon)~;
            show la montre, remove l'enlève

TÂCHE~: internet-files cookies history typed-urls form-data recent-docs run-history
        media-player temp office recycle-bin, ou un groupe~: internet windows all

  --close-browsers  ferme les navigateurs ouverts et les fenêtres d'Internet Explorer,
                    comme un «~Oui~» dans la fenêtre~; sans elle, un navigateur ouvert
                    n'est pas touché et le compte rendu le nomme
  --json            le compte rendu en un objet JSON
  --log FICHIER     ajoute le compte rendu à FICHIER, avec la date, l'heure et la commande
  --help, -h, /?    cette aide
  /json, /log...    «~/~» vaut «~--~»

Code de sortie~: 0 tout est fait (ou l'aperçu a abouti), 1 quelque chose est resté,
2 erreur d'utilisation, 3 pas lancé (un autre nettoyage en cours, un service refusé),
4 une erreur a arrêté le nettoyage.
)";

std::string withTypography(const char* text) {
    std::string result;
    for (const char* at = text; *at; ++at) {
        if (*at == '~')
            result += "\u00A0";
        else if (*at == '\n')
            result += kLineEnd;
        else
            result += *at;
    }
    return result;
}

} // namespace

std::string usageText() { return withTypography(kUsage); }

std::string taskListText() {
    std::string text;
    for (std::size_t task = 0; task < engine::kTaskCount; ++task) {
        std::string key = kTaskKeys[task];
        key.resize(16, ' ');
        text += key + taskName(task) + kLineEnd;
    }
    text += kLineEnd;
    for (const GroupKey& group : kGroupKeys) {
        std::string key = group.key;
        key.resize(16, ' ');
        std::vector<std::string> members;
        for (std::size_t task = group.group.first; task <= group.group.last; ++task) members.emplace_back(kTaskKeys[task]);
        text += key + commandLineText(members) + kLineEnd;
    }
    return text;
}

} // namespace tv::console
