#include "app/page_source_viewer.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <vector>

#include "app/typed_text_guard.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "base/unicode_text.h"
#include "page/journal.h"
#include "page/page_encoding.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "site/page_source.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// Whether the editor holds a UTF-8 page (see ShowPageSource).
bool HoldsUtf8Page(QPlainTextEdit* editor)
{
    return editor->property("utf8Page").toBool();
}

// The editor's text with "\n" between lines. (The document's raw text keeps
// non-breaking spaces, which its plain text would turn into spaces.)
QString EditorRawText(QPlainTextEdit* editor)
{
    QString raw = editor->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    raw.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return raw;
}

// The editor's text as the page's bytes with "\n" between lines: UTF-8 for
// a UTF-8 page, else Windows-1252, one byte per character, as positions in
// the editor count them.
std::string EditorText(QPlainTextEdit* editor)
{
    const std::string utf8 = EditorRawText(editor).toStdString();
    if (!HoldsUtf8Page(editor))
        return Utf8ToCp1252Lossy(utf8);
    // The byte-order mark is kept out of the editor, and put back.
    return editor->property("byteOrderMark").toBool() ? std::string(Utf8ByteOrderMark) + utf8 : utf8;
}

// The search text (page text) as the dialog takes it from the user.
std::string SearchTextOf(QPlainTextEdit* editor, const QString& typed)
{
    std::string text;
    if (HoldsUtf8Page(editor) && TypedTextToPage(typed.toStdString(), true, text))
        return text;
    return ui::ToPage(typed);
}

// The first occurrence of what (page text) at or after from, compared
// without case: its position in the editor and, in length, its length there;
// std::string::npos when none. A Windows-1252 page is searched by its own
// case rules, a UTF-8 page by Unicode's.
std::size_t FindInEditor(QPlainTextEdit* editor, const std::string& what, std::size_t from, std::size_t& length)
{
    if (!HoldsUtf8Page(editor)) {
        length = what.size();
        return FindNoCase(EditorText(editor), what, from);
    }
    const QString needle = ui::FromPage(what);
    const QString text = EditorRawText(editor);
    length = static_cast<std::size_t>(needle.size());
    if (needle.isEmpty() || from > static_cast<std::size_t>(text.size()))
        return std::string::npos;
    const qsizetype found = text.indexOf(needle, static_cast<qsizetype>(from), Qt::CaseInsensitive);
    return found < 0 ? std::string::npos : static_cast<std::size_t>(found);
}

// Selects what was found at position (0-based) and gives the editor the focus.
void SelectFound(QPlainTextEdit* editor, std::size_t position, std::size_t length)
{
    const int start = static_cast<int>(position) + 1;
    ui::SetTextSelection(editor, start, start + static_cast<int>(length));
    editor->setFocus();
}

bool CanWrite(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Places the viewer's gadgets for its inner size, on every resize.
class ViewerLayout : public QObject {
public:
    ViewerLayout(QDialog* window, QPlainTextEdit* editor, std::initializer_list<QPushButton*> buttons)
        : QObject(window), window_(window), editor_(editor), buttons_(buttons)
    {
        window->installEventFilter(this);
    }
    void Place()
    {
        const int W = window_->width();
        const int H = window_->height();
        const int K = (W - 50) / 4;
        editor_->setGeometry(10, 10, W - 20, H - 50);
        for (int i = 0; i < static_cast<int>(buttons_.size()); ++i)
            buttons_[static_cast<std::size_t>(i)]->setGeometry(10 + i * (K + 10), H - 28, K, 18);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Resize)
            Place();
        return false;
    }

private:
    QDialog* window_;
    QPlainTextEdit* editor_;
    std::vector<QPushButton*> buttons_;
};

// Calls act for each press (not auto-repeat) of F3 or F5 in the window.
class KeyHandler : public QObject {
public:
    KeyHandler(QDialog* window, std::function<void(int)> act) : QObject(window), act_(std::move(act))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F3 && key->key() != Qt::Key_F5)
            return false;
        if (!key->isAutoRepeat())
            act_(key->key());
        return true;
    }

