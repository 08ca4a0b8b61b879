#include "podcast/XvqMain.h"

#include "common/ErrCodes.h"
#include "common/RegEntry.h"
#include "platform/ui/Messages.h"
#include "podcast/AudioFileInfo.h"
#include "podcast/Log.h"
#include "podcast/SmBmpBtn.h"
#include "podcast/XvqHelpColumn.h"
#include "podcast/XvqTypePage.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace podcast {

namespace {

constexpr char kSettingsSubKey[] = "Settings";
constexpr char kDoNotShowWelcome[] = "Donot Show Welcome Screen";

// A tab bar whose clicks only ask for a page: the window decides which page is shown.
class XvqTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;
    std::function<void(int)> onRequest;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const int index = tabAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && index >= 0 && onRequest)
            onRequest(index);
        event->accept();
    }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }
    void keyPressEvent(QKeyEvent* event) override { event->ignore(); }
};

enum class TitleGlyph { Minimize, Close };

// The title buttons' pictures, drawn for the window's pixel ratio in the title text's colour: a
// darker square behind the glyph while pressed, a paler glyph when disabled.
QImage titleButtonPicture(TitleGlyph glyph, TSimpleBmpButton::Picture look, qreal ratio, const QColor& ink)
{
    QImage image(QSize(20, 20) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (look == TSimpleBmpButton::Picture::Down)
        painter.fillRect(QRectF(0, 0, 20, 20), QColor(0, 0, 0, 70));
    QColor pen = ink;
    if (look == TSimpleBmpButton::Picture::Disabled)
        pen.setAlpha(110);
    painter.setPen(QPen(pen, 1.6, Qt::SolidLine, Qt::RoundCap));
    if (glyph == TitleGlyph::Minimize) {
        painter.drawLine(QPointF(6, 14), QPointF(14, 14));
    } else {
        painter.drawLine(QPointF(6, 6), QPointF(14, 14));
        painter.drawLine(QPointF(14, 6), QPointF(6, 14));
    }
    return image;
}

TSimpleBmpButton* makeTitleButton(TitleGlyph glyph, const QString& name, const QString& tip, QWidget* titleArea)
{
    auto* button = new TSimpleBmpButton(titleArea);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setFixedSize(20, 20);
    const qreal ratio = titleArea->devicePixelRatioF();
    const QColor ink = titleArea->palette().color(QPalette::WindowText);
    using Look = TSimpleBmpButton::Picture;
    button->setUpImage(titleButtonPicture(glyph, Look::Up, ratio, ink));
    button->setDownImage(titleButtonPicture(glyph, Look::Down, ratio, ink));
    button->setDisImage(titleButtonPicture(glyph, Look::Disabled, ratio, ink));
    button->setPictureEnabled(true);
    return button;
}

} // namespace

