// The two built-in translation tables of the interface.
//
// FrenchKeyTable pairs a French interface text with its English text; the
// pair whose French text is "Fin" ends it. EnglishKeyTable holds lines of
// "|"-separated fields (English, French, and on the update messages also
// Ukrainian, Russian and German); the line "End" ends it. All texts are
// Windows-1252 bytes. The lookups are in base/translate.h.
#pragma once

#include <string>

namespace kestrova {

struct FrenchKeyPair {
    const char* French;
    const char* English;
};

// 153 pairs followed by the ("Fin", "") pair.
extern const FrenchKeyPair FrenchKeyTable[];
// The program's own texts missing from FrenchKeyTable, same form; consulted
// after it.
extern const FrenchKeyPair SupplementFrenchKeyTable[];
// 57 lines followed by "End".
extern const char* const EnglishKeyTable[];

// Number of entries before the terminator.
int FrenchKeyTableSize();
int EnglishKeyTableSize();

// The English text of the first pair of `table` whose French text equals
// `french` byte for byte, or nullptr when the "Fin" pair comes first.
const char* FindFrenchKey(const FrenchKeyPair* table, const std::string& french);
// The first line of `table` that begins with `text`, or nullptr when the
// "End" line comes first.
const char* FindEnglishKeyLine(const char* const* table, const std::string& text);

// Texts that other windows show and that must match their table keys byte
// for byte, so they are defined once here.

// The three notices of the about window (French keys; the table gives the
// English). The first follows "Kestrova 1.37b", the third follows the second.
// " - Logiciel gratuit (freeware) réalisé par l'équipe Kestrova."
inline constexpr const char* AboutAuthorNotice = " - Logiciel gratuit (freeware) r\xE9"
                                                 "alis\xE9 par l'\xE9quipe Kestrova.";
inline constexpr const char* AboutLicenceNotice =
    "Vous pouvez l'utiliser et le distribuer librement, sans le modifier ni le vendre.";
// " Développé en C++ avec la bibliothèque Qt."
inline constexpr const char* AboutToolNotice = " D\xE9velopp\xE9 en C++ avec la biblioth\xE8que Qt.";

// The name of the program's web site, as the update offer shows it in every
// language.
inline constexpr const char* MakerSiteName = "www.kestrova.example";
// The English key of the version check's update offer, shown after
// "Kestrova " + version; the French text ends in "Votre version est la ".
// Both name the site as MakerSiteName.
inline constexpr const char* UpdateAvailableText = " is available on www.kestrova.example. Your version is: ";

// Help texts of the meta tags editor (French keys, LF line breaks, '' as
// quotation mark), one per catalogue entry; "Owner" shares the one of
// "Author".
inline constexpr const char* MetaHelpAuthor = "Zone non obligatoire\n"
                                              "Exemple : ''Jean Dupont, Marie Martin'' (plusieurs auteurs possibles)";
inline constexpr const char* MetaHelpCategory =
    "Zone non obligatoire\n"
    "Exemple : ''Webmastering, Gestion de sites'' (plusieurs valeurs possibles)";
inline constexpr const char* MetaHelpCopyright = "Zone non obligatoire\n"
                                                 "Exemple : ''Soci\xE9t\xE9 Exemple SARL''";
inline constexpr const char* MetaHelpLanguage = "Zone non obligatoire\n"
                                                "Exemple : ''fr'' (Fran\xE7"
                                                "ais), ''en'' (Anglais ou Am\xE9ricain), ''de'' (Allemand), ''es'' "
                                                "(Espagnol), ''it'' (Italien), ''pt'' (Portugais)\n"
                                                "Usage identique \xE0 celui de la balise''Content-Language''.";
inline constexpr const char* MetaHelpDescription =
    "Zone tr\xE9s utile. Compl\xE9tez-l\xE0 !\n"
    "Entre 100 et 1000 caract\xE8res. Exemple : ''Analyse d'audience, Gestion de sites Web''\n"
    "Cette description est fr\xE9quemment reprise par les annuaires qui indexent votre site. Evitez donc d'y faire "
    "figurer une suite de mots cl\xE9s sans attrait pour les internautes.\n"
    "Int\xE9grez dans votre description les mots pour lesquels vous souhaitez avoir une forte pertinence.";
inline constexpr const char* MetaHelpDistribution = "Zone non obligatoire\n"
                                                    "Valeurs possibles : global, local, iu (intranet)";
inline constexpr const char* MetaHelpGenerator = "Zone non obligatoire";
inline constexpr const char* MetaHelpIdentifierUrl =
    "Zone non obligatoire\n"
    "Exemple : ''http://www.example.com/''\n"
    "Si vous utilisez cette zone, mettez la m\xEAme URL sur toutes les pages de votre site !";
inline constexpr const char* MetaHelpKeywords =
    "Zone tr\xE9s utile. Compl\xE9tez-l\xE0 !\n"
    "Exemple : ''Analyse d'audience, R\xE9"
    "f\xE9rencement, PageRank, Webmaster''\n"
    "Seuls les mots cl\xE9s qui figurent dans le reste de la page seront r\xE9"
    "ellement pris en compte par les robots.";
inline constexpr const char* MetaHelpPublisher =
    "Zone tr\xE9s utile. Compl\xE9tez-l\xE0 !\n"
    "Exemple : ''Jean Dupont''\n"
    "L'exp\xE9rience d\xE9montre que cette zone est prise en compte par Google.";
inline constexpr const char* MetaHelpReplyTo = "Zone qui peut \xEAtre utile. Compl\xE9tez-l\xE0 !\n"
                                               "Exemple : ''webmaster@example.com''";
inline constexpr const char* MetaHelpRevisitAfter = "Zone non obligatoire\n"
                                                    "15 jours minimum. Exemple : ''20 days''\n"
                                                    "La syntaxe ''2 weeks'' semble accept\xE9"
                                                    "e par certains moteurs, mais indiquez de pr\xE9"
                                                    "f\xE9rence la dur\xE9"
                                                    "e en jours.";
inline constexpr const char* MetaHelpRobots =
    "Zone tr\xE9s utile. Compl\xE9tez-l\xE0 !\n"
    "Valeurs possibles : index (cette page sera index\xE9), noindex (cette page ne sera pas prise en compte), follow "
    "(les liens seront suivis par les moteurs), nofollow (ne pas suivre les liens), all = index+follow, none = "
    "noindex+nofollow.";
inline constexpr const char* MetaHelpPragma = "Correspond \xE0 des besoins sp\xE9"
                                              "cifiques.\n"
                                              "Valeur possible : ''no-cache''.";
inline constexpr const char* MetaHelpRefresh =
    "Correspond \xE0 des besoins sp\xE9"
    "cifiques.\n"
    "Exemples :\n"
    "''10'' (pour un rafraichissement toutes les 10 secondes)\n"
    "''5; URL=http://www.example.com/'' (pour une redirection vers cette adresse apr\xE9s 5 secondes)";
inline constexpr const char* MetaHelpContentLanguage = "Zone non obligatoire\n"
                                                       "Exemple : ''fr'' (Fran\xE7"
                                                       "ais), ''en'' (Anglais ou Am\xE9ricain), ''de'' (Allemand), "
                                                       "''es'' (Espagnol), ''it'' (Italien), ''pt'' (Portugais)\n"
                                                       "Usage identique \xE0 celui de la balise''Language''.";
inline constexpr const char* MetaHelpContentType = "Zone tr\xE9s utile. Compl\xE9tez-l\xE0 !\n"
                                                   "Exemple : ''text/html; charset=iso-8859-1''.";

}  // namespace kestrova
