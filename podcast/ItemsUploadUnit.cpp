#include "podcast/ItemsUploadUnit.h"

#include "platform/ui/Messages.h"
#include "podcast/ProjectFile.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace podcast {

namespace {
constexpr int noEpisodeChosen = 1035; // "No podcast episode selected to upload."
}

TItemsUploadForm::TItemsUploadForm(const platform::Messages& messages, QWidget* parent)
    : QDialog(parent)
    , m_messages(messages)
{
    setObjectName(QStringLiteral("ItemsUploadForm"));
    setWindowTitle(QStringLiteral("Select Podcast Items to Upload"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    m_list = new QTableWidget(0, 3, this);
    m_list->setObjectName(QStringLiteral("ItemsListView"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("Items's File Path"), QStringLiteral("Podcast Item Title"), QStringLiteral("Podcast Item Description")});
    const int widths[] = {200, 150, 200};
    for (int column = 0; column < 3; ++column)
        m_list->setColumnWidth(column, widths[column]);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->verticalHeader()->hide();
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setWordWrap(false);
    // Long paths keep their file names in sight.
    m_list->setTextElideMode(Qt::ElideMiddle);
    layout->addWidget(m_list);

    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAutoDefault(false);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok, &QPushButton::clicked, this, &TItemsUploadForm::OKButtonClick);
    connect(cancel, &QPushButton::clicked, this, &TItemsUploadForm::reject);
    resize(600, 320);
}

void TItemsUploadForm::SetPDIFilepath(const QString& projectPath)
{
    m_projectPath = projectPath;
    m_list->setRowCount(0);
    if (const int result = ReadUploadChoiceRows(projectPath, m_rows); result != PdiOk)
        m_messages.ShowErrorMessage(result);
    m_list->setRowCount(int(m_rows.size()));
    for (int n = 0; n < m_rows.size(); ++n) {
        const UploadChoiceRow& choice = m_rows[n];
        auto* path = new QTableWidgetItem(choice.audioPath);
        path->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        path->setCheckState(choice.ticked ? Qt::Checked : Qt::Unchecked);
        path->setToolTip(choice.audioPath);
        m_list->setItem(n, 0, path);
        // A description of several lines shows on one.
        QString description = choice.description;
        description.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QString texts[] = {choice.title, description};
        for (int column = 1; column < 3; ++column) {
            auto* item = new QTableWidgetItem(texts[column - 1]);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            item->setToolTip(texts[column - 1]);
            m_list->setItem(n, column, item);
        }
    }
}

QList<UploadChoiceRow> TItemsUploadForm::rowsAsTicked() const
{
    QList<UploadChoiceRow> rows = m_rows;
    for (int n = 0; n < rows.size(); ++n)
        rows[n].ticked = m_list->item(n, 0)->checkState() == Qt::Checked;
    return rows;
}

void TItemsUploadForm::GetItemsListToupload(QStringList& numbers, QStringList& audioPaths) const
{
    AppendChosenEpisodes(rowsAsTicked(), numbers, audioPaths);
}

void TItemsUploadForm::OKButtonClick()
{
    if (!AnyUploadChosen(rowsAsTicked())) {
        m_messages.ShowErrorMessage(noEpisodeChosen);
        return;
    }
    done(ItemsUploadResult::Ok);
}

void TItemsUploadForm::reject()
{
    done(ItemsUploadResult::Cancel);
}

} // namespace podcast
