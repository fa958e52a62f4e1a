#include "ui/alt_letters.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QWidget>

namespace kestrova::ui {

namespace {

// The part of a menu text before its shortcut label.
qsizetype CaptionEnd(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? text.size() : tab;
}

// Sets the letters of the texts, then writes them back.
template <typename Item, typename Get, typename Set>
void MarkItems(const QList<Item*>& items, Get get, Set set)
{
    std::vector<QString> texts;
    for (Item* item : items)
        texts.push_back(get(item));
    std::vector<QString*> pointers;
    for (QString& text : texts)
        pointers.push_back(&text);
    MarkAltLetters(pointers);
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (texts[static_cast<std::size_t>(i)] != get(items[i]))
            set(items[i], texts[static_cast<std::size_t>(i)]);
    }
}

class ShowWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow())
                AddAltLetters(widget);
        }
        return false;
    }
};

}  // namespace

QChar AltLetterOf(const QString& text)
{
    const qsizetype end = CaptionEnd(text);
    for (qsizetype i = 0; i + 1 < end; ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;  // "&&" is a plain "&"
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

void MarkAltLetters(std::vector<QString*>& texts)
{
    QSet<QChar> used;
    for (const QString* text : texts) {
        const QChar letter = AltLetterOf(*text);
        if (!letter.isNull())
            used.insert(letter);
    }
    for (QString* text : texts) {
        if (!AltLetterOf(*text).isNull() || text->contains(QLatin1Char('&')))
            continue;
        const qsizetype end = CaptionEnd(*text);
        qsizetype chosen = -1;
        // The first free letter that starts a word, else any free letter.
        for (int pass = 0; pass < 2 && chosen < 0; ++pass) {
            for (qsizetype i = 0; i < end; ++i) {
                const QChar c = text->at(i);
                const bool wordStart = i == 0 || !text->at(i - 1).isLetterOrNumber();
                if (c.isLetterOrNumber() && (pass == 1 || wordStart) && !used.contains(c.toLower())) {
                    chosen = i;
                    break;
                }
            }
        }
        if (chosen < 0)
            continue;
        used.insert(text->at(chosen).toLower());
        text->insert(chosen, QLatin1Char('&'));
    }
}

void AddAltLetters(QWidget* window)
{
    if (window == nullptr)
        return;
    // Buttons with a caption, and the titles of the menu bar: one group.
    QList<QAbstractButton*> buttons;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->window() == window && !button->text().isEmpty())
            buttons.push_back(button);
    }
    QList<QAction*> titles;
    QList<QMenu*> menus;
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* action : bar->actions()) {
            if (!action->isSeparator() && !action->text().isEmpty())
                titles.push_back(action);
            if (action->menu() != nullptr)
                menus.push_back(action->menu());
        }
    }
    if (auto* menu = qobject_cast<QMenu*>(window))
        menus.push_back(menu);
    std::vector<QString> texts;
    std::vector<QString*> group;
    texts.reserve(static_cast<std::size_t>(buttons.size() + titles.size()));
    for (QAction* action : titles)
        texts.push_back(action->text());
    for (QAbstractButton* button : buttons)
        texts.push_back(button->text());
    for (QString& text : texts)
        group.push_back(&text);
    MarkAltLetters(group);
    std::size_t n = 0;
    for (QAction* action : titles) {
        if (texts[n] != action->text())
            action->setText(texts[n]);
        ++n;
    }
    for (QAbstractButton* button : buttons) {
        if (texts[n] != button->text())
            button->setText(texts[n]);
        ++n;
    }
    // The items of each menu.
    for (QMenu* menu : menus) {
        QList<QAction*> items;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && !action->text().isEmpty())
                items.push_back(action);
        }
        MarkItems(
            items, [](QAction* a) { return a->text(); }, [](QAction* a, const QString& t) { a->setText(t); });
    }
}

void AddAltLettersToEveryWindow()
{
    static ShowWatcher* watcher = nullptr;
    if (watcher != nullptr || qApp == nullptr)
        return;
    watcher = new ShowWatcher(qApp);
    qApp->installEventFilter(watcher);
}

}  // namespace kestrova::ui
