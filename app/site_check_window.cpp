#include "app/site_check_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <fstream>
#include <memory>

#include "analysis/analysis_driver.h"
#include "app/images_editor.h"
#include "app/main_window.h"
#include "app/report_list.h"
#include "base/codec.h"
#include "base/paths.h"
#include "base/text_rules.h"
#include "base/translate.h"
#include "base/ui_port.h"
#include "base/unicode_text.h"
#include "check/check_report.h"
#include "check/site_check.h"
#include "page/page_state.h"
#include "page/page_walker.h"
#include "ui/dialogs.h"
#include "ui/text_convert.h"
#include "ui/window_helpers.h"

namespace kestrova {

namespace {

using check::Finding;
using check::Severity;

using ui::Tr;

// The severity as the results window shows it.
std::string SeverityText(Severity level)
{
    switch (level) {
        case Severity::Error:
            return TranslateFrenchKey("erreur");
        case Severity::Warning:
            return TranslateFrenchKey("avertissement");
        case Severity::Notice:
            return TranslateFrenchKey("remarque");
        case Severity::Off:
            break;
    }
    return {};
}

enum Column { ColumnSeverity, ColumnRule, ColumnPage, ColumnLine, ColumnMessage };
constexpr int FindingRole = Qt::UserRole;    // the finding's index
constexpr int OrderRole = Qt::UserRole + 1;  // severity, then line, as numbers

// A row that sorts the severity from the most serious and the line as a
// number.
class FindingItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == ColumnSeverity || column == ColumnLine) {
            const qlonglong a = data(column, OrderRole).toLongLong();
            const qlonglong b = other.data(column, OrderRole).toLongLong();
            if (a != b)
                return a < b;
            return data(ColumnPage, Qt::DisplayRole).toString() < other.data(ColumnPage, Qt::DisplayRole).toString();
        }
        return QTreeWidgetItem::operator<(other);
    }
};

bool IsImageFinding(const Finding& f)
{
    return f.ImageIndex >= 0;
}

bool IsKeywordFinding(const Finding& f)
{
    return f.Rule.starts_with("keyword-") && !f.Subject.empty();
}

// Selects the declared keyword in the main window's keyword list.
void SelectKeyword(MainWindow& window, const std::string& keyword)
{
    ReportListView* list = window.KeywordList();
    if (list == nullptr)
        return;
    const auto& rows = Page.KeywordList.Rows;
    int found = -1;
    for (int pass = 0; pass < 2 && found < 0; ++pass)
        for (std::size_t r = 0; r < rows.size() && found < 0; ++r)
            if (!rows[r].empty() && (pass == 0 ? rows[r][0] == keyword : ToLower(rows[r][0]) == ToLower(keyword)))
                found = static_cast<int>(r);
    if (found < 0)
        return;
    list->SelectRowQuietly(found);
    list->ShowRow(found);
    list->setFocus();
    window.WatchKeywordSelection();
}

// What a double click on a finding does: the page in the main window, and
// the images editor at the image or the keyword selected.
void OpenFinding(MainWindow& window, const std::string& folder, const Finding& f)
{
    if (!window.OpenCheckedPage(check::ShownPath(folder, f.Page)))
        return;
    if (IsImageFinding(f)) {
        if (ImagesEditor(&window, f.Subject))
            window.AnalysePage();
    } else if (IsKeywordFinding(f)) {
        SelectKeyword(window, f.Subject);
    }
}

void ExportResults(QWidget* owner, const check::CheckResult& result, const check::CheckConfig& config)
{
    const std::string path =
        ui::AskSaveFileName(owner, TranslateFrenchKey("Exporter les r\xE9sultats"), "kestrova-check.txt",
                            TranslateFrenchKey("Texte") + "|*.txt|JSON|*.json|SARIF|*.sarif");
    if (path.empty())
        return;
    std::string report;
    if (path.ends_with(".json"))
        report = check::JsonReport(result);
    else if (path.ends_with(".sarif"))
        report = check::SarifReport(result, config);
    else
        report = check::TextReport(result);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << report;
    out.close();
    if (!out)
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Erreur"),
                             TranslateFrenchKey("Les r\xE9sultats n'ont pu \xEAtre \xE9"
                                                "crits dans ") +
                                 path);
}

