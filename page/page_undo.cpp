#include "page/page_undo.h"

#include "base/file_io.h"
#include "page/page_change.h"
#include "page/page_history.h"

namespace kestrova {

UndoOutcome UndoPageChange(const std::string& pagePath, int number, bool force, ui::WindowId owner, bool reportErrors)
{
    const std::vector<HistoryVersion> history = PageHistory(pagePath);
    const HistoryVersion* target = nullptr;
    if (number <= 0) {
        target = UndoTarget(history);
        if (target == nullptr)
            return UndoOutcome::NothingToUndo;
    } else {
        for (const HistoryVersion& version : history)
            if (version.Number == number)
                target = &version;
        if (target == nullptr)
            return UndoOutcome::NoSuchVersion;
    }
    std::string content;
    if (!ReadHistoryVersion(*target, content))
        return UndoOutcome::Failed;

    ChangeActionScope action(history_action::Undo, true);
    PageChange change(pagePath, owner, reportErrors);
    if (!change.Begin())
        return UndoOutcome::Failed;
    // Checked under the page's lock: the page Kestrova last wrote, or any
    // page when forced.
    std::uint64_t now = 0;
    if (!FileContentHash(change.SourceFd(), now)) {
        change.Abandon(ChangeOutcome::Failed);
        return UndoOutcome::Failed;
    }
    if (!force && !history.empty() && now != history.front().After) {
        change.Abandon(ChangeOutcome::Failed);
        return UndoOutcome::ChangedOutside;
    }
    if (now == ContentHash(content)) {
        change.Abandon(ChangeOutcome::Unchanged);
        return UndoOutcome::Unchanged;
    }
    const int copy = change.NewCopy();
    if (copy < 0 || !WriteAll(copy, content)) {
        change.Abandon(ChangeOutcome::Failed);
        return UndoOutcome::Failed;
    }
    change.StageCopy();
    // A plain undo steps back: the next one goes further. Restoring a
    // chosen version is a change like any other, which a plain undo takes
    // back.
    if (number <= 0)
        change.SetRestoredVersion(target->Serial);
    return change.Commit() ? UndoOutcome::Restored : UndoOutcome::Failed;
}

std::string UndoOutcomeText(UndoOutcome outcome)
{
    switch (outcome) {
        case UndoOutcome::Restored:
            return std::string();
        case UndoOutcome::Unchanged:
            return "La page est d\xE9j\xE0 dans cette version.";
        case UndoOutcome::NothingToUndo:
            return "Il n'y a aucune modification \xE0 annuler pour cette page.";
        case UndoOutcome::NoSuchVersion:
            return "Cette version n'est pas dans l'historique de la page.";
        case UndoOutcome::ChangedOutside:
            return "La page a \xE9t\xE9 modifi\xE9"
                   "e par un autre programme depuis la derni\xE8re modification de Kestrova, "
                   "l'annulation est refus\xE9"
                   "e !!!";
        case UndoOutcome::Failed:
            return "L'annulation a \xE9"
                   "chou\xE9"
                   "e, la page n'a pas \xE9t\xE9 modifi\xE9"
                   "e !!!";
    }
    return std::string();
}

}  // namespace kestrova
