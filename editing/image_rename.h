// Renaming an image: the reference in the current page, the same image in
// the pages the user chooses, and the file on disk. Texts are Windows-1252;
// file paths are file-system bytes.
#pragma once

#include <functional>
#include <string>

#include "base/ui_port.h"

namespace kestrova {

// Asks which pages of the site to change: message describes the change,
// imageFile is the picture to show beside it ("" for none). Returns the chosen
// page paths, each followed by CR; "" when cancelled or none chosen.
using SitePageChooser = std::function<std::string(const std::string& message, const std::string& imageFile)>;

// Texts of the refusals and of a failed rename (French keys).
inline constexpr char RenameTargetExists[] = "Un fichier de ce nom existe d\xE9j\xE0, l'image n'a pas \xE9t\xE9 "
                                             "renomm\xE9"
                                             "e :";
inline constexpr char RenameOutsideSite[] = "Le nouveau nom doit rester dans le dossier du site, l'image n'a pas "
                                            "\xE9t\xE9 renomm\xE9"
                                            "e :";
inline constexpr char RenameNoFolder[] = "Le dossier de la nouvelle image n'existe pas, l'image n'a pas \xE9t\xE9 "
                                         "renomm\xE9"
                                         "e :";
inline constexpr char RenameFailed[] = "Le fichier de l'image n'a pas pu \xEAtre renomm\xE9 :";
inline constexpr char RenameReminder[] = "Pensez \xE0 renommer votre image pour qu'elle s'affiche correctement !";

// Renames the image referred to as OldSrc to NewSrc, starting at the first
// reference after Edit.LastMatchPosition in the current page that names the
// same file as OldSrc. In the current page that reference becomes NewSrc as
// typed. Then chooseSite is asked (with the thumbnail of the old file); in
// every chosen page, every reference naming the same file is rewritten in
// that page's own relative form (full addresses are compared and written as
// typed). When pages were chosen and the old file exists, it is renamed.
//
// Refused with a message before any page changes: a NewSrc that is an
// absolute path or a local file outside siteFolder (the folder of the current
// page when empty) and outside the old file's folder; a NewSrc whose folder
// does not exist. A NewSrc naming a file that already exists while the old
// file exists re-points the references and keeps both files, with a message
// that the image was not renamed. A failed rename is reported.
//
// Returns 0 (nothing replaced in the current page, or refused), 1 (the
// reference was replaced in the current page) or 2 (the current page was
// also among the chosen pages and changed there).
struct RenameReport {
    bool Refused = false;       // refused before any change (message shown)
    bool FileRenamed = false;   // the old file now has the new name
    bool RenameFailed = false;  // the file rename was tried and failed (message shown)
    // The new name was already a file: the references now name it, both
    // files are kept, and a message said the image was not renamed.
    bool TargetKept = false;
};
int RenameImage(ui::WindowId owner, const std::string& NewSrc, const std::string& OldSrc,
                const SitePageChooser& chooseSite, const std::string& siteFolder = "", RenameReport* report = nullptr);

}  // namespace kestrova