QDialog* ShowResults(MainWindow& window, std::shared_ptr<check::CheckResult> result,
                     std::shared_ptr<check::CheckConfig> config)
{
    auto* dialog = new QDialog(&window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("SiteCheckResults"));
    dialog->setWindowTitle(Tr("V\xE9rification du site") + QStringLiteral(" - ") + ui::FromFileName(result->Folder));
    dialog->resize(900, 500);

    auto* summary = new QLabel(QString::fromStdString(check::SummaryLine(*result)), dialog);
    summary->setObjectName(QStringLiteral("CheckSummary"));
    auto* list = new QTreeWidget(dialog);
    list->setObjectName(QStringLiteral("FindingList"));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setHeaderLabels({Tr("Gravit\xE9"), Tr("R\xE8gle"), Tr("Page"), Tr("Ligne"), Tr("Message")});
    list->setColumnWidth(ColumnSeverity, 100);
    list->setColumnWidth(ColumnRule, 170);
    list->setColumnWidth(ColumnPage, 200);
    list->setColumnWidth(ColumnLine, 50);
    for (std::size_t i = 0; i < result->Findings.size(); ++i) {
        const Finding& f = result->Findings[i];
        auto* item = new FindingItem(
            list, {ui::FromPage(SeverityText(f.Level)), QString::fromStdString(f.Rule), ui::FromFileName(f.Page),
                   QString::number(f.Line), QString::fromStdString(PageTextToDisplay(f.Message))});
        item->setData(ColumnSeverity, FindingRole, static_cast<qulonglong>(i));
        item->setData(ColumnSeverity, OrderRole, static_cast<int>(f.Level));
        item->setData(ColumnLine, OrderRole, static_cast<qlonglong>(f.Line) * 100000 + f.Column);
        item->setToolTip(ColumnMessage, item->text(ColumnMessage));
    }
    list->setSortingEnabled(true);
    list->sortByColumn(ColumnSeverity, Qt::AscendingOrder);

    // One filter per severity, with its count.
    static const char* const filterNames[] = {"Erreurs (%1)", "Avertissements (%1)", "Remarques (%1)"};
    static const char* const filterObjects[] = {"ShowErrors", "ShowWarnings", "ShowNotices"};
    std::vector<QCheckBox*> filters;
    for (int level = 0; level < 3; ++level) {
        auto* box =
            new QCheckBox(ui::FromPage(check::Say(filterNames[level],
                                                  {std::to_string(result->Counts[static_cast<std::size_t>(level)])})),
                          dialog);
        box->setObjectName(QString::fromLatin1(filterObjects[level]));
        box->setChecked(true);
        filters.push_back(box);
    }
    auto applyFilters = [list, filters] {
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = list->topLevelItem(row);
            const int level = item->data(ColumnSeverity, OrderRole).toInt();
            item->setHidden(level < 0 || level > 2 || !filters[static_cast<std::size_t>(level)]->isChecked());
        }
    };
    for (QCheckBox* box : filters)
        QObject::connect(box, &QCheckBox::toggled, dialog, applyFilters);

    auto* exportButton = new QPushButton(Tr("Exporter"), dialog);
    exportButton->setObjectName(QStringLiteral("ExportButton"));
    exportButton->setAutoDefault(false);
    auto* close = new QPushButton(Tr("Fermer"), dialog);
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setAutoDefault(false);

    // Gadgets at fixed places from the window's size.
    struct Placer : QObject {
        QDialog* Window;
        QLabel* Summary;
        QTreeWidget* List;
        std::vector<QCheckBox*> Filters;
        QPushButton* Export;
        QPushButton* Close;
        void Place()
        {
            const int w = Window->width(), h = Window->height();
            Summary->setGeometry(10, 8, w - 20, 20);
            for (std::size_t i = 0; i < Filters.size(); ++i)
                Filters[i]->setGeometry(10 + static_cast<int>(i) * 190, 30, 185, 22);
            List->setGeometry(10, 56, w - 20, h - 96);
            Export->setGeometry(w - 230, h - 32, 105, 24);
            Close->setGeometry(w - 115, h - 32, 105, 24);
        }
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Resize)
                Place();
            return false;
        }
    };
    auto* placer = new Placer;
    placer->setParent(dialog);
    placer->Window = dialog;
    placer->Summary = summary;
    placer->List = list;
    placer->Filters = filters;
    placer->Export = exportButton;
    placer->Close = close;
    dialog->installEventFilter(placer);
    placer->Place();

    MainWindow* main = &window;
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, dialog, [main, result](QTreeWidgetItem* item) {
        const std::size_t index = item->data(ColumnSeverity, FindingRole).toULongLong();
        if (index < result->Findings.size())
            OpenFinding(*main, result->Folder, result->Findings[index]);
    });
    QObject::connect(exportButton, &QPushButton::clicked, dialog,
                     [dialog, result, config] { ExportResults(dialog, *result, *config); });
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::close);
    dialog->show();
    list->setFocus();
    return dialog;
}

}  // namespace

