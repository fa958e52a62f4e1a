#include "app/typed_text_guard.h"

#include <QDialog>
#include <utility>

#include "base/translate.h"
#include "ui/dialogs.h"
#include "ui/window_helpers.h"

namespace kestrova {

void AskBeforeClosingWithTypedText(QDialog* window, std::function<bool()> hasTypedText, std::function<void()> save)
{
    ui::SetCloseRequestHandler(window, [window, hasTypedText = std::move(hasTypedText), save = std::move(save)] {
        if (!hasTypedText()) {
            window->done(QDialog::Rejected);
            return;
        }
        // "Modifications non enregistrées"; "Le texte saisi n'a pas été
        // enregistré." LF "Voulez-vous l'enregistrer ?"
        const ui::SaveChoice choice =
            ui::AskSaveDiscardCancel(window,
                                     TranslateFrenchKey("Modifications non enregistr\xE9"
                                                        "es"),
                                     TranslateFrenchKey("Le texte saisi n'a pas \xE9t\xE9 enregistr\xE9.\n"
                                                        "Voulez-vous l'enregistrer ?"));
        if (choice == ui::SaveChoice::Cancel)
            return;
        if (choice == ui::SaveChoice::Save) {
            save();
            if (hasTypedText())
                return;
        }
        window->done(QDialog::Rejected);
    });
}

}  // namespace kestrova
