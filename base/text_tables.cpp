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
     "Words found into the keywords list of this page:"},  // Mots déclarés dans la liste des mots clés de cette page
                                                           // :
    {"Mots cl\xE9s", "Keywords"},                          // Mots clés
    {"Mots usuels", "Usual words"},
    {"Autre mots", "Other words"},
    {"Nb occurences", "Events"},
    {AboutAuthorNotice, " - Freeware made by the Kestrova team."},
    {AboutLicenceNotice, "You may use and distribute it freely, provided you neither change nor sell it."},
    {AboutToolNotice, " Developed in C++ with the Qt library."},
    {"Avez-vous la derni\xE8re version ? V\xE9rifiez en allant sur le site de l'auteur :",
     "Have you got the last version? Go to author site and check it!"},  // Avez-vous la dernière version ? Vérifiez
                                                                         // en allant sur le site de l'auteur :
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
     "This file seems to be abnormal. It can't be completely analyzed."},  // Ce fichier semble anormal est n'a pas
                                                                           // été lu en totalité.
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
     "Destination of all documents included in the page."},  // Définie la destination (public) des documents
                                                             // présentés dans la page.
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
     "Rename your picture to be sure that it will be posted!"},  // Pensez à renommer votre image pour qu'elle
                                                                 // s'affiche correctement !
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
     "This file is not editable. Edition functions of "},  // Ce fichier n'est pas éditable. Les fonctions d'édition
                                                           // et de correction de
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
    {"Annuler les mises \xE0 jour automatiques",
     "Disable automatic updates"},  // Annuler les mises à jour automatiques
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
    // Mises à jour par le gestionnaire de paquets
    {"Mises \xE0 jour par le gestionnaire de paquets", "Updates come from the package manager"},
    // Site d'exemple
    {"Site d'exemple", "Sample site"},
    // Voulez-vous ouvrir le site d'exemple ? Une copie modifiable en est faite dans votre dossier personnel.
    {"Voulez-vous ouvrir le site d'exemple ? Une copie modifiable en est faite dans votre dossier personnel.",
     "Do you want to open the sample site? An editable copy of it is made in your home folder."},
    // Edits refused before anything changes, and the journal window's question.
    // Le nom de cette page contient un retour à la ligne, une tabulation ou un "|" que le journal ne peut
    // enregistrer, la page n'a pas été modifiée !!!
    {"Le nom de cette page contient un retour \xE0 la ligne, une tabulation ou un \"|\" que le journal ne peut "
     "enregistrer, la page n'a pas \xE9t\xE9 modifi\xE9"
     "e !!!",
     "The name of this page holds a line break, a tab or a \"|\" that the journal cannot record; the page was not "
     "modified!!!"},
    // Ce fichier appartient à Kestrova (page en ligne, dossier du programme), il n'a pas été modifié !!!
    {"Ce fichier appartient \xE0 Kestrova (page en ligne, dossier du programme), il n'a pas \xE9t\xE9 modifi\xE9 !!!",
     "This file belongs to Kestrova (online page, program folder); it was not modified!!!"},
    // Effacer toute la liste des fichiers modifiés ? Ces fichiers ne seront plus proposés à l'envoi.
    {"Effacer toute la liste des fichiers modifi\xE9s ? Ces fichiers ne seront plus propos\xE9s \xE0 l'envoi.",
     "Clear the whole list of changed files? These files will no longer be offered for upload."},
    // Ces pages ne peuvent être envoyées (nom illisible dans le journal, ou hors du dossier du site) :
    {"Ces pages ne peuvent \xEAtre envoy\xE9"
     "es (nom illisible dans le journal, ou hors du dossier du site) :",
     "These pages cannot be sent (a name the journal cannot hold, or outside the site folder):"},
    // Dossier sur le serveur :
    {"Dossier sur le serveur :", "Folder on the server:"},
    // Dossiers qui seront créés :
    {"Dossiers qui seront cr\xE9\xE9s :", "Folders that will be created:"},
    // The keyword relevance window and report.
    {"Pertinence des &mots cl\xE9s", "Keyword &relevance"},  // Pertinence des &mots cl�s
    {"Pertinence des mots cl\xE9s", "Keyword relevance"},    // Pertinence des mots cl�s
    {"Mot cl\xE9", "Keyword"},                               // Mot cl�
    {"Occurrences", "Occurrences"},
    {"Densit\xE9", "Density"},         // Densit�
    {"Pro\xE9minence", "Prominence"},  // Pro�minence
    {"Autres titres", "Other headings"},
    {"100 premiers mots", "First 100 words"},
    {"Textes alt", "Alt texts"},
    {"Nom du fichier", "File name"},
    {"Lisibilit\xE9", "Readability"},  // Lisibilit�
    {"phrases", "sentences"},
    {"mots", "words"},
    {"syllabes", "syllables"},
    {"Terme", "Term"},
    {"D\xE9"
     "clar\xE9",
     "Declared"},  // D�clar�
    {"non d\xE9"
     "clar\xE9",
     "not declared"},
    {"d\xE9"
     "clar\xE9",
     "declared"},
    // The site check's results window.
    {"Page", "Page"},  // non d�clar�
    {"oui", "yes"},
    {"non", "no"},
    {"Formes des mots", "Word forms"},
    {"faible", "low"},
    {"bonne", "good"},
    {"\xE9lev\xE9"
     "e",
     "high"},  // �lev�e
    {"excessive", "excessive"},
    {"tr\xE8s facile", "very easy"},  // tr�s facile
    {"facile", "easy"},
    {"assez facile", "fairly easy"},
    {"standard", "standard"},
    {"assez difficile", "fairly difficult"},
    {"difficile", "difficult"},
    {"tr\xE8s difficile", "very difficult"},  // tr�s difficile
    {"Lecture du site ", "Reading the site "},
    {"Termes qui distinguent la page du site (TF-IDF) :", "Terms that set the page apart from its site (TF-IDF):"},
    // Network failures, one sentence per kind (after "Impossible d'ouvrir ADRESSE : ").
    {"Impossible d'ouvrir ", "Unable to open "},
    // le serveur est introuvable (nom d'hôte inconnu).
    {"le serveur est introuvable (nom d'h\xF4te inconnu).", "the server cannot be found (unknown host name)."},
    // le serveur a refusé la connexion.
    {"le serveur a refus\xE9 la connexion.", "the server refused the connection."},
    // le serveur ne répond pas (délai dépassé).
    {"le serveur ne r\xE9pond pas (d\xE9lai d\xE9pass\xE9).", "the server does not answer (time-out)."},
    // le certificat du serveur est refusé.
    {"le certificat du serveur est refus\xE9.", "the server's certificate was refused."},
    // le serveur a répondu par l'erreur HTTP
    {"le serveur a r\xE9pondu par l'erreur HTTP ", "the server answered with the HTTP error "},
    {"le serveur refuse l'identifiant ou le mot de passe (530).",
     "the server refused the login or the password (530)."},
    // la page dépasse la taille maximale de
    {"la page d\xE9passe la taille maximale de ", "the page is larger than the limit of "},
    // octets (réglage MaxPageSize de Kestrova.prefs).
    {" octets (r\xE9glage MaxPageSize de Kestrova.prefs).", " bytes (setting MaxPageSize of Kestrova.prefs)."},
    // erreur réseau
    {"erreur r\xE9seau", "network error"},
    // La page contient un octet nul à la position N : l'analyse s'arrête là.
    {"La page contient un octet nul \xE0 la position ", "The page holds a zero byte at position "},
    {" : l'analyse s'arr\xEAte l\xE0.", ": the analysis stops there."},
    // La page a été lue, mais temp.htm ne peut pas être écrit dans DOSSIER
    {"La page a \xE9t\xE9 lue, mais temp.htm ne peut pas \xEAtre \xE9"
     "crit dans ",
     "The page was fetched, but temp.htm cannot be written in "},
    // Update check: refused lists and archives, and a failed installation.
    // La liste des versions reçue n'est pas valide.
    {"La liste des versions re\xE7ue n'est pas valide.", "The version list received is not valid."},
    // La liste des versions n'est pas signée : la mise à jour est refusée.
    {"La liste des versions n'est pas sign\xE9"
     "e : la mise \xE0 jour est refus\xE9"
     "e.",
     "The version list is not signed: the update is refused."},
    // L'archive dépasse 200 Mo une fois décompressée : la mise à jour est refusée.
    {"L'archive d\xE9passe 200 Mo une fois d\xE9"
     "compress\xE9"
     "e : la mise \xE0 jour est refus\xE9"
     "e.",
     "The archive expands to more than 200 MB: the update is refused."},
    // La mise à jour vers VERSION a échoué ; la version VERSION est conservée.
    {"La mise \xE0 jour vers ", "The update to "},
    {" a \xE9"
     "chou\xE9 ; la version ",
     " failed; version "},
    {" est conserv\xE9"
     "e.",
     " is kept."},
    // A piece of the page too long to be read was met where the edit needs the whole text.
    // Une balise ou un texte de cette page est trop long pour être lu, la page n'a pas été modifiée !!!
    {"Une balise ou un texte de cette page est trop long pour \xEAtre lu, la page n'a pas \xE9t\xE9 "
     "modifi\xE9"
     "e !!!",
     "A tag or a text of this page is too long to be read; the page was not modified!!!"},
    // Site scan: a folder of the system, and the pages and folders that could not be read.
    // Ce dossier appartient au système et ne contient pas de pages :
    {"Ce dossier appartient au syst\xE8me et ne contient pas de pages :",
     "This folder belongs to the system and holds no pages:"},
    // Ces pages ou dossiers n'ont pas pu être lus :
    {"Ces pages ou dossiers n'ont pas pu \xEAtre lus :", "These pages or folders could not be read:"},
    // The site check.
    {"Pas de titre, ou un titre vide", "No title, or an empty one"},
    {"Plus d'une balise title", "More than one title tag"},
    // Titre de moins de %1 caractères
    {"Titre de moins de %1 caract\xE8res", "Title under %1 characters"},
    // Titre de plus de %1 caractères
    {"Titre de plus de %1 caract\xE8res", "Title over %1 characters"},
    // Le même titre sur plusieurs pages
    {"Le m\xEAme titre sur plusieurs pages", "The same title on several pages"},
    {"Pas de balise meta description, ou une description vide", "No description meta tag, or an empty one"},
    {"Plus d'une description", "More than one description"},
    // Description de moins de %1 caractères
    {"Description de moins de %1 caract\xE8res", "Description under %1 characters"},
    // Description de plus de %1 caractères
    {"Description de plus de %1 caract\xE8res", "Description over %1 characters"},
    // La même description sur plusieurs pages
    {"La m\xEAme description sur plusieurs pages", "The same description on several pages"},
    {"Pas de titre h1", "No h1 heading"},
    {"Plus d'un titre h1", "More than one h1 heading"},
    // Un titre de plus d'un niveau sous le précédent (h2 puis h4)
    {"Un titre de plus d'un niveau sous le pr\xE9"
     "c\xE9"
     "dent (h2 puis h4)",
     "A heading more than one level below the previous one (h2 then h4)"},
    // Une image sans attribut alt (alt="" marque une image décorative)
    {"Une image sans attribut alt (alt=\"\" marque une image d\xE9"
     "corative)",
     "An image with no alt attribute (alt=\"\" marks a decorative image)"},
    {"Une image locale dont le fichier n'existe pas", "A local image reference that resolves to no file"},
    {"Un lien local vers un fichier qui n'existe pas", "A local link that resolves to no file"},
    {"Un lien \"page#id\" vers une page sans cet id ni ce name",
     "A local link \"page#id\" whose page has no such id or name"},
    {"href=\"\" ou href=\"#\"", "href=\"\" or href=\"#\""},
    {"Un lien ou une image vers localhost, 127.0.0.1 ou file:", "A link or image to localhost, 127.0.0.1 or file:"},
    {"La balise html n'a pas d'attribut lang", "The html tag has no lang attribute"},
    // Un codage déclaré que les octets ne suivent pas, ou des octets non ASCII sans codage déclaré
    {"Un codage d\xE9"
     "clar\xE9 que les octets ne suivent pas, ou des octets non ASCII sans codage d\xE9"
     "clar\xE9",
     "A declared charset the bytes do not follow, or non-ASCII bytes with none declared"},
    {"Pas de balise meta viewport", "No viewport meta tag"},
    {"Plus d'un lien canonical", "More than one canonical link"},
    // La page demande à ne pas être indexée
    {"La page demande \xE0 ne pas \xEAtre index\xE9"
     "e",
     "The page asks not to be indexed"},
    {"Une balise meta refresh", "A refresh meta tag"},
    {"Texte provisoire dans le titre, la description ou le h1",
     "Placeholder text in the title, the description or the h1"},
    {"Moins de %1 mots de texte visible", "Fewer than %1 words of visible text"},
    {"Aucune autre page du site n'a de lien vers elle", "No other page of the site links to it"},
    // Un mot clé déclaré que la page n'utilise pas
    {"Un mot cl\xE9 d\xE9"
     "clar\xE9 que la page n'utilise pas",
     "A declared keyword that the page never uses"},
    // Aucun des mots clés n'est dans le titre
    {"Aucun des mots cl\xE9s n'est dans le titre", "None of the declared keywords appears in the title"},
    // Aucun des mots clés n'est dans la description
    {"Aucun des mots cl\xE9s n'est dans la description", "None of the declared keywords appears in the description"},
    // Un mot clé fait plus de %1 % des mots
    {"Un mot cl\xE9 fait plus de %1 % des mots", "A declared keyword over %1 % of the words"},
    // Plusieurs pages déclarent le même premier mot clé
    {"Plusieurs pages d\xE9"
     "clarent le m\xEAme premier mot cl\xE9",
     "Several pages declare the same first keyword"},
    {"La page n'a pas de titre", "The page has no title"},
    // Titre trop court : %1 caractères (au moins %2)
    {"Titre trop court : %1 caract\xE8res (au moins %2)", "Title too short: %1 characters (at least %2)"},
    // Titre trop long : %1 caractères (au plus %2)
    {"Titre trop long : %1 caract\xE8res (au plus %2)", "Title too long: %1 characters (at most %2)"},
    {"La page a %1 balises title", "The page has %1 title tags"},
    {"La page n'a pas de description", "The page has no description"},
    // Description trop courte : %1 caractères (au moins %2)
    {"Description trop courte : %1 caract\xE8res (au moins %2)", "Description too short: %1 characters (at least %2)"},
    // Description trop longue : %1 caractères (au plus %2)
    {"Description trop longue : %1 caract\xE8res (au plus %2)", "Description too long: %1 characters (at most %2)"},
    {"La page a %1 descriptions", "The page has %1 descriptions"},
    // Titre h%1 après h%2 : un niveau est sauté
    {"Titre h%1 apr\xE8s h%2 : un niveau est saut\xE9", "Heading h%1 after h%2: a level is skipped"},
    {"La page n'a pas de titre h1", "The page has no h1 heading"},
    {"La page a %1 titres h1", "The page has %1 h1 headings"},
    {"le titre", "the title"},
    {"la description", "the description"},
    {"le titre h1", "the h1 heading"},
    {"Texte provisoire \"%1\" dans %2", "Placeholder text \"%1\" in %2"},
    {"Peu de texte : %1 mots (au moins %2)", "Thin content: %1 words (at least %2)"},
    // Les octets de la page ne suivent pas le codage déclaré (%1)
    {"Les octets de la page ne suivent pas le codage d\xE9"
     "clar\xE9 (%1)",
     "The page's bytes do not follow the declared charset (%1)"},
    // Caractères non ASCII sans codage déclaré
    {"Caract\xE8res non ASCII sans codage d\xE9"
     "clar\xE9",
     "Non-ASCII characters with no charset declared"},
    {"La page n'a pas de balise meta viewport", "The page has no viewport meta tag"},
    {"La page a %1 liens canonical", "The page has %1 canonical links"},
    {"Balise meta refresh", "Refresh meta tag"},
    {"Image sans texte alternatif : %1", "Image without alternative text: %1"},
    {"Adresse de cette machine seulement : %1", "Address of this machine only: %1"},
    {"Fichier image introuvable : %1", "Image file not found: %1"},
    {"Lien vide", "Empty link"},
    {"Lien vers une ancre absente : %1", "Link to a missing anchor: %1"},
    {"Lien vers un fichier introuvable : %1", "Link to a missing file: %1"},
    // Mot clé absent de la page : %1
    {"Mot cl\xE9 absent de la page : %1", "Keyword not used in the page: %1"},
    // Aucun mot clé dans le titre
    {"Aucun mot cl\xE9 dans le titre", "No keyword in the title"},
    // Aucun mot clé dans la description
    {"Aucun mot cl\xE9 dans la description", "No keyword in the description"},
    // Mot clé trop répété : %1 (%2 % des mots, au plus %3 %)
    {"Mot cl\xE9 trop r\xE9p\xE9t\xE9 : %1 (%2 % des mots, au plus %3 %)",
     "Keyword overused: %1 (%2 % of the words, at most %3 %)"},
    // Même titre que : %1
    {"M\xEAme titre que : %1", "Same title as: %1"},
    // Même description que : %1
    {"M\xEAme description que : %1", "Same description as: %1"},
    // Même premier mot clé que : %1
    {"M\xEAme premier mot cl\xE9 que : %1", "Same first keyword as: %1"},
    {"Aucune autre page du site n'a de lien vers cette page", "No other page of the site links to this page"},
    {"%1 erreur(s), %2 avertissement(s), %3 remarque(s) sur %4 page(s)",
     "%1 error(s), %2 warning(s), %3 notice(s) in %4 page(s)"},
    // &Vérifier le site…
    {"&V\xE9rifier le site\x85", "&Check the site\x85"},
    // Vérification du site
    {"V\xE9rification du site", "Site check"},
    {"erreur", "error"},
    {"avertissement", "warning"},
    {"remarque", "notice"},
    // Gravité
    {"Gravit\xE9", "Severity"},
    // Règle
    {"R\xE8gle", "Rule"},
    {"Ligne", "Line"},
    {"Message", "Message"},
    {"Erreurs (%1)", "Errors (%1)"},
    {"Avertissements (%1)", "Warnings (%1)"},
    {"Remarques (%1)", "Notices (%1)"},
    {"Exporter", "Export"},
    // Exporter les résultats
    {"Exporter les r\xE9sultats", "Export the results"},
    // Les résultats n'ont pu être écrits dans
    {"Les r\xE9sultats n'ont pu \xEAtre \xE9"
     "crits dans ",
     "The results could not be written to "},
    // Configuration de la vérification incorrecte :
    {"Configuration de la v\xE9rification incorrecte : ", "Bad check configuration: "},
    // Ce dossier ne peut pas être lu :
    {"Ce dossier ne peut pas \xEAtre lu : ", "This folder cannot be read: "},
    {"Ces pages ont des erreurs :", "These pages have errors:"},
    // Envoyer quand même ?
    {"Envoyer quand m\xEAme ?", "Send anyway?"},
    // End of the site check.
    // The page's history and undo.
    {"Annuler la derni\xE8re modification", "Undo the last change"},
    {"Historique de la page", "Page history"},
    {"Restaurer", "Restore"},
    {"N\xB0", "No."},
    {"Action", "Action"},
    {"Taille", "Size"},
    {"Cette version ne peut \xEAtre lue.", "This version cannot be read."},
    {"La page est identique \xE0 cette version.", "The page is the same as this version."},
    {"Cette page n'a pas encore d'historique.", "This page has no history yet."},
    {"Voulez-vous remettre cette version quand m\xEAme ?", "Do you want to restore this version all the same?"},
    {"La page est d\xE9j\xE0 dans cette version.", "The page already is this version."},
    {"Il n'y a aucune modification \xE0 annuler pour cette page.", "There is no change of this page to undo."},
    {"Cette version n'est pas dans l'historique de la page.", "This version is not in the page's history."},
    {"La page a \xE9t\xE9 modifi\xE9"
     "e par un autre programme depuis la derni\xE8re modification de Kestrova, l'annulation est refus\xE9"
     "e !!!",
     "The page was changed by another program since Kestrova's last change; the undo is refused!!!"},
    {"(inchang\xE9"
     "e)",
     "(unchanged)"},
    {"Cette page ne changera pas.", "This page will not change."},
    {"L'annulation a \xE9"
     "chou\xE9"
     "e, la page n'a pas \xE9t\xE9 modifi\xE9"
     "e !!!",
     "The undo failed; the page was not modified!!!"},
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
