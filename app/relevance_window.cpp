#include "app/relevance_window.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>

#include "analysis/keyword_relevance.h"
#include "analysis/online_page.h"
#include "analysis/word_lists.h"
#include "app/main_window.h"
#include "base/app_state.h"
#include "base/paths.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "editing/rewrite_engine.h"
#include "page/page_state.h"
#include "site/site_scan.h"
#include "site/site_terms.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

// The document frequencies of the last site shown, kept while its pages
// do not change (the index reads again only the pages that did).
SiteTermIndex& KeptSiteIndex()
{
    static SiteTermIndex index;
    return index;
}

// The stemmers and hyphenation patterns, read once and kept (made again
// when the word forms setting changes).
RelevanceTools& KeptTools()
{
    static std::unique_ptr<RelevanceTools> tools;
    if (!tools || tools->WordForms() != App.WordForms)
        tools = std::make_unique<RelevanceTools>(App.WordForms, App.UsualWords);
    return *tools;
}

using ui::Tr;

QString Fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// The value a numeric cell sorts by.
constexpr int SortValueRole = Qt::UserRole;
// The term a row of the term table shows (its index in the report).
constexpr int TermIndexRole = Qt::UserRole + 1;

// A cell that sorts as every report list does: numbers by their value,
// texts without regard to case.
class SortCell : public QTableWidgetItem {
public:
    using QTableWidgetItem::QTableWidgetItem;
    bool operator<(const QTableWidgetItem& other) const override
    {
        const QVariant a = data(SortValueRole), b = other.data(SortValueRole);
        if (a.isValid() && b.isValid())
            return a.toDouble() < b.toDouble();
        return QString::compare(text(), other.text(), Qt::CaseInsensitive) < 0;
    }
};

QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new SortCell(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

QTableWidgetItem* NumberCell(const QString& text, double value)
{
    QTableWidgetItem* item = Cell(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setData(SortValueRole, value);
    return item;
}

QTableWidget* MakeTable(QWidget* parent, const char* objectName, const std::vector<std::string>& frenchHeaders)
{
    auto* table = new QTableWidget(0, static_cast<int>(frenchHeaders.size()), parent);
    table->setObjectName(QString::fromLatin1(objectName));
    QStringList headers;
    for (const std::string& header : frenchHeaders)
        headers << Tr(header);
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    // A click on a column header sorts: the first column ascending, the
    // others descending; the selected row stays in view.
    table->horizontalHeader()->setSectionsClickable(true);
    QObject::connect(table->horizontalHeader(), &QHeaderView::sectionClicked, table, [table](int column) {
        table->sortItems(column, column == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
        const QList<QTableWidgetItem*> selected = table->selectedItems();
        if (!selected.isEmpty())
            table->scrollToItem(selected.front());
    });
    return table;
}

class RelevanceWindow {
public:
    RelevanceWindow(QDialog* window, std::string pagePath, std::string siteFolder, bool readOnly,
                    std::function<void(const std::string&)> keywordAdded)
        : window_(window),
          pagePath_(std::move(pagePath)),
          folder_(std::move(siteFolder)),
          readOnly_(readOnly),
          keywordAdded_(std::move(keywordAdded))
    {
        auto* layout = new QVBoxLayout(window);
        pageLine_ = new QLabel(window);
        pageLine_->setObjectName(QStringLiteral("RelevancePageLine"));
        wordForms_ = new QCheckBox(Tr("Formes des mots"), window);
        wordForms_->setObjectName(QStringLiteral("WordFormsBox"));
        wordForms_->setChecked(App.WordForms);
        auto* top = new QHBoxLayout;
        top->addWidget(pageLine_, 1);
        top->addWidget(wordForms_);
        layout->addLayout(top);
        keywords_ = MakeTable(window, "RelevanceKeywordTable",
                              {"Mot cl\xE9", "Occurrences", "Densit\xE9", "Pro\xE9minence", "Titre", "Description",
                               "H1", "Autres titres", "100 premiers mots", "Textes alt", "Nom du fichier"});
        layout->addWidget(keywords_, 3);
        reading_ = new QLabel(window);
        reading_->setObjectName(QStringLiteral("ReadabilityLine"));
        layout->addWidget(reading_);
        termsLine_ = new QLabel(Tr("Termes qui distinguent la page du site (TF-IDF) :"), window);
        layout->addWidget(termsLine_);
        terms_ = MakeTable(window, "RelevanceTermTable",
                           {"Terme", "Occurrences", "Score",
                            "D\xE9"
                            "clar\xE9"});
        layout->addWidget(terms_, 3);
        auto* buttons = new QHBoxLayout;
        add_ = new QPushButton(Tr("Ajouter aux mots cl\xE9s"), window);
        add_->setObjectName(QStringLiteral("AjouterAuxMotsClesButton"));
        add_->setAutoDefault(false);
        add_->setEnabled(false);
        auto* close = new QPushButton(Tr("Fermer"), window);
        close->setObjectName(QStringLiteral("Fermer"));
        close->setAutoDefault(false);
        buttons->addWidget(add_);
        buttons->addStretch(1);
        buttons->addWidget(close);
        layout->addLayout(buttons);

        QObject::connect(close, &QPushButton::clicked, window, &QDialog::reject);
        QObject::connect(terms_, &QTableWidget::itemSelectionChanged, window, [this] { TermSelected(); });
        QObject::connect(add_, &QPushButton::clicked, window, [this] { AddSelectedTerm(); });
        QObject::connect(wordForms_, &QCheckBox::toggled, window, [this](bool on) {
            App.WordForms = on;
            Measure();
        });
    }

    void Measure()
    {
        RelevancePage page;
        if (!ReadRelevancePage(pagePath_, page)) {
            pageLine_->setText(ui::FromFileName(pagePath_));
            keywords_->setRowCount(0);
            terms_->setRowCount(0);
            report_ = RelevanceReport{};
            return;
        }
        const RelevanceLanguage language = ProgramRelevanceLanguage(App.Language);
        const SiteTermIndex::Settings settings{language, App.WordForms, App.UsualWords, 0};
        const std::string& folder = folder_;
        SiteTermIndex& index = KeptSiteIndex();
        if (!folder.empty()) {
            QDialog* progress = nullptr;
            index.Refresh(folder, settings, [&](int done, int total) {
                // A progress window only for a read long enough to be seen.
                if (progress == nullptr && total > 200)
                    progress = ui::OpenProgressWindow(
                        window_, TranslateFrenchKey("Lecture du site ") + DisplayFileName(SiteDisplayName(folder)));
                if (ui::WaitWindow.ProgressBar && total > 0)
                    ui::WaitWindow.ProgressBar->setValue(done * 100 / total);
                ui::Ui().PumpEvents();
            });
            if (progress != nullptr)
                ui::CloseChildWindow(progress, window_);
        }
        report_ = MeasureRelevance(page, language, KeptTools(), folder.empty() ? nullptr : &index);
        Show(page);
    }

private:
    void Show(const RelevancePage& page)
    {
        pageLine_->setText(ui::FromPage(page.FileName) + QStringLiteral(" (") +
                           QString::fromLatin1(LanguageCode(report_.Language)) + QStringLiteral(", ") +
                           QString::number(report_.PageWords) + QLatin1Char(' ') + Tr("mots") + QLatin1Char(')'));
        auto yesNo = [](bool b) { return Tr(b ? "Oui" : "Non"); };
        keywords_->setRowCount(static_cast<int>(report_.Keywords.size()));
        for (int row = 0; row < static_cast<int>(report_.Keywords.size()); ++row) {
            const KeywordRelevance& k = report_.Keywords[static_cast<std::size_t>(row)];
            QString density = Fixed(k.Numbers.Density, 2) + QStringLiteral(" %");
            if (k.Numbers.Band != DensityBand::None)
                density += QStringLiteral(" (") + Tr(DensityBandText(k.Numbers.Band)) + QLatin1Char(')');
            const KeywordPlacement& p = k.Placement;
            const QString cells[] = {ui::FromPage(k.Keyword),
                                     QString::number(k.Numbers.Occurrences),
                                     density,
                                     Fixed(k.Numbers.Prominence, 1) + QStringLiteral(" %"),
                                     yesNo(p.Title),
                                     yesNo(p.Description),
                                     yesNo(p.H1),
                                     yesNo(p.OtherHeading),
                                     yesNo(p.First100Words),
                                     yesNo(p.AltText),
                                     yesNo(p.FileName)};
            const double values[] = {0, static_cast<double>(k.Numbers.Occurrences), k.Numbers.Density,
                                     k.Numbers.Prominence};
            for (int column = 0; column < 11; ++column)
                keywords_->setItem(
                    row, column,
                    column >= 1 && column <= 3 ? NumberCell(cells[column], values[column]) : Cell(cells[column]));
        }
        keywords_->resizeColumnsToContents();

        const Readability& r = report_.Reading;
        QString reading = Tr("Lisibilit\xE9") + QStringLiteral(" : ");
        if (r.Measured)
            reading +=
                Fixed(r.Score, 1) + QStringLiteral(" (") + Tr(ReadabilityBandText(r.Band)) + QStringLiteral("), ");
        reading += QString::number(r.Sentences) + QLatin1Char(' ') + Tr("phrases") + QStringLiteral(", ") +
                   QString::number(r.Words) + QLatin1Char(' ') + Tr("mots") + QStringLiteral(", ") +
                   QString::number(r.Syllables) + QLatin1Char(' ') + Tr("syllabes");
        reading_->setText(reading);

        terms_->setRowCount(static_cast<int>(report_.Terms.size()));
        for (int row = 0; row < static_cast<int>(report_.Terms.size()); ++row) {
            const TermScore& t = report_.Terms[static_cast<std::size_t>(row)];
            QTableWidgetItem* text = Cell(ui::FromPage(t.Text));
            text->setData(TermIndexRole, row);
            terms_->setItem(row, 0, text);
            terms_->setItem(row, 1, NumberCell(QString::number(t.Count), t.Count));
            terms_->setItem(row, 2, NumberCell(Fixed(t.Score, 4), t.Score));
            terms_->setItem(row, 3, Cell(yesNo(t.Declared)));
        }
        terms_->resizeColumnsToContents();
        TermSelected();
    }

    const TermScore* SelectedTerm() const
    {
        const QList<QTableWidgetItem*> selected = terms_->selectedItems();
        if (selected.isEmpty())
            return nullptr;
        const QTableWidgetItem* first = terms_->item(selected.front()->row(), 0);
        bool ok = false;
        const int index = first ? first->data(TermIndexRole).toInt(&ok) : -1;
        if (!ok || index < 0 || index >= static_cast<int>(report_.Terms.size()))
            return nullptr;
        return &report_.Terms[static_cast<std::size_t>(index)];
    }

    void TermSelected()
    {
        const TermScore* term = SelectedTerm();
        add_->setEnabled(term != nullptr && !term->Declared && !readOnly_);
    }

    void AddSelectedTerm()
    {
        const TermScore* term = SelectedTerm();
        if (term == nullptr || term->Declared || readOnly_)
            return;
        const std::string keyword = term->Text;
        // One change of the page: backup, journal line, the keyword in
        // front of the keywords meta tag.
        if (EditMeta(ui::MainWindowId, OpAjoute, keyword, "keywords").empty())
            return;
        if (keywordAdded_)
            keywordAdded_(keyword);
        Measure();
    }

    QDialog* window_;
    std::string pagePath_;
    std::string folder_;
    bool readOnly_;
    std::function<void(const std::string&)> keywordAdded_;
    QLabel* pageLine_ = nullptr;
    QCheckBox* wordForms_ = nullptr;
    QTableWidget* keywords_ = nullptr;
    QLabel* reading_ = nullptr;
    QLabel* termsLine_ = nullptr;
    QTableWidget* terms_ = nullptr;
    QPushButton* add_ = nullptr;
    RelevanceReport report_;
};

}  // namespace

void ShowKeywordRelevance(QWidget* owner, const std::string& pagePath, const std::string& siteFolder, bool readOnly,
                          const std::function<void(const std::string&)>& keywordAdded)
{
    QDialog* window = ui::OpenChildWindow(
        owner, 0, 0, 900, 560, ui::WindowCaption | ui::WindowCloseBox | ui::WindowSizingBorder | ui::WindowCentred,
        TranslateFrenchKey("Pertinence des mots cl\xE9s"));
    window->setObjectName(QStringLiteral("KeywordRelevance"));
    RelevanceWindow view(window, pagePath, siteFolder, readOnly, keywordAdded);
    view.Measure();
    window->exec();
    ui::CloseChildWindow(window, owner);
}

void ShowKeywordRelevance(MainWindow& window)
{
    if (Page.CurrentPagePath.empty())
        return;
    const std::string& path = Page.CurrentPagePath;
    // An online page is kept in the working folder, which is no site of it.
    const bool online = Page.PageReadOnly && FileNameOf(path) == OnlinePageFile;
    ShowKeywordRelevance(
        &window, path, online ? std::string() : FolderOf(path), Page.PageReadOnly,
        [&window](const std::string& keyword) {
            // The main window's list mirrors the page, as after "Ajouter aux
            // mots clés" there.
            ReportList& keywords = Page.KeywordList;
            keywords.Rows.push_back({keyword, TranslateFrenchKey(IsKeywordUsed(keyword) ? "Oui" : "Non")});
            SortReportList(keywords, 0, true);
            window.ReloadLists();
        });
}

}  // namespace kestrova
