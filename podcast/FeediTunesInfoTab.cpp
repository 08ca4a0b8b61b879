#include "podcast/FeediTunesInfoTab.h"

#include "platform/ui/Messages.h"
#include "podcast/Log.h"
#include "podcast/XvqPageRules.h"
#include "podcast/XvqPageSupport.h"
#include "podcast/XvqRules.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

namespace {

constexpr int kPictureNotLoadedMessage = 1008;
constexpr int kPictureNotFoundMessage = 1027;
constexpr int kPictureSize = 96;
constexpr char kImageFilter[] = "JPG Files (*.jpg)|*.jpg;*.JPG;*.jpeg;*.JPEG";
constexpr char kBlankQuestion[] =
    "Having spaces between words in the artwork filename may cause problem in feed validation.\n"
    "We suggest you replace spaces with underscores [ _ ].\n\n"
    "                       Do you want to replace spaces with underscores?";
constexpr char kRenamedInformation[] = "Your filename has been changed to : ";
constexpr char kRenameFailed[] = "Unable to change the filename.";
constexpr char kInvalidNameError[] =
    "Please Enter Valid Filename Without SPACE,$ ,%&?*:/][}{)(^#@!\\+\\|=><; Characters.";

// A menu caption shows "&" doubled; the line it adds holds it once.
QString menuCaption(const QString& text)
{
    QString caption = text;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

FeediTunesInfoTab::FeediTunesInfoTab(QWidget* parent) : XvqPageWidget(XvqPage::FeediTunesInfo, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field) {
        grid->addWidget(buddyLabel(caption, field, this), row, 0);
        grid->addWidget(field, row, 1, 1, 3);
        ++row;
    };
    m_subtitle = namedEdit("FeedSubtitleEdit", this);
    addRow(tr("&Subtitle :"), m_subtitle);
    m_keywords = namedEdit("SeriesSearchEdit", this);
    addRow(tr("&Keywords :"), m_keywords);
    m_owner = namedEdit("FeedOwnerEdit", this);
    addRow(tr("&Owner :"), m_owner);
    m_ownerEmail = namedEdit("FeedOwnerEmailEdit", this);
    addRow(tr("E-ma&il :"), m_ownerEmail);
    m_summary = namedMemo("FeedSummaryMemo", this);
    addRow(tr("Su&mmary :"), m_summary);
    m_explicit = new QCheckBox(tr("&Contains Explicit Information"), this);
    m_explicit->setObjectName(QStringLiteral("ExplicitCheckBox"));
    m_block = new QCheckBox(tr("&Prevent Episode"), this);
    m_block->setObjectName(QStringLiteral("BlockCheckBox"));
    grid->addWidget(m_explicit, row, 1);
    grid->addWidget(m_block, row, 2);
    ++row;

    QPushButton* categoryButton = namedButton("SeriesCategoryButton", tr("Series Ca&tegory"), this);
    m_categoryMenu = new QMenu(this);
    m_categoryMenu->setObjectName(QStringLiteral("CategoryPopup"));
    for (const CategoryMenuEntry& entry : CategoryMenu()) {
        if (entry.subCategories.isEmpty()) {
            const QString line = CategoryLine(entry.category, QString());
            connect(m_categoryMenu->addAction(menuCaption(entry.category)), &QAction::triggered, this,
                    [this, line] { CategoryPopupClick(line); });
            continue;
        }
        QMenu* sub = m_categoryMenu->addMenu(menuCaption(entry.category));
        for (const QString& subCategory : entry.subCategories) {
            const QString line = CategoryLine(entry.category, subCategory);
            connect(sub->addAction(menuCaption(subCategory)), &QAction::triggered, this,
                    [this, line] { CategoryPopupClick(line); });
        }
    }
    m_categories = new QListWidget(this);
    m_categories->setObjectName(QStringLiteral("SeriesCategorySelected"));
    m_categories->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_categories->installEventFilter(this);
    grid->addWidget(categoryButton, row, 0, Qt::AlignTop);
    grid->addWidget(m_categories, row, 1, 1, 3);
    ++row;

    m_image = namedEdit("FeedImageEdit", this);
    QPushButton* browse = namedButton("FeedImageBrowse", tr("Bro&wse ..."), this);
    QPushButton* remove = namedButton("RemoveImage", tr("&Remove"), this);
    grid->addWidget(buddyLabel(tr("&Artwork :"), m_image, this), row, 0);
    grid->addWidget(m_image, row, 1);
    grid->addWidget(browse, row, 2);
    grid->addWidget(remove, row, 3);
    ++row;
    m_picture = namedLabel("FeedImage", QString(), this);
    m_picture->setFixedSize(kPictureSize, kPictureSize);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_picture->setAlignment(Qt::AlignCenter);
    grid->addWidget(m_picture, row, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid, 1);

    QPushButton* back = namedButton("iTunesFeedBackButton", tr("< &Back"), this);
    QPushButton* next = namedButton("iTunesFeedNextButton", tr("&Next >"), this);
    addNavigationRow(layout, back, next);
    setNavigationButtons(back, next);

    reportEdits(m_subtitle, SIGNAL(textChanged(QString)));
    reportEdits(m_keywords, SIGNAL(textChanged(QString)));
    reportEdits(m_owner, SIGNAL(textChanged(QString)));
    reportEdits(m_ownerEmail, SIGNAL(textChanged(QString)));
    reportEdits(m_summary, SIGNAL(textChanged()));
    reportEdits(m_explicit, SIGNAL(toggled(bool)));
    reportEdits(m_block, SIGNAL(toggled(bool)));
    reportEdits(m_categories->model(), SIGNAL(rowsInserted(QModelIndex, int, int)));
    reportEdits(m_categories->model(), SIGNAL(rowsRemoved(QModelIndex, int, int)));
    reportEdits(m_image, SIGNAL(textChanged(QString)));
    connect(categoryButton, &QPushButton::clicked, this, &FeediTunesInfoTab::SeriesCategoryButtonClick);
    connect(browse, &QPushButton::clicked, this, &FeediTunesInfoTab::FeedImageBrowseClick);
    connect(remove, &QPushButton::clicked, this, &FeediTunesInfoTab::RemoveImageClick);
    connect(m_image, &QLineEdit::editingFinished, this, &FeediTunesInfoTab::FeedImageEditExit);
}

void FeediTunesInfoTab::UIUpdate(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    const FillGuard guard(*this);
    m_subtitle->setText(record.FeedSubtitle);
    m_keywords->setText(record.FeedKeywords);
    m_owner->setText(record.FeedOwner);
    m_ownerEmail->setText(record.FeedOwnerEmail);
    m_summary->setPlainText(record.FeedSummary);
    m_explicit->setChecked(IsYes(record.FeedExplicit));
    m_block->setChecked(IsYes(record.FeedBlock));
    m_categories->clear();
    m_categories->addItems(CategoryLines(record));
    m_image->setText(record.FeedImagePath);
    if (record.FeedImagePath.isEmpty())
        clearPicture();
    else
        loadPicture(record.FeedImagePath);
}

StepVerdict FeediTunesInfoTab::Gather(PodcastRecord& record, const XvqContext& context)
{
    m_context = context;
    record.FeedSubtitle = m_subtitle->text().trimmed();
    record.FeedKeywords = m_keywords->text().trimmed();
    record.FeedOwner = m_owner->text().trimmed();
    record.FeedOwnerEmail = m_ownerEmail->text().trimmed();
    record.FeedSummary = m_summary->toPlainText().trimmed();
    record.FeedExplicit = YesNo(m_explicit->isChecked());
    record.FeedBlock = YesNo(m_block->isChecked());
    QStringList lines;
    for (int i = 0; i < m_categories->count(); ++i)
        lines << m_categories->item(i)->text();
    SetCategoriesFromLines(lines, record);
    record.FeedImagePath = m_image->text().trimmed();
    // Without artwork the feed must not keep announcing the one removed.
    record.ArtworkFileName = record.FeedImagePath.isEmpty() ? QString() : QFileInfo(record.FeedImagePath).fileName();
    record.FeedImageLink = WebLinkOfFile(record.WebsiteLink, record.ArtworkFileName);
    if (record.ItemSubtitle.isEmpty())
        record.ItemSubtitle = record.FeedSubtitle;
    if (record.ItemKeywords.isEmpty())
        record.ItemKeywords = record.FeedKeywords;
    if (record.ItemSummary.isEmpty())
        record.ItemSummary = record.FeedSummary;
    return StepVerdict::Proceed;
}

void FeediTunesInfoTab::clearFields()
{
    XvqPageWidget::clearFields();
    clearPicture();
}

bool FeediTunesInfoTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_categories && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        SeriesCategorySelectedKeyDown();
        return true;
    }
    return XvqPageWidget::eventFilter(watched, event);
}