private:
    std::function<void(int)> act_;
};

QPushButton* NewButton(QDialog* window, const QString& caption, const char* name)
{
    auto* button = new QPushButton(caption, window);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

// True when the page now holds the editor's text.
bool SavePage(QWidget* viewer, PageSource& source, QPlainTextEdit* editor)
{
    const std::string bytes = WithOwnLineEnds(EditorText(editor), source.OnDisk, source.LineEnd);
    SourceSaveResult result = SavePageSource(source, bytes, false);
    if (result == SourceSaveResult::ChangedOnDisk) {
        // Another program changed the page since it was opened here.
        if (!ui::Ui().AskYesNo(ui::MainWindowId, TranslateFrenchKey("Attention"),
                               TranslateFrenchKey("La page a \xE9t\xE9 modifi\xE9"
                                                  "e sur le disque depuis son ouverture. La remplacer par ce texte ?")))
            return false;
        result = SavePageSource(source, bytes, true);
    }
    if (result == SourceSaveResult::Failed)
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Erreur") + " " + DisplayFileName(source.Path),
                             TranslateFrenchKey("La page est v\xE9rouill\xE9"
                                                "e et n'a pu \xEAtre modifi\xE9"
                                                "e !!!"));
    (void)viewer;
    return result != SourceSaveResult::Failed;
}

}  // namespace

bool SearchNext(QPlainTextEdit* Editor, const std::string& SearchText)
{
    if (SearchText.empty())
        return false;
    const std::size_t from = static_cast<std::size_t>(ui::GetSelectionStart(Editor)) + 1;
    std::size_t length = 0;
    const std::size_t found = FindInEditor(Editor, SearchText, from, length);
    if (found == std::string::npos)
        return false;
    SelectFound(Editor, found, length);
    return true;
}

std::string SearchDialog(QWidget* Viewer, const std::string& SearchText, QPlainTextEdit* Editor,
                         QPushButton* SearchNextButton)
{
    const std::size_t start = static_cast<std::size_t>(ui::GetSelectionStart(Editor));
    const QString caption = ui::Tr("Rechercher");
    QDialog* window =
        ui::OpenChildWindow(Viewer, 0, 0, 400, 70, ui::WindowCaption | ui::WindowCloseBox | ui::WindowCentred,
                            TranslateFrenchKey("Rechercher"));
    window->setObjectName(QStringLiteral("SearchDialog"));
    auto* label = new QLabel(caption, window);
    label->setGeometry(10, 10, 100, 18);
    auto* field = new QLineEdit(ui::FromPage(SearchText), window);
    field->setObjectName(QStringLiteral("SearchText"));
    field->setGeometry(110, 8, 280, 18);
    auto* button = new QPushButton(caption, window);
    button->setObjectName(QStringLiteral("SearchButton"));
    button->setGeometry(270, 40, 120, 22);
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, window, &QDialog::accept);
    field->setFocus();
    field->selectAll();

    const bool confirmed = window->exec() == QDialog::Accepted;
    const std::string text = SearchTextOf(Editor, field->text());
    ui::CloseChildWindow(window, Viewer);
    if (!confirmed)
        return SearchText;
    if (text.empty()) {
        SearchNextButton->setEnabled(false);
        return text;
    }
    std::size_t length = 0;
    const std::size_t found = FindInEditor(Editor, text, start, length);
    if (found != std::string::npos)
        SelectFound(Editor, found, length);
    SearchNextButton->setEnabled(true);
    return text;
}