TXvqForm::TXvqForm(XvqServices services, QWidget* parent) : QDialog(parent), m_services(std::move(services))
{
    setObjectName(QStringLiteral("XvqForm"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QString::fromLatin1(kRecorderCaption));
    buildWindow();
    YqmXvqStandard();
}

TXvqForm::~TXvqForm()
{
    closingSteps();
}

void TXvqForm::buildWindow()
{
    m_titleArea = new QWidget(this);
    m_titleArea->setObjectName(QStringLiteral("TitlePanel"));
    m_titleArea->setAutoFillBackground(true);
    QPalette titlePalette = m_titleArea->palette();
    titlePalette.setColor(QPalette::Window, palette().color(QPalette::Highlight));
    titlePalette.setColor(QPalette::WindowText, palette().color(QPalette::HighlightedText));
    m_titleArea->setPalette(titlePalette);
    m_titleArea->installEventFilter(this);
    m_captionLabel = new QLabel(QString::fromLatin1(kRecorderCaption), m_titleArea);
    m_captionLabel->setObjectName(QStringLiteral("CaptionLabel"));
    QFont captionFont = m_captionLabel->font();
    captionFont.setBold(true);
    m_captionLabel->setFont(captionFont);
    m_captionLabel->installEventFilter(this);
    auto* minimizeButton = makeTitleButton(TitleGlyph::Minimize, QStringLiteral("MinimizeButton"), tr("Minimize"), m_titleArea);
    connect(minimizeButton, &TSimpleBmpButton::OnClick, this, [this] { window()->showMinimized(); });
    auto* closeButton = makeTitleButton(TitleGlyph::Close, QStringLiteral("CloseButton"), tr("Close"), m_titleArea);
    connect(closeButton, &TSimpleBmpButton::OnClick, this, [this] { CancelButtonClick(); });
    auto* titleLayout = new QHBoxLayout(m_titleArea);
    titleLayout->setContentsMargins(8, 4, 4, 4);
    titleLayout->addWidget(m_captionLabel);
    titleLayout->addStretch();
    titleLayout->addWidget(minimizeButton);
    titleLayout->addWidget(closeButton);

    auto* tabs = new XvqTabBar(this);
    tabs->setObjectName(QStringLiteral("XvqPageControl"));
    tabs->setFocusPolicy(Qt::NoFocus);
    tabs->setExpanding(false);
    tabs->setDrawBase(true);
    // Every page's tab in sight: captions are shortened rather than scrolled away.
    tabs->setUsesScrollButtons(false);
    tabs->setElideMode(Qt::ElideRight);
    tabs->onRequest = [this](int index) { requestPage(XvqPage(index)); };
    m_tabs = tabs;
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("XvqPages"));

    m_welcomePage = new XvqWelcomePage(m_stack);
    m_typePage = new XvqPodcastTypePage(m_stack);
    for (int index = 0; index < kXvqPageCount; ++index) {
        const auto page = XvqPage(index);
        XvqPageWidget* widget = nullptr;
        if (page == XvqPage::Welcome)
            widget = m_welcomePage;
        else if (page == XvqPage::PodcastType)
            widget = m_typePage;
        else
            widget = m_services.pageFactory(page, m_stack).release();
        Q_ASSERT(widget && widget->page() == page);
        m_pages[size_t(index)] = widget;
        m_tabs->addTab(xvqPageCaption(page));
        m_stack->addWidget(widget);
        wirePage(widget);
    }

    m_saveButton = new QPushButton(tr("&Save Podcast"), this);
    m_saveButton->setObjectName(QStringLiteral("SaveButton"));
    connect(m_saveButton, &QPushButton::clicked, this, [this] { SavePodcast(); });
    m_settingsButton = new QToolButton(this);
    m_settingsButton->setObjectName(QStringLiteral("SettingsButton"));
    m_settingsButton->setText(tr("Settings"));
    m_settingsButton->setPopupMode(QToolButton::InstantPopup);
    auto* settingsMenu = new QMenu(m_settingsButton);
    settingsMenu->setObjectName(QStringLiteral("SettingsMenu"));
    m_showWelcomeAction = settingsMenu->addAction(tr("Show Welcome Screen"));
    m_showWelcomeAction->setObjectName(QStringLiteral("ShowWelcomeOption"));
    m_showWelcomeAction->setCheckable(true);
    connect(m_showWelcomeAction, &QAction::triggered, this, [this](bool checked) { ShowWelcomeOptionClick(checked); });
    m_settingsButton->setMenu(settingsMenu);
    m_exitButton = new QPushButton(tr("E&xit"), this);
    m_exitButton->setObjectName(QStringLiteral("CancelButton"));
    m_exitButton->setAutoDefault(false);
    connect(m_exitButton, &QPushButton::clicked, this, [this] { CancelButtonClick(); });

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_saveButton);
    buttonRow->addSpacing(10);
    buttonRow->addWidget(m_settingsButton);
    buttonRow->addStretch();
    buttonRow->addWidget(m_exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(4);
    layout->addWidget(m_titleArea);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 0);
    body->setSpacing(0);
    body->addWidget(m_tabs);
    m_helpColumn = new XvqHelpColumn(this);
    connect(m_helpColumn, &XvqHelpColumn::questionClicked, this, [this](int index) { answerHelpQuestion(index); });
    connect(m_helpColumn, &XvqHelpColumn::helpClicked, this,
            [this] { showHelpTopic(helpContextForPage(m_navigator.shown())); });
    connect(m_helpColumn, &XvqHelpColumn::quickStartClicked, this, [this] { showHelpTopic(kXvqQuickStartContext); });
    auto* pageRow = new QHBoxLayout;
    pageRow->setSpacing(0);
    pageRow->addWidget(m_stack, 1);
    pageRow->addWidget(m_helpColumn);
    body->addLayout(pageRow, 1);
    body->addSpacing(6);
    body->addLayout(buttonRow);
    layout->addLayout(body, 1);
    resize(980, 600);

    connect(m_welcomePage->doNotShowCheck, &QCheckBox::clicked, this, [this] { m_welcomeChoiceMade = true; });
    connect(m_typePage->newFeedRadio, &QRadioButton::clicked, this, [this] { NewFeedRadioButtonClick(); });
    connect(m_typePage->existingFeedRadio, &QRadioButton::clicked, this, [this] { ExistingFeedRadioButtonClick(); });
    connect(m_typePage->typeBox, &QComboBox::activated, this, [this](int index) {
        m_record.PodcastType = quint8(index);
        UpdateTabsDisplay();
    });
    connect(m_typePage->browseButton, &QPushButton::clicked, this, [this] { FeedFileBrowseButtonClick(); });
    connect(m_typePage->feedFileEdit, &QLineEdit::editingFinished, this, [this] { FeedFilePathEditExit(); });
    connect(m_typePage->mruCombo, &QComboBox::activated, this, [this] { MruPdiComboChange(); });
    connect(m_typePage->mruCombo->lineEdit(), &QLineEdit::editingFinished, this, [this] { MruPdiComboChange(); });
    connect(m_typePage->addButton, &QPushButton::clicked, this, [this] { AddItemClick(); });
    connect(m_typePage->editButton, &QPushButton::clicked, this, [this] { EditItemClick(); });
    connect(m_typePage->deleteButton, &QPushButton::clicked, this, [this] { DeleteItemClick(); });
    connect(m_typePage->uploadButton, &QPushButton::clicked, this, [this] { UploadItemClick(); });
    wireUploadRoads();
}