bool MainWindow::OpenCheckedPage(const std::string& path)
{
    if (!ConfirmUnsavedText())
        return false;
    AcceptChosenPage(path);
    EnablePageMenu(true);
    AnalysePage();
    if (Page.CurrentPagePath.empty()) {
        EnablePageMenu(false);
        return false;
    }
    if (IsPageReadOnly())
        if (QAction* images = MenuAction(MenuImages))
            images->setEnabled(false);
    return true;
}

QDialog* CheckSiteAndShow(MainWindow& window, const std::string& folder)
{
    auto config = std::make_shared<check::CheckConfig>();
    std::string problem;
    if (!check::LoadCheckConfig(folder, "", *config, problem)) {
        ui::Ui().ShowMessage(
            ui::MainWindowId, TranslateFrenchKey("Erreur"),
            TranslateFrenchKey("Configuration de la v\xE9rification incorrecte : ") + Utf8ToCp1252Lossy(problem));
        return nullptr;
    }
    auto result = std::make_shared<check::CheckResult>();
    QDialog* progress = ui::OpenAbortableWaitWindow(
        &window, TranslateFrenchKey("V\xE9rification du site") + " " + DisplayFileName(folder), "");
    const bool read = check::CheckSite(folder, *config, *result, [](int done, int total) {
        if (ui::WaitWindow.ProgressText)
            ui::WaitWindow.ProgressText->setText(QString::number(done) + QStringLiteral(" / ") +
                                                 QString::number(total));
        QApplication::processEvents();
        return !ui::WaitWindow.AbortClicked;
    });
    ui::CloseChildWindow(progress, &window);
    if (!read) {
        ui::Ui().ShowMessage(ui::MainWindowId, TranslateFrenchKey("Erreur"),
                             TranslateFrenchKey("Ce dossier ne peut pas \xEAtre lu : ") + DisplayFileName(folder));
        return nullptr;
    }
    if (result->Cancelled)
        return nullptr;
    return ShowResults(window, result, config);
}

void CheckSiteCommand(MainWindow& window)
{
    const std::string folder = ui::AskFolderName(&window, TranslateFrenchKey("Choisissez le dossier du site"), "");
    if (!folder.empty())
        CheckSiteAndShow(window, folder);
}

bool ConfirmUploadAfterCheck(QWidget*, const std::string& root, const std::vector<std::string>& pages)
{
    if (pages.empty())
        return true;
    check::CheckConfig config;
    std::string problem;
    if (!check::LoadCheckConfig(root, "", config, problem))
        config = check::CheckConfig{};
    check::CheckResult result;
    check::CheckPages(root, pages, config, result);
    if (result.Counts[0] == 0)
        return true;
    std::string listing;
    int shown = 0;
    for (const Finding& f : result.Findings) {
        if (f.Level != Severity::Error)
            continue;
        if (++shown > 20) {
            listing += "\r...";
            break;
        }
        listing += "\r" + DisplayFileName(f.Page) + " (" + std::to_string(f.Line) + ") : " + f.Message;
    }
    return ui::Ui().AskYesNo(ui::MainWindowId, TranslateFrenchKey("Attention !"),
                             TranslateFrenchKey("Ces pages ont des erreurs :") + listing + "\r\r" +
                                 TranslateFrenchKey("Envoyer quand m\xEAme ?"));
}

}  // namespace kestrova