void FeediTunesInfoTab::SeriesCategoryButtonClick()
{
    auto* button = qobject_cast<QWidget*>(sender());
    m_categoryMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void FeediTunesInfoTab::CategoryPopupClick(const QString& line)
{
    m_categories->addItem(line);
}

void FeediTunesInfoTab::SeriesCategorySelectedKeyDown()
{
    const QList<QListWidgetItem*> selected = m_categories->selectedItems();
    for (QListWidgetItem* item : selected)
        delete m_categories->takeItem(m_categories->row(item));
}

void FeediTunesInfoTab::FeedImageBrowseClick()
{
    if (m_context.messages == nullptr) {
        qCWarning(lcPodcast) << "the feed iTunes page was not filled before browsing";
        return;
    }
    platform::FileDialogRequest request;
    request.title = tr("Select Image File");
    request.filter = QString::fromLatin1(kImageFilter);
    request.fileMustExist = true;
    request.fileName = m_image->text().trimmed();
    for (;;) {
        const platform::FileDialogResult chosen = m_context.messages->interaction().openFile(request);
        if (!chosen.accepted || chosen.files.isEmpty())
            return;
        const QString picked = chosen.files.first();
        request.fileName = picked;
        const QString taken = acceptArtworkName(picked, request.fileName);
        if (taken.isEmpty())
            continue;
        m_image->setText(taken);
        loadPicture(taken);
        return;
    }
}

QString FeediTunesInfoTab::acceptArtworkName(const QString& path, QString& offerAgain)
{
    const QFileInfo file(path);
    const QString name = file.fileName();
    const QString unsafe = QString::fromLatin1(kAggregatorUnsafeCharacters);
    QChar found;
    for (const QChar c : name) {
        if (unsafe.contains(c))
            found = c;
    }
    if (found.isNull())
        return path;
    if (found != QLatin1Char(' ')) {
        showXvqMessage(m_context, QString::fromLatin1(kInvalidNameError), platform::MB_OK | platform::MB_ICONERROR);
        return {};
    }
    const int answer = m_context.messages->ShowMessageBox(QString::fromLatin1(kBlankQuestion), QString(),
                                                          platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer != platform::IDYES)
        return {};
    const QString renamed = QDir(file.absolutePath()).filePath(QString(name).replace(QLatin1Char(' '), QLatin1Char('_')));
    // QFile::rename never replaces an existing file, so no other picture is lost.
    if (!QFile::rename(path, renamed)) {
        showXvqMessage(m_context, QString::fromLatin1(kRenameFailed), platform::MB_OK | platform::MB_ICONERROR);
        return {};
    }
    showXvqMessage(m_context, QString::fromLatin1(kRenamedInformation) + renamed,
                   platform::MB_OK | platform::MB_ICONINFORMATION);
    // The dialog is shown again on the new name.
    offerAgain = renamed;
    return {};
}

void FeediTunesInfoTab::FeedImageEditExit()
{
    const QString path = m_image->text().trimmed();
    if (path.isEmpty()) {
        clearPicture();
        return;
    }
    if (!QFileInfo(path).isFile()) {
        clearPicture();
        showXvqError(m_context, kPictureNotFoundMessage);
        return;
    }
    loadPicture(path);
}

void FeediTunesInfoTab::RemoveImageClick()
{
    m_image->clear();
    clearPicture();
}

void FeediTunesInfoTab::loadPicture(const QString& path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        qCWarning(lcPodcast) << "artwork" << path << "not loaded:" << reader.errorString();
        clearPicture();
        m_image->clear();
        showXvqError(m_context, kPictureNotLoadedMessage);
        return;
    }
    m_picture->setPixmap(QPixmap::fromImage(image).scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void FeediTunesInfoTab::clearPicture()
{
    m_picture->clear();
}

} // namespace podcast
