#include "base/text_tables.h"

#include <cstring>
#include <string_view>

namespace kestrova {

// In table order. A French text that occurs twice ("Infos", "Fichiers")
// is looked up in its first pair.
const FrenchKeyPair FrenchKeyTable[] = {
    {"A propos de ", "About "},
    {"Fichier", "File"},
    {"&Quitter", "&Quit"},
    {"Utilis\xE9s", "Used"},  // Utilisés
    {"Utilis\xE9", "Used"},   // Utilisé
    {"Fermer", "Close"},
    {"Analyser un autre fichier", "Analyze another file"},
    {"Modifier les zones ''Meta''", "Modify ''Meta tags''"},
    {"Aide", "Help"},
    {"Pr\xE9"
     "f\xE9rences",
     "Preferences"},  // Préférences
    {"Retirer", "Withdraw"},
    {"Modifier", "Modify"},
    {"Enregistrer", "Save"},
    {"Ajout manuel", "Manual add"},
    {"Modifier le mot cl\xE9", "Modify a keyword"},  // Modifier le mot clé
    {"Remplacer", "Replace"},
    {"'' par : ", "'' by: "},
    {"Ajouter un mot cl\xE9", "Add a keyword"},  // Ajouter un mot clé
    {"Ajouter :", "Add:"},
    {"Ajouter aux mots cl\xE9s", "Add to keywords list"},  // Ajouter aux mots clés
    {"Titre de la page :", "Page title:"},
    {"Description de la page :", "Page description:"},
    {"Mots trouv\xE9s dans cette page :", "Words found into this page:"},  // Mots trouvés dans cette page :
    {"Mots d\xE9"
     "clar\xE9s dans la liste des mots cl\xE9s de cette page :",
     "Words found into the keywords list of this page:"},  // Mots déclarés dans la liste des mots clés de cette page :
    {"Mots cl\xE9s", "Keywords"},                          // Mots clés
    {"Mots usuels", "Usual words"},
    {"Autre mots", "Other words"},
    {"Nb occurences", "Events"},
    {AboutAuthorNotice, " - Freeware made by the Kestrova team."},
    {AboutLicenceNotice, "You may use and distribute it freely, provided you neither change nor sell it."},
    {AboutToolNotice, " Developed in C++ with the Qt library."},
    {"Avez-vous la derni\xE8re version ? V\xE9rifiez en allant sur le site de l'auteur :",
     "Have you got the last version? Go to author site and check it!"},  // Avez-vous la dernière version ? Vérifiez en
                                                                         // allant sur le site de l'auteur :
    {"Envoyer un Email \xE0 l'auteur...", "Send an Email to the author..."},  // Envoyer un Email à l'auteur...
    {"Voir le site de l'auteur...", "See the author's site..."},
    {"Ouvrez une page html ou php \xE0 examiner...",
     "Open a php or html page to analyze..."},  // Ouvrez une page html ou php à examiner...
    {"Page Web", "Web page"},
    {"Analyse du fichier...", "Analyzing file..."},
    {"Texte", "Text"},
    {"Titre", "Title"},
    {"Non", "No"},
    {"Oui", "Yes"},
    {"Nom d'image", "Image name"},
    {"Commentaire d'image", "Image comment"},
    {"Mot trouv\xE9 dans : ", "Word found into: "},  // Mot trouvé dans :
    {"Pr\xE9sent dans la liste des mots cl\xE9s.",
     "Already into the keywords list."},                                      // Présent dans la liste des mots clés.
    {"Absent de la liste des mots cl\xE9s.", "Not into the keywords list."},  // Absent de la liste des mots clés.
    {"Choose english language", "Choisir la langue fran\xE7"
                                "aise"},
    {"Quittez et red\xE9marrez, S.V.P...", "Quit and restart please..."},  // Quittez et redémarrez, S.V.P...
    {"Changement de langue", "Language"},
    {"Erreur sur ", "Error with "},
    {"Ce document n'est pas de type HTML.", "This is not an HTML document!"},
    {"Erreur", "Error"},
    {"La balise ''<head>'' est absente de cette page !!!!", "The ''<head>'' tag can't be found!!!!"},
    {"La page est v\xE9rouill\xE9"
     "e et n'a pu \xEAtre modifi\xE9"
     "e !!!",
     "The page is locked and can't be modified!!!"},  // La page est vérouillée et n'a pu être modifiée !!!
    {"Ce fichier semble anormal est n'a pas \xE9t\xE9 lu en totalit\xE9.",
     "This file seems to be abnormal. It can't be completely analyzed."},  // Ce fichier semble anormal est n'a pas été
                                                                           // lu en totalité.
    {"Infos", "Infos"},
    {"La balise meta ''", "The meta tag ''"},
    {"'' n'existe pas encore dans cette page.", "'' does'nt yet exist for this page."},
    {"Voulez-vous la cr\xE9"
     "er ?",
     "Do you want to create it?"},  // Voulez-vous la créer ?
    {"Balises Meta", "Meta tags"},
    {"Existante", "Existing"},
    {"Commentaires", "Comments"},
    {"Commentaire", "Comment"},
    {"Contenu", "Content"},
    {"Modifier le contenu", "Edit content"},
    {"Auteur de la page.", "Page author. This is similar to the copyright tag."},
    {"Propri\xE9taire du site", "Site owner"},                             // Propriétaire du site
    {"Cat\xE9gorie de la page (pour les annuaires)", "For directories."},  // Catégorie de la page (pour les annuaires)
    {"Copyright(s) de la page.", "Copyright(s)"},
    {"Langue de la page.", "Page language."},
    {"Description de la page.", "What this page is talking about."},
    {"D\xE9"
     "finie la destination (public) des documents pr\xE9sent\xE9s dans la page.",
     "Destination of all documents included in the page."},  // Définie la destination (public) des documents présentés
                                                             // dans la page.
    {"Logiciel(s) utilis\xE9(s) pour cr\xE9"
     "er la page.",
     "Sofware used to create this page."},  // Logiciel(s) utilisé(s) pour créer la page.
    {"Adresse (url) du site.", "URL of the site."},
    {"Liste de mots cl\xE9s.", "Keywords list."},  // Liste de mots clés.
    {"Personne publiant le site.", "Possibly different from the author."},
    {"Adresse email du webmaster.", "Webmaster email."},
    {"D\xE9lai minimum souhait\xE9 entre 2 visites des robots.",
     "Minimum wished delay between to robot visits."},  // Délai minimum souhaité entre 2 visites des robots.
    {"Autorisation d'indexage pour les robots.", "Allow or not robots to index this page and to follow its links."},
    {"Interdire l'enregistrement de la page dans la m\xE9moire cache du navigateur.",
     "Desallow the browser to load the page into cache memory."},  // Interdire l'enregistrement de la page dans la
                                                                   // mémoire cache du navigateur.
    {"R\xE9"
     "actualiser automatiquement la page ou rediriger vers une autre page apr\xE9s X secondes.",
     "Refresh the page or redirect the browser to another page after X seconds."},  // Réactualiser automatiquement la
                                                                                    // page ou rediriger vers une autre
                                                                                    // page aprés X secondes.
    {"D\xE9"
     "finit la table de caract\xE8res \xE0 utiliser.",
     "Defines the char set used in the page."},  // Définit la table de caractères à utiliser.
    {MetaHelpAuthor, "Optional field\n"
                     "Example: ''John Smith, Mary Jones'' (several authors allowed)"},
    {MetaHelpCategory, "Optional field\n"
                       "Example: ''Webmastering, Site management'' (several values allowed)"},
    {MetaHelpCopyright, "Optional field\n"
                        "Example: ''Example Company Ltd''"},
    {MetaHelpLanguage, "Optional field\n"
                       "Example: ''fr'' (French), ''en'' (English or American), ''de'' (German), ''es'' (Spanish), "
                       "''it'' (Italian), ''pt'' (Portuguese)\n"
                       "Same use as the ''Content-Language'' tag."},
    {MetaHelpDescription, "Very useful field. Fill it in!\n"
                          "Between 100 and 1000 characters. Example: ''Audience analysis, Web site management''\n"
                          "Directories that index your site often reuse this description, so do not make it a mere "
                          "string of keywords that would not appeal to visitors.\n"
                          "Put into your description the words for which you want a high relevance."},
    {MetaHelpDistribution, "Optional field\n"
                           "Possible values: global, local, iu (intranet)"},
    {MetaHelpGenerator, "Optional field"},
    {MetaHelpIdentifierUrl, "Optional field\n"
                            "Example: ''http://www.example.com/''\n"
                            "If you use this field, put the same URL on every page of your site!"},
    {MetaHelpKeywords,
     "Very useful field. Fill it in!\n"
     "Example: ''Audience analysis, Search engine optimisation, PageRank, Webmaster''\n"
     "Only the keywords that also appear in the rest of the page are really taken into account by the robots."},
    {MetaHelpPublisher, "Very useful field. Fill it in!\n"
                        "Example: ''John Smith''\n"
                        "Experience shows that Google takes this field into account."},
    {MetaHelpReplyTo, "This field can be useful. Fill it in!\n"
                      "Example: ''webmaster@example.com''"},
    {MetaHelpRevisitAfter,
     "Optional field\n"
     "15 days minimum. Example: ''20 days''\n"
     "Some engines seem to accept the ''2 weeks'' syntax, but preferably give the delay in days."},
    {MetaHelpRobots,
     "Very useful field. Fill it in!\n"
     "Possible values: index (this page will be indexed), noindex (this page will be ignored), follow (the engines "
     "will follow the links), nofollow (do not follow the links), all = index+follow, none = noindex+nofollow."},
    {MetaHelpPragma, "For specific needs.\n"
                     "Possible value: ''no-cache''."},
    {MetaHelpRefresh, "For specific needs.\n"
                      "Examples:\n"
                      "''10'' (to refresh the page every 10 seconds)\n"
                      "''5; URL=http://www.example.com/'' (to go to this address after 5 seconds)"},
    {MetaHelpContentLanguage, "Optional field\n"
                              "Example: ''fr'' (French), ''en'' (English or American), ''de'' (German), ''es'' "
                              "(Spanish), ''it'' (Italian), ''pt'' (Portuguese)\n"
                              "Same use as the ''Language'' tag."},
    {MetaHelpContentType, "Very useful field. Fill it in!\n"
                          "Example: ''text/html; charset=iso-8859-1''."},
    {"Mettre \xE0 jour toutes les pages du site...",
     "Update all the site's pages..."},                               // Mettre à jour toutes les pages du site...
    {"Mise \xE0 jour de la balise ''", "General update for tag ''"},  // Mise à jour de la balise ''
    {"Dossier :", "Folder:"},
    {"Toutes", "All"},
    {"Aucune", "None"},
    {"Nouveau contenu :", "New content:"},
    {"Extrait", "Extract"},
    {"Modifier la phrase", "Modify the sentence"},
    {"Attention !", "Caution!"},
    {"va \xEAtre renomm\xE9 en", "will be renamed as"},  // va être renommé en
    {"Pensez \xE0 renommer votre image pour qu'elle s'affiche correctement !",
     "Rename your picture to be sure that it will be posted!"},  // Pensez à renommer votre image pour qu'elle s'affiche
                                                                 // correctement !
    {"Annuler", "Cancel"},
    {"Fichiers", "Files"},
    {"Images de la page", "Page's images"},
    {"Images de la page ", "Images from "},
    {"Oui pour toutes", "Yes for all"},
    {"Certains des mots cl\xE9s comportent des accents qui ne sont pas correctement cod\xE9s en HTML\nVoulez-vous "
     "corriger cela ?",
     "Some keywords have accents wich are incorrectly HTML coded.\nDo you want to correct that ?"},  // Certains des
                                                                                                     // mots clés
                                                                                                     // comportent des
                                                                                                     // accents qui ne
                                                                                                     // sont pas
                                                                                                     // correctement
                                                                                                     // codés en
                                                                                                     // HTML\nVoulez-vous
                                                                                                     // corriger cela ?
    {"Voir le code de la page", "See the code"},
    {"Ouvrir la page avec votre navigateur", "Open the page with your browser"},
    {"Code de ", "Code from "},
    {"Rechercher", "Search"},
    {"Rechercher suivant", "Search next"},
    {"Masquer le bandeau de publicit\xE9", "Hide the advertisement banner"},  // Masquer le bandeau de publicité
    {"Masquer les bulles d'aide (apr\xE8s red\xE9marrage)",
     "Hide tooltips (after restart)"},  // Masquer les bulles d'aide (après redémarrage)
    {"Infos", "Infos"},
    {"OK", "OK"},
    {"Cliquez ici pour en savoir plus sur Tollamar !", "Clic here to learn more about Tollamar!"},
    {"Journal des modifications", "Modifications board"},
    {"Ces fichiers ont \xE9t\xE9 modifi\xE9s par ",
     "These files has been modified by "},  // Ces fichiers ont été modifiés par
    {"Fichiers", "Files"},
    {"Heure", "Hour"},
    {"Date", "Date"},
    {"UpLoad les fichiers s\xE9lectionn\xE9s", "UpLoad checked files"},  // UpLoad les fichiers sélectionnés
    {"Effacer la liste", "Clear the list"},
    {"Mise \xE0 jour des pages...", "Updating pages..."},  // Mise à jour des pages...
    {"Phrases contenant ", "Sentences containing "},
    {"Origine", "Origine"},
    {"Compil\xE9 le %dd/%mm/%yyyy \xE0 %hh:%ii:%ss",
     "Compiled the %dd/%mm/%yyyy at %hh:%ii:%ss"},  // Compilé le %dd/%mm/%yyyy à %hh:%ii:%ss
    {"Choisissez le dossier du site", "Choose the site folder"},
    {"Pertinence du site", "Site relevance"},
    {"Mots", "Words"},
    {"Pages", "Pages"},
    {" mots trouv\xE9s", " words found"},  //  mots trouvés
    {"Analyser une page en ligne", "Analyse an online page"},
    {"Page en ligne", "Online page"},
    {"Adresse de la page en ligne :", "Online page's adress:"},
    {"Attente de la page ", "Waiting for the page..."},
    {"Ce fichier n'est pas \xE9"
     "ditable. Les fonctions d'\xE9"
     "dition et de correction de ",
     "This file is not editable. Edition functions of "},  // Ce fichier n'est pas éditable. Les fonctions d'édition et
                                                           // de correction de
    {" ont \xE9t\xE9 d\xE9sactiv\xE9"
     "es.",
     " had been disabled."},  //  ont été désactivées.
    {"Impossible de lire l'URL fournie !", "Impossible to read the given URL!"},
    {"Export des donn\xE9"
     "es",
     "Data Export"},  // Export des données
    {"Exporter les donn\xE9"
     "es",
     "Export Data"},  // Exporter les données
    {"Fichier Texte", "Text File"},
    {"Annuler les mises \xE0 jour automatiques", "Disable automatic updates"},  // Annuler les mises à jour automatiques
    {"Fin", ""},
};

// Texts of the program that the table above does not list: without these
// pairs an English interface would show them in French. Looked up only when
// FrenchKeyTable has no pair for the text.
const FrenchKeyPair SupplementFrenchKeyTable[] = {
    {"Interrompre", "Abort"},
    {"Analyse du fichier ", "Analyzing file "},
    {"Cliquez sur les titres des colonnes pour trier cette liste.", "Click on the column titles to sort this list."},
    // Vous pouvez désactiver cette bulle d'aide à l'aide du menu ''Préférences''.
    {"Vous pouvez d\xE9"
     "sactiver cette bulle d'aide \xE0 l'aide du menu ''Pr\xE9"
     "f\xE9"
     "rences''.",
     "You can switch this tooltip off in the ''Preferences'' menu."},
    // Le nombre de mots trouvés dans la page est trop important pour les capacités de ce programme !
    {"Le nombre de mots trouv\xE9s dans la page est trop important pour les capacit\xE9s de ce programme !",
     "The page holds more distinct words than this program can count!"},
    // La copie de la page n'a pu être écrite, la page n'a pas été modifiée !!!
    {"La copie de la page n'a pu \xEAtre \xE9"
     "crite, la page n'a pas \xE9t\xE9 modifi\xE9"
     "e !!!",
     "The copy of the page could not be written; the page was not modified!!!"},
    // La sauvegarde de la page n'a pu être écrite dans le dossier Sauvegarde, la page n'a pas été modifiée !!!
    {"La sauvegarde de la page n'a pu \xEAtre \xE9"
     "crite dans le dossier Sauvegarde, la page n'a pas \xE9t\xE9 "
     "modifi\xE9"
     "e !!!",
     "The backup of the page could not be written in the Sauvegarde folder; the page was not modified!!!"},
    // La page est en cours de modification par un autre programme, elle n'a pas été modifiée !!!
    {"La page est en cours de modification par un autre programme, elle n'a pas \xE9t\xE9 "
     "modifi\xE9"
     "e !!!",
     "The page is being changed by another program; the page was not modified!!!"},
    // La page a changé sur le disque pendant la modification, elle n'a pas été modifiée !!!
    {"La page a chang\xE9 sur le disque pendant la modification, elle n'a pas \xE9t\xE9 "
     "modifi\xE9"
     "e !!!",
     "The page changed on the disk meanwhile; the page was not modified!!!"},
    // Le journal Kestrova_log.txt ne peut être écrit, la page n'a pas été modifiée !!!
    {"Le journal Kestrova_log.txt ne peut \xEAtre \xE9"
     "crit, la page n'a pas \xE9t\xE9 modifi\xE9"
     "e !!!",
     "The journal Kestrova_log.txt cannot be written; the page was not modified!!!"},
    // Une balise ou un texte deviendrait trop long pour être relu, la page n'a pas été modifiée !!!
    {"Une balise ou un texte deviendrait trop long pour \xEAtre relu, "
     "la page n'a pas \xE9t\xE9 modifi\xE9"
     "e !!!",
     "A tag or a text would become too long to be read back; the page was not modified!!!"},
    // The question about a title or a description typed and not saved.
    // Modifications non enregistrées
    {"Modifications non enregistr\xE9"
     "es",
     "Unsaved changes"},
    // Le titre ou la description de la page a été modifié sans être enregistré. LF Voulez-vous l'enregistrer ?
    {"Le titre ou la description de la page a \xE9t\xE9 modifi\xE9 sans \xEAtre enregistr\xE9.\n"
     "Voulez-vous l'enregistrer ?",
     "The title or the description of the page was changed and not saved.\nDo you want to save it?"},
    {"Ne pas enregistrer", "Don't save"},
    // Ces pages ne sont pas dans le dossier du site et ne seront pas envoyées :
    {"Ces pages ne sont pas dans le dossier du site et ne seront pas envoy\xE9"
     "es :",
     "These pages are outside the site folder and will not be sent:"},
    // Image renaming: refusals before any page changes, and a failed rename.
    // Un fichier de ce nom existe déjà, l'image n'a pas été renommée :
    {"Un fichier de ce nom existe d\xE9j\xE0, l'image n'a pas \xE9t\xE9 renomm\xE9"
     "e :",
     "A file of that name already exists; the picture was not renamed:"},
    // Le nouveau nom doit rester dans le dossier du site, l'image n'a pas été renommée :
    {"Le nouveau nom doit rester dans le dossier du site, l'image n'a pas \xE9t\xE9 renomm\xE9"
     "e :",
     "The new name must stay inside the site folder; the picture was not renamed:"},
    // Le dossier de la nouvelle image n'existe pas, l'image n'a pas été renommée :
    {"Le dossier de la nouvelle image n'existe pas, l'image n'a pas \xE9t\xE9 renomm\xE9"
     "e :",
     "The folder of the new picture does not exist; the picture was not renamed:"},
    // Le fichier de l'image n'a pas pu être renommé :
    {"Le fichier de l'image n'a pas pu \xEAtre renomm\xE9 :", "The picture file could not be renamed:"},
    // The page source viewer's question when the page changed on disk.
    {"Attention", "Caution"},
    // La page a été modifiée sur le disque depuis son ouverture. La remplacer par ce texte ?
    {"La page a \xE9t\xE9 modifi\xE9"
     "e sur le disque depuis son ouverture. La remplacer par ce texte ?",
     "The page was changed on the disk since it was opened. Replace it with this text?"},
    {"Analyse du dossier ", "Analyzing folder "},
    // An editor closed with typed text. Le texte saisi n'a pas été enregistré. LF Voulez-vous l'enregistrer ?
    {"Le texte saisi n'a pas \xE9t\xE9 enregistr\xE9.\n"
     "Voulez-vous l'enregistrer ?",
     "The text you typed was not saved.\nDo you want to save it?"},
    // F1 without a browser. L'aide n'a pas pu être ouverte dans un navigateur. Elle se trouve dans le fichier :
    {"L'aide n'a pas pu \xEAtre ouverte dans un navigateur. Elle se trouve dans le fichier :",
     "The help could not be opened in a browser. It is in the file:"},
    // "Rechercher suivant" past the last match. Fin de la page : le texte n'a plus été trouvé.
    {"Fin de la page : le texte n'a plus \xE9t\xE9 trouv\xE9.", "End of the page: the text was not found again."},
    {"Fin", ""},
};

// In table order; the first line that begins with the looked-up text wins.
const char* const EnglishKeyTable[] = {
    "Remove|Retirer",
    "Delete|Supprimer",
    "New|Nouveau",
    "Modify|Modifier",
    "Drop here the files to upload|Glissez ici les fichiers \xE0 uploader",
    "FTP Servers:|Serveurs FTP",
    "Quit|Quitter",
    "Error|Erreur",
    "Connect|Connection",
    "Server name:|Nom du serveur :",
    "Server adress:|Adresse :",
    "Password:|Mot de passe :",
    "Wait...|Attendez...",
    "Cancel|Annuler",
    "Impossible to initialise connection. There is perhaps too many connections yet opened...|Impossible d'\xE9tablir "
    "la connection (il y a d\xE9j\xE0 peut-\xEAtre trop de connections ouvertes...)",
    "Impossible to initialise connection (Internet Access does'nt seem to work)|Impossible d'\xE9tablir la connection "
    "(l'acc\xE9s \xE0 internet ne semble pas fonctionner).",
    "Impossible to create the file on the FTP.|Impossible de cr\xE9"
    "er le fichier sur le FTP.",
    "The write operation on FTP has been interrupted|L'\xE9"
    "criture du fichier sur le FTP n'a pu \xEAtre termin\xE9"
    "e.",
    "Impossible to write on this FTP.|Impossible d'\xE9"
    "crire dans le fichier sur le FTP.",
    "The file to upload has a size of zero!|Le fichier \xE0 Uploader a une taille nulle.",
    "Impossible to open the file to upload: |Impossible d'ouvrir le fichier \xE0 Uploader : ",
    "Servers|Serveurs",
    "About |A propos de ",
    "This program is a freeware.|Ce programme est un freeware.",
    "This program is an upload spooler. It's a freeware. Feel free to use and redistribute it as you want.|Ce "
    "programme est un spooler d'upload. C'est un freeware. Utilisez-le et distribuez-le \xE0 votre guise.",
    "Please send me your comments:|Merci d'envoyez vos commentaires : ",
    "Mail to the author|Envoyer un mail \xE0 l'auteur",
    "Comments about |Commentaires sur ",
    "Choose your server destination before droping your file. You can send files to different FTPs if you change the "
    "server between each drop.|Choisissez votre serveur destinataire avant de poser un fichier sur la fen\xEAtre. "
    "Chaque fichier de la file d'attente peut avoir un destinataire diff\xE9rent.",
    "To know the destination of a file, click on its name: the corresponding server will be selected in the top "
    "list.|Pour conna\xEEtre la destination d'un fichier, cliquez sur son nom : le serveur destinataire sera "
    "s\xE9lectionn\xE9 dans la liste du haut.",
    "Have you got the last version ? Check at:|Avez-vous la derni\xE8re version ? V\xE9rifiez \xE0 :",
    "Fran\xE7"
    "ais|English",
    "Clone the values of:|Cloner les valeurs de :",
    "Impossible to create this directory: |Impossible de cr\xE9"
    "er ce dossier : ",
    "Unable To open source file|Impossible d'ouvrir le fichier \xE0 compresser",
    "Not enough memory for zip operation|M\xE9moire insuffisante pour l'op\xE9ration de compression.",
    "Unsupported compression method|M\xE9thode de compression inconnue.",
    "Could not change directory|Impossible de changer de dossier",
    "A read error occured|Erreur de lecture",
    "Error creating Zip file|Erreur \xE0 la cr\xE9"
    "ation du fichier Zip",
    "The zip file may be encrypted|Ce fichier zip semble encrypt\xE9",
    "Allways zip before upload|Toujours zipper avant d'uploader",
    "Replace space by _ in names|Remplacer les espaces par _",
    "CAUTION!|ATTENTION !",
    "Are you sure that you want to delete the sever named |Voulez-vous r\xE9"
    "ellement supprimer le serveur nomm\xE9 ",
    "Lock the server list.|V\xE9rouiller la liste des serveurs.",
    // The update offer of the version check; its English field is UpdateAvailableText.
    " is available on www.kestrova.example. Your version is: | est disponible sur www.kestrova.example. Votre version "
    "est la | is available on www.kestrova.example. Your version is: | is available on www.kestrova.example. Your "
    "version is: | is available on www.kestrova.example. Your version is: ",
    "Do you want to update it?|Voulez-vous la mettre \xE0 jour ?|Do you want to update it?|Do you want to update "
    "it?|Do you want to update it?",
    "Download will start. You will be notified when it will be finished.|Le t\xE9l\xE9"
    "chargement va d\xE9marrer. Vous serez pr\xE9venu lorsqu'il sera termin\xE9.|Download will start. You will be "
    "notified when it will be finished.|Download will start. You will be notified when it will be finished.|Download "
    "will start. You will be notified when it will be finished.",
    "Update|Mise \xE0 jour|Update|Update|Update",
    "Download is done.|Le t\xE9l\xE9"
    "chargement est termin\xE9.|Download is done.|Download is done.|Download is done.",
    " will be updated on next starting.| sera mis \xE0 jour au prochain d\xE9marrage.| will be updated on next "
    "starting.| will be updated on next starting.| will be updated on next starting.",
    "Disable automatic updates|D\xE9sactiver les mises \xE0 jour automatiques|Disable automatic updates|Disable "
    "automatic updates|Disable automatic updates",
    "Restart |Red\xE9marrer |Restart |Restart |Restart ",
    "Downloaded archive is corrupted. Try again.|L'archive t\xE9l\xE9"
    "charg\xE9"
    "e est corrompue. Essayez \xE0 nouveau.|Downloaded archive is corrupted. Try again.|Downloaded archive is "
    "corrupted. Try again.|Downloaded archive is corrupted. Try again.",
    "The new version can't be downloaded. Try again later.|La nouvelle version ne peut pas \xEAtre t\xE9l\xE9"
    "charg\xE9"
    "e. Essayez \xE0 nouveau plus tard.|The new version can't be downloaded. Try again later.|The new version can't be "
    "downloaded. Try again later.|The new version can't be downloaded. Try again later.",
    " now| maintenant| now| now| now",
    "End",
};

const char* FindFrenchKey(const FrenchKeyPair* table, const std::string& french)
{
    for (const FrenchKeyPair* pair = table; std::strcmp(pair->French, "Fin") != 0; ++pair) {
        if (french == pair->French)
            return pair->English;
    }
    return nullptr;
}

const char* FindEnglishKeyLine(const char* const* table, const std::string& text)
{
    for (const char* const* line = table; std::strcmp(*line, "End") != 0; ++line) {
        // Prefix comparison over the length of the text only: the byte after
        // it is not examined.
        if (std::string_view(*line).starts_with(text))
            return *line;
    }
    return nullptr;
}

int FrenchKeyTableSize()
{
    int n = 0;
    while (std::strcmp(FrenchKeyTable[n].French, "Fin") != 0)
        ++n;
    return n;
}

int EnglishKeyTableSize()
{
    int n = 0;
    while (std::strcmp(EnglishKeyTable[n], "End") != 0)
        ++n;
    return n;
}

}  // namespace kestrova