void ShowPageSource(QWidget* MainWindow, const std::string& PagePath, const std::string&)
{
    PageSource source;
    if (!LoadPageSource(PagePath, source))
        return;
    // The online page (a file of the program's own) stays read-only.
    Page.PageReadOnly = !CanWrite(PagePath) || IsProgramOwnFile(PagePath);

    QDialog* window = ui::OpenChildWindow(
        MainWindow, 0, 0, 640, 480, ui::WindowCaption | ui::WindowCloseBox | ui::WindowSizingBorder | ui::WindowCentred,
        TranslateFrenchKey("Code de ") + DisplayFileName(PagePath));
    window->setObjectName(QStringLiteral("PageSource"));

    auto* editor = new QPlainTextEdit(window);
    editor->setObjectName(QStringLiteral("SourceEditor"));
    QFont font(QStringLiteral("Courier"), 10);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    editor->setFont(font);
    editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A UTF-8 page is edited as UTF-8, any other as Windows-1252; the text
    // is saved back in the same encoding.
    editor->setProperty("utf8Page", source.Utf8);
    std::string text = WithEditorLineEnds(source.OnDisk);
    if (source.Utf8 && text.starts_with(Utf8ByteOrderMark)) {
        editor->setProperty("byteOrderMark", true);
        text.erase(0, Utf8ByteOrderMark.size());
    }
    editor->setPlainText(QString::fromStdString(source.Utf8 ? text : Cp1252ToUtf8(text)));

    QPushButton* search = NewButton(window, ui::FromPage(TranslateFrenchKey("Rechercher") + " F5"), "Rechercher");
    QPushButton* next =
        NewButton(window, ui::FromPage(TranslateFrenchKey("Rechercher suivant") + " F3"), "RechercherSuivant");
    QPushButton* save = NewButton(window, ui::Tr("Enregistrer"), "Enregistrer");
    QPushButton* close = NewButton(window, ui::Tr("Fermer"), "Fermer");
    next->setEnabled(false);
    save->setEnabled(false);
    auto* layout = new ViewerLayout(window, editor, {search, next, save, close});
    layout->Place();

    // The search text lives as long as the viewer.
    auto searchText = std::make_shared<std::string>();
    auto runSearch = [=] { *searchText = SearchDialog(window, *searchText, editor, next); };
    // Past the last match the user is told so (the selection stays).
    auto searchNext = [=] {
        if (!SearchNext(editor, *searchText))
            // "Fin de la page : le texte n'a plus été trouvé."
            ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Rechercher suivant"),
                                 TranslateFrenchKey("Fin de la page : le texte n'a plus \xE9t\xE9 trouv\xE9."));
    };
    auto runNext = [=] {
        if (next->isEnabled())
            searchNext();
    };
    QObject::connect(search, &QPushButton::clicked, window, runSearch);
    QObject::connect(next, &QPushButton::clicked, window, runNext);
    // F5 and F3 anywhere in the viewer (the editor and the buttons leave
    // them to the window); a key held down acts once.
    auto* keys = new KeyHandler(window, [=](int key) {
        if (key == Qt::Key_F5)
            runSearch();
        else if (key == Qt::Key_F3 && !searchText->empty())
            searchNext();
    });
    (void)keys;
    const bool saveable = !source.HasZeroByte && !source.InvalidUtf8;
    QObject::connect(editor, &QPlainTextEdit::textChanged, window, [=] {
        if (!save->isEnabled() && !IsPageReadOnly() && saveable)
            save->setEnabled(true);
    });
    auto kept = std::make_shared<PageSource>(std::move(source));
    // The text the page holds, to tell typed text that is not saved yet.
    auto savedText = std::make_shared<QString>(editor->toPlainText());
    QObject::connect(save, &QPushButton::clicked, window, [=] {
        const QString typed = editor->toPlainText();
        if (SavePage(window, *kept, editor))
            *savedText = typed;
    });
    QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
    AskBeforeClosingWithTypedText(
        window,
        [=] { return saveable && !IsPageReadOnly() && save->isEnabled() && editor->toPlainText() != *savedText; },
        [save] { save->click(); });
    editor->setFocus();

    window->exec();
    ui::CloseChildWindow(window, MainWindow);
}

}  // namespace kestrova
