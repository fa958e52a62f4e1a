#include "app/info_window.h"

#include "base/app_state.h"
#include "base/translate.h"
#include "base/ui_port.h"

namespace kestrova {

std::string InfoMessageText()
{
    // The names of the journal and of the site statistics are those of their
    // menu items in the interface language.
    const std::string journal = TranslateFrenchKey("Journal des modifications");
    const std::string siteStats = TranslateFrenchKey("Pertinence du site");
    if (App.Language == LanguageFrench) {
        return std::string(
                   // "Kestrova est conçu pour travailler sur une copie de votre site
                   // située sur votre disque dur."
                   "Kestrova est con\xE7u pour travailler sur une copie de votre site situ\xE9"
                   "e "
                   "sur votre disque dur.\n"
                   "A chaque d\xE9marrage, Kestrova vous demande d'ouvrir ce dossier et de choisir "
                   "le fichier sur lequel vous souhaitez travailler.\n"
                   "Une fois votre site optimis\xE9, la liste des fichiers modifi\xE9s est "
                   "r\xE9"
                   "capitul\xE9"
                   "e dans le journal des modifications (menu \"") +
               journal +
               "\"). Ce sont ces fichiers qu'il faut copier sur votre site FTP pour le mettre "
               "\xE0 jour.\n\n"
               "REMARQUE SPECIALE POUR LES SITES DYNAMIQUES\n"
               "Kestrova sait maintenant analyser des pages en ligne, mais la fonction \"" +
               siteStats +
               "\", qui porte sur toutes les pages d'un site, ne fonctionne pas sur un site en "
               "ligne. La solution consiste \xE0 faire une copie locale de votre site, telle que "
               "la voient les robots des moteurs de recherche, avec un outil de copie de sites "
               "hors ligne, par exemple wget (commande : wget --mirror --convert-links "
               "http://www.example.com/).";
    }
    return "Kestrova is designed to work on a copy of your site located on your local disk.\n"
           "At each start, Kestrova asks you to open this folder and to choose the file you "
           "want to work on.\n"
           "Once your site is optimised, the list of the modified files is summed up in the "
           "modification journal (menu \"" +
           journal +
           "\"). These are the files to copy to your FTP site to update it.\n\n"
           "SPECIAL NOTE FOR DYNAMIC WEB SITES\n"
           "Kestrova can now analyse online pages, but the site-wide function \"" +
           siteStats +
           "\" does not work on an online site. The solution is to make a local copy of your "
           "site, as search-engine robots see it, with an offline site-copying tool such as "
           "wget (command: wget --mirror --convert-links http://www.example.com/).";
}

void ShowInfoMessage()
{
    ui::Ui().ShowMessage(0, TranslateFrenchKey("Infos"), InfoMessageText());
}

}  // namespace kestrova
