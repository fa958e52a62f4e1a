#include "ui/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "base/translate.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova::ui {

DialogHooks Dialogs;

namespace {

bool TakeNext(std::deque<std::string>& queue, std::string& answer)
{
    if (queue.empty())
        return false;
    answer = queue.front();
    queue.pop_front();
    return true;
}

}  // namespace

QString FileDialogFilter(const std::string& pattern)
{
    const QStringList parts = FromPage(pattern).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList globs = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& glob : globs) {
            glob = glob.trimmed();
            if (glob == QStringLiteral("*.*"))
                glob = QStringLiteral("*");
        }
        filters << parts[i].trimmed() + QStringLiteral(" (") + globs.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::string AskOpenFileName(QWidget* parent, const std::string& title, const std::string& defaultFile,
                            const std::string& pattern)
{
    Dialogs.LastTitle = title;
    std::string answer;
    if (TakeNext(Dialogs.NextFileNames, answer))
        return answer;
    return ToFileName(QFileDialog::getOpenFileName(UsableOwner(parent), FromPage(title), FromFileName(defaultFile),
                                                   FileDialogFilter(pattern)));
}

std::string AskSaveFileName(QWidget* parent, const std::string& title, const std::string& defaultFile,
                            const std::string& pattern)
{
    Dialogs.LastTitle = title;
    std::string answer;
    if (TakeNext(Dialogs.NextFileNames, answer))
        return answer;
    return ToFileName(QFileDialog::getSaveFileName(UsableOwner(parent), FromPage(title), FromFileName(defaultFile),
                                                   FileDialogFilter(pattern)));
}

std::string AskFolderName(QWidget* parent, const std::string& title, const std::string& initialFolder)
{
    Dialogs.LastTitle = title;
    std::string answer;
    if (TakeNext(Dialogs.NextFileNames, answer))
        return answer;
    return ToFileName(
        QFileDialog::getExistingDirectory(UsableOwner(parent), FromPage(title), FromFileName(initialFolder)));
}

std::string AskInput(QWidget* parent, const std::string& title, const std::string& prompt,
                     const std::string& defaultText)
{
    Dialogs.LastTitle = title;
    std::string answer;
    if (TakeNext(Dialogs.NextInputs, answer))
        return answer;
    bool ok = false;
    const QString text = QInputDialog::getText(UsableOwner(parent), FromPage(title), FromPage(prompt),
                                               QLineEdit::Normal, FromPage(defaultText), &ok);
    return ok ? ToPage(text) : std::string();
}

SaveChoice AskSaveDiscardCancel(QWidget* parent, const std::string& title, const std::string& text)
{
    Dialogs.LastTitle = title;
    Dialogs.LastQuestion = text;
    if (!Dialogs.NextSaveChoices.empty()) {
        const SaveChoice choice = Dialogs.NextSaveChoices.front();
        Dialogs.NextSaveChoices.pop_front();
        return choice;
    }
    QWidget* owner = UsableOwner(parent);
    QMessageBox box(QMessageBox::Warning, FromPage(title), FromPage(text), QMessageBox::NoButton, owner);
    box.setObjectName(QStringLiteral("SaveDiscardCancelQuestion"));
    QPushButton* save = box.addButton(Tr("Enregistrer"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(Tr("Ne pas enregistrer"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(Tr("Annuler"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    IgnoreHeldKeys(&box);
    box.exec();
    if (owner)
        IgnoreHeldKeys(owner->window());
    if (box.clickedButton() == save)
        return SaveChoice::Save;
    if (box.clickedButton() == discard)
        return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

}  // namespace kestrova::ui