void TXvqForm::wirePage(XvqPageWidget* page)
{
    const XvqPage which = page->page();
    if (QPushButton* next = page->nextButton())
        connect(next, &QPushButton::clicked, this, [this, which] { requestPage(nextVisiblePage(which, visibility())); });
    if (QPushButton* back = page->backButton())
        connect(back, &QPushButton::clicked, this,
                [this, which] { requestPage(previousVisiblePage(which, visibility())); });
    connect(page, &XvqPageWidget::informationChanged, this, [this] { UpdateDirtyFlag(true); });
}

void TXvqForm::YqmXvqStandard()
{
    m_record.PodcastType = 0;
    m_record.FeedChoice = 0;
    m_record.UseID3Tag = false;
    m_record.FeedGenerated = false;
    UpdateDirtyFlag(false);
    int doNotShow = 0;
    RegEntry(m_services.settings).ReadExpressRegBool(QString::fromLatin1(kSettingsSubKey),
                                                     QString::fromLatin1(kDoNotShowWelcome), doNotShow);
    setWelcomeShown(doNotShow == 0);
    UpdateTabsDisplay();
    const XvqPage start = doNotShow == 0 ? XvqPage::Welcome : XvqPage::PodcastType;
    m_navigator.reset(start);
    showPage(start);
    runUpdate(start);
}

void TXvqForm::setWelcomeShown(bool shown)
{
    m_welcomePage->doNotShowCheck->setChecked(!shown);
    m_showWelcomeAction->setChecked(shown);
    if (QPushButton* back = m_typePage->backButton())
        back->setEnabled(shown);
    m_typePage->browseButton->setEnabled(shown);
    m_typePage->mruCombo->setEnabled(shown);
    UpdateTabsDisplay();
}

XvqPageVisibility TXvqForm::visibility() const
{
    return {m_showWelcomeAction->isChecked(), m_record.PodcastType};
}

XvqContext TXvqForm::context() const
{
    return {&m_services.messages, &m_services.settings, m_projectPath, m_episode,
            m_services.editSongInformation ? &m_services.editSongInformation : nullptr,
            m_services.audioEngine};
}

void TXvqForm::UpdateTabsDisplay()
{
    const quint8 type = m_record.PodcastType;
    if (type > 1)
        return;
    const XvqPageVisibility shown = visibility();
    for (int index = 0; index < kXvqPageCount; ++index)
        m_tabs->setTabVisible(index, isPageVisible(XvqPage(index), shown));
    const auto hint = [this](XvqPage page, bool next, const QString& text) {
        XvqPageWidget* widget = pageWidget(page);
        if (QPushButton* button = next ? widget->nextButton() : widget->backButton())
            button->setToolTip(text);
    };
    const bool iTunes = type == 1;
    hint(XvqPage::FeedInfo, true,
         iTunes ? tr("Press Next To Move on Feed iTunes Information") : tr("Press Next To Move on Podcast Episode Information"));
    hint(XvqPage::PodcastItemInfo, false,
         iTunes ? tr("Press Back To Move on Feed iTunes Information") : tr("Press Back To Move on Podcast Feed Information"));
    hint(XvqPage::FTPInfo, false,
         iTunes ? tr("Press Back To Move on Podcast Item iTunes Information")
                : tr("Press Back To Move on Podcast Episode Information"));
}

void TXvqForm::UpdateDirtyFlag(bool changed)
{
    m_changed = changed;
    m_saveButton->setEnabled(changed);
}

