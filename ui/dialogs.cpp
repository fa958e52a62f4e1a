#include "ui/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QStringList>

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

}  // namespace kestrova::ui