void TXvqForm::showPage(XvqPage page)
{
    const int index = int(page);
    m_stack->setCurrentIndex(index);
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(index);
    showHelpQuestions(page);
}

void TXvqForm::requestPage(XvqPage page)
{
    // A question box of a gather or an update must not start a second change.
    if (m_changingPage)
        return;
    m_changingPage = true;
    const XvqPage leaving = m_navigator.current();
    m_navigator.request(page);
    if (page != leaving) {
        if (runGather(leaving, page) == StepVerdict::StayOnLeftPage) {
            m_navigator.gatherRefused();
        } else {
            m_navigator.gatherPassed();
            if (runUpdate(page) == StepVerdict::StayOnLeftPage)
                m_navigator.updateSentBack();
        }
    }
    m_record.LastActivePage = quint8(m_navigator.current());
    showPage(m_navigator.shown());
    m_changingPage = false;
}

StepVerdict TXvqForm::runGather(XvqPage leaving, XvqPage entering)
{
    switch (gatherOpOf(leaving)) {
    case GatherOp::None:
    case GatherOp::WelcomeCheck:
        return StepVerdict::Proceed;
    case GatherOp::PodcastTypeInfo:
        return GatherPodcastTypeInfo(entering);
    default:
        pageWidget(leaving)->stopActivity();
        return pageWidget(leaving)->Gather(m_record, context());
    }
}

StepVerdict TXvqForm::runUpdate(XvqPage entering)
{
    switch (updateOpOf(entering)) {
    case UpdateOp::None:
        return StepVerdict::Proceed;
    case UpdateOp::PodcastTypeInfo:
        return UIUpdatePodcastTypeInfo();
    default:
        updatePageKeepingFlag(entering);
        return StepVerdict::Proceed;
    }
}

void TXvqForm::updatePageKeepingFlag(XvqPage page)
{
    const bool changed = m_changed;
    pageWidget(page)->UIUpdate(m_record, context());
    UpdateDirtyFlag(changed);
}

void TXvqForm::updateEveryPage()
{
    for (int index = int(XvqPage::AudioFile); index < kXvqPageCount; ++index)
        updatePageKeepingFlag(XvqPage(index));
}

void TXvqForm::stopActivities()
{
    for (XvqPageWidget* page : m_pages)
        page->stopActivity();
}

void TXvqForm::prepareXvq()
{
    m_settingsButton->hide();
    m_saveButton->hide();
    setWelcomeShown(false);
    m_navigator.reset(XvqPage::PodcastType);
    showPage(XvqPage::PodcastType);
    runUpdate(XvqPage::PodcastType);
    UpdateTabsDisplay();
}

int TXvqForm::ShowXvq()
{
    prepareXvq();
    return exec();
}

bool TXvqForm::prepareForNewPodcast(const QString& audioPath, int type)
{
    m_settingsButton->hide();
    setWelcomeShown(false);
    m_record.PodcastType = quint8(type == 1 ? 1 : 0);
    m_record.FeedChoice = 0;
    m_navigator.reset(XvqPage::PodcastType);
    showPage(XvqPage::PodcastType);
    runUpdate(XvqPage::PodcastType);
    // Checked before the project is made, so a refused file leaves nothing behind.
    PodcastRecord probe;
    if (audioPath.trimmed().isEmpty() || !GetAudioFileInformation(audioPath, probe)) {
        qCWarning(lcPodcast) << "audio file" << audioPath << "cannot be read";
        m_services.messages.ShowErrorMessage(1001);
        m_record.AudioFilePath.clear();
        return false;
    }
    m_record.AudioFilePath = audioPath;
    UpdateTabsDisplay();
    requestPage(XvqPage::AudioFile);
    return m_navigator.current() == XvqPage::AudioFile;
}

int TXvqForm::ShowXvqForNewPodcast(const QString& audioPath, int type)
{
    if (!prepareForNewPodcast(audioPath, type))
        return QDialog::Rejected;
    return exec();
}

void TXvqForm::prepareForExistingPodcast(const QString& path)
{
    setWelcomeShown(false);
    m_typePage->existingFeedRadio->setChecked(true);
    ExistingFeedRadioButtonClick();
    m_navigator.reset(XvqPage::PodcastType);
    openProject(path);
    UpdateDirtyFlag(false);
    showPage(XvqPage::PodcastType);
    runUpdate(XvqPage::PodcastType);
}

int TXvqForm::ShowXvqForExistingPodcast(const QString& path)
{
    prepareForExistingPodcast(path);
    return exec();
}

bool TXvqForm::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_titleArea || watched == m_captionLabel) && event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton && windowHandle()) {
            windowHandle()->startSystemMove();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace podcast
