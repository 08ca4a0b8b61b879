#include "recorder/Proactive.h"

#include "recorder/Log.h"
#include "recorder/NextAction.h"
#include "recorder/PodcastTypeUnit.h"
#include "recorder/ProactiveArt.h"
#include "recorder/RecorderStart.h"

#include "common/ErrCodes.h"
#include "platform/messaging/ProgramWindows.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace recorder {

namespace {

constexpr int kHeaderHeight = 76;

} // namespace

// A road's label: its caption with the accelerator underlined, black at rest; highlighted, white on
// the road's colour.
class WelcomeLabel : public QLabel {
public:
    WelcomeLabel(const QString& text, const QColor& band, QWidget* parent)
        : QLabel(text, parent)
        , m_band(band)
    {
        QFont bigger = font();
        bigger.setPointSizeF(bigger.pointSizeF() * 1.3);
        bigger.setBold(true);
        setFont(bigger);
        setHighlighted(false);
    }

    void setHighlighted(bool highlighted)
    {
        m_highlighted = highlighted;
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, highlighted ? TProactiveForm::highlightedLabelColor()
                                                           : TProactiveForm::restingLabelColor());
        setPalette(colours);
        update();
    }

    QSize sizeHint() const override
    {
        const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
        return {text.width() + 2 * kPadding, kWelcomeImageSize};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
        const QRectF band(0, (height() - text.height()) / 2.0 - 8, text.width() + 2 * kPadding, text.height() + 16);
        if (m_highlighted) {
            p.setPen(Qt::NoPen);
            p.setBrush(m_band);
            p.drawRoundedRect(band, band.height() / 2, band.height() / 2);
        }
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(band, Qt::AlignCenter | Qt::TextShowMnemonic, this->text());
    }

private:
    static constexpr int kPadding = 16;
    QColor m_band;
    bool m_highlighted = false;
};

int askPodcastType(QWidget* parent)
{
    TPodcastTypeForm form(parent);
    return form.exec() == QDialog::Accepted ? form.selectedType() : -1;
}

TProactiveForm::TProactiveForm(ProactiveServices services, QWidget* parent)
    : QWidget(parent)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("ProactiveForm"));
    setWindowTitle(QString::fromLatin1(kWelcomeCaption));
    QApplication::setApplicationDisplayName(QString::fromLatin1(kRecorderCaption));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, kHeaderHeight + 18, 28, 18);
    layout->setSpacing(14);
    auto* roads = new QGridLayout;
    roads->setHorizontalSpacing(18);
    roads->setVerticalSpacing(12);
    m_roads[0].road = WelcomeRoad::RecordNew;
    m_roads[1].road = WelcomeRoad::OpenExisting;
    m_roads[2].road = WelcomeRoad::FromAudioFile;
    const struct {
        const char* rest;
        const char* up;
        const char* label;
        const char* text;
    } names[] = {
        {"NewPodcastImage", "UpNewPodcastImage", "RecordNewLabel", "&Record A New Podcast"},
        {"OpenExistingPodcastImage", "UpOpenExistingPodcastImage", "ExistingPodcastLabel",
         "&Open An Existing Podcast or Podcast Series"},
        {"PodcastFromExistingAudioImage", "UpPodcastFromExistingAudioImage", "ExistingAudioLabel",
         "Create Podcast From Existing &Audio File"},
    };
    for (int i = 0; i < 3; ++i) {
        roads->addWidget(makeRoad(m_roads[size_t(i)], names[i].rest, names[i].up, names[i].label,
                                  QString::fromLatin1(names[i].text)),
                         i, 0);
        roads->addWidget(m_roads[size_t(i)].label, i, 1);
    }
    roads->setColumnStretch(1, 1);
    layout->addLayout(roads);

    auto* foot = new QHBoxLayout;
    SoundNoteLabel = new QLabel(this);
    SoundNoteLabel->setObjectName(QStringLiteral("SoundNoteLabel"));
    SoundNoteLabel->setWordWrap(true);
    SoundNoteLabel->hide();
    foot->addWidget(SoundNoteLabel, 1);
    CloseButton = new QPushButton(QStringLiteral("&Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setMinimumWidth(96);
    connect(CloseButton, &QPushButton::clicked, this, &TProactiveForm::CloseButtonClick);
    foot->addWidget(CloseButton, 0, Qt::AlignRight | Qt::AlignBottom);
    layout->addLayout(foot);

    NewPodcastImage = m_roads[0].rest;
    UpNewPodcastImage = m_roads[0].up;
    RecordNewLabel = m_roads[0].label;
    OpenExistingPodcastImage = m_roads[1].rest;
    UpOpenExistingPodcastImage = m_roads[1].up;
    ExistingPodcastLabel = m_roads[1].label;
    PodcastFromExistingAudioImage = m_roads[2].rest;
    UpPodcastFromExistingAudioImage = m_roads[2].up;
    ExistingAudioLabel = m_roads[2].label;

    drawImages();
    resetHighlights();
    setFixedSize(sizeHint().expandedTo(QSize(560, 0)));

    // As early as the window exists, so that a start right after this one finds it.
    if (m_services.messaging)
        m_registration = m_services.messaging->registerWindow(platform::kRecorderWelcomeWindowClass, *this);
}

TProactiveForm::~TProactiveForm()
{
    m_registration.reset();
}

QWidget* TProactiveForm::makeRoad(Road& road, const char* restName, const char* upName, const char* labelName,
                                  const QString& text)
{
    // The two pictures lie on each other; one of them shows.
    auto* frame = new QWidget(this);
    frame->setFixedSize(kWelcomeImageSize, kWelcomeImageSize);
    road.rest = new QLabel(frame);
    road.up = new QLabel(frame);
    road.rest->setObjectName(QString::fromLatin1(restName));
    road.up->setObjectName(QString::fromLatin1(upName));
    road.label = new WelcomeLabel(text, welcomeAccent(road.road), this);
    road.label->setObjectName(QString::fromLatin1(labelName));
    for (QLabel* part : {road.rest, road.up, static_cast<QLabel*>(road.label)}) {
        part->setMouseTracking(true);
        part->installEventFilter(this);
    }
    for (QLabel* picture : {road.rest, road.up}) {
        picture->setGeometry(0, 0, kWelcomeImageSize, kWelcomeImageSize);
        picture->setAccessibleName(text);
    }
    road.up->setCursor(Qt::PointingHandCursor);
    road.label->setCursor(Qt::PointingHandCursor);
    return frame;
}

void TProactiveForm::drawImages()
{
    const qreal ratio = devicePixelRatioF();
    if (ratio == m_imageRatio)
        return;
    m_imageRatio = ratio;
    for (const Road& road : m_roads) {
        road.rest->setPixmap(welcomeImage(road.road, false, ratio));
        road.up->setPixmap(welcomeImage(road.road, true, ratio));
    }
}

void TProactiveForm::resetHighlights()
{
    for (const Road& road : m_roads) {
        road.rest->show();
        road.up->hide();
        road.label->setHighlighted(false);
    }
}

void TProactiveForm::highlight(const Road& road)
{
    resetHighlights();
    road.rest->hide();
    road.up->show();
    road.label->setHighlighted(true);
}

void TProactiveForm::showSoundNote(const QString& text)
{
    SoundNoteLabel->setText(text);
    SoundNoteLabel->show();
}

void TProactiveForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    drawImages();
    if (const QScreen* shown = screen())
        move(centredTopLeft(shown->availableGeometry(), frameGeometry().size()));
    activateWindow();
    setFocus();
    if (!m_services.arguments.isEmpty() && !m_shownOnce) {
        m_shownOnce = true;
        postOwnCommandLine();
    }
}

void TProactiveForm::postOwnCommandLine()
{
    const platform::BuiltArgumentBlock built = recorderArgumentBlock(m_services.arguments);
    if (!built.refused.isEmpty()) {
        const QString text = argumentTooLongText(built.refused.first());
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                m_services.messages.ShowMessageBox(text, QString::fromLatin1(kRecorderCaption),
                                                   platform::MB_OK | platform::MB_ICONINFORMATION);
            },
            Qt::QueuedConnection);
        return;
    }
    const platform::ArgumentBlock block = platform::ArgumentBlock::parse(built.bytes);
    QMetaObject::invokeMethod(this, [this, block] { ProcessArgumentBlock(block); }, Qt::QueuedConnection);
}

void TProactiveForm::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient page(0, kHeaderHeight, 0, height());
    page.setColorAt(0, QColor(0xF7, 0xF8, 0xFA));
    page.setColorAt(1, QColor(0xE4, 0xE8, 0xEE));
    p.fillRect(rect(), page);
    QLinearGradient header(0, 0, width(), 0);
    header.setColorAt(0, QColor(0x1F, 0x2A, 0x3C));
    header.setColorAt(1, QColor(0x35, 0x4A, 0x66));
    p.fillRect(QRect(0, 0, width(), kHeaderHeight), header);
    QFont title = font();
    title.setPointSizeF(title.pointSizeF() * 2);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(28, 0, width() - 56, kHeaderHeight), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromLatin1(kRecorderCaption));
}

void TProactiveForm::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    QCoreApplication::quit();
}

void TProactiveForm::keyPressEvent(QKeyEvent* event)
{
    if (!event->isAutoRepeat())
        m_pressedKey = roadForKey(event->key()) == WelcomeRoad::None ? 0 : event->key();
    QWidget::keyPressEvent(event);
}

void TProactiveForm::keyReleaseEvent(QKeyEvent* event)
{
    const bool pressedHere = !event->isAutoRepeat() && m_pressedKey != 0 && event->key() == m_pressedKey;
    if (!pressedHere) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    m_pressedKey = 0;
    take(roadForKey(event->key()));
}

void TProactiveForm::mouseMoveEvent(QMouseEvent* event)
{
    resetHighlights();
    QWidget::mouseMoveEvent(event);
}

bool TProactiveForm::eventFilter(QObject* watched, QEvent* event)
{
    for (const Road& road : m_roads) {
        const bool onUp = watched == road.up;
        const bool onLabel = watched == road.label;
        if (watched != road.rest && !onUp && !onLabel)
            continue;
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
            if (!onUp && !road.rest->isHidden())
                highlight(road);
            // The window's own move would take the highlight away again.
            return event->type() == QEvent::MouseMove;
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            if ((onUp || onLabel) && mouse->button() == Qt::LeftButton &&
                widget->rect().contains(mouse->position().toPoint())) {
                take(road.road);
                return true;
            }
            break;
        }
        default:
            break;
        }
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TProactiveForm::take(WelcomeRoad road)
{
    switch (road) {
    case WelcomeRoad::RecordNew:
        UpNewPodcastImageClick();
        break;
    case WelcomeRoad::OpenExisting:
        UpOpenExistingPodcastImageClick();
        break;
    case WelcomeRoad::FromAudioFile:
        UpPodcastFromExistingAudioImageClick();
        break;
    case WelcomeRoad::None:
        break;
    }
}

void TProactiveForm::UpNewPodcastImageClick()
{
    // Started with a file, the window stays in sight (disabled by the modal recording window).
    if (m_services.arguments.isEmpty())
        hide();
    if (m_services.runRecordingWindow)
        m_services.runRecordingWindow(this);
    const QString next = nextAction();
    switch (afterRecording(next)) {
    case AfterRecording::ShowWelcome:
        break;
    case AfterRecording::OpenEmptyBuilder:
        runBuilder([this] { m_services.builder.ShowXvq(this); });
        break;
    case AfterRecording::AskTypeThenBuilder:
        show();
        askTypeThenBuild(next);
        break;
    }
    show();
}

void TProactiveForm::UpOpenExistingPodcastImageClick()
{
    LaunchXVQForExistingPodcast();
}

void TProactiveForm::UpPodcastFromExistingAudioImageClick()
{
    LaunchXVQForNewPodcast();
}

void TProactiveForm::CloseButtonClick()
{
    close();
}

void TProactiveForm::LaunchXVQForNewPodcast()
{
    const platform::FileDialogResult chosen = m_services.messages.interaction().openFile(audioFileRequest());
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    askTypeThenBuild(chosen.files.first());
}

void TProactiveForm::LaunchXVQForExistingPodcast()
{
    const platform::FileDialogResult chosen = m_services.messages.interaction().openFile(podcastFileRequest());
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    const QString file = chosen.files.first();
    runBuilder([this, &file] { m_services.builder.ShowXvqForExistingPodcast(this, file); });
}

void TProactiveForm::ProcessArgumentBlock(const platform::ArgumentBlock& block)
{
    askTypeThenBuild(chosenAudioFile(block));
}

void TProactiveForm::askTypeThenBuild(const QString& audioFile)
{
    const int type = m_services.askPodcastType ? m_services.askPodcastType(this) : -1;
    if (type == -1)
        return;
    runBuilder([this, &audioFile, type] { m_services.builder.ShowXvqForNewPodcast(this, audioFile, type); });
}

void TProactiveForm::runBuilder(const std::function<void()>& call)
{
    hide();
    call();
    show();
}

QString TProactiveForm::windowCaption() const
{
    return windowTitle();
}

bool TProactiveForm::windowVisible() const
{
    return isVisible();
}

bool TProactiveForm::windowEnabled() const
{
    return isEnabled() && !QApplication::activeModalWidget();
}

void TProactiveForm::windowMessage(uint32_t message, intptr_t, intptr_t)
{
    qCInfo(lcRecorder) << "the welcome window takes no message from outside; ignored" << message;
}

bool TProactiveForm::windowCopyData(uint64_t, const QByteArray& data)
{
    if (data.isEmpty()) {
        qCWarning(lcRecorder) << "an empty hand-over was not taken";
        return false;
    }
    // A start that asked while this window was free may arrive once it is not.
    if (!windowVisible() || !windowEnabled()) {
        qCWarning(lcRecorder) << "a hand-over came while the recorder is busy; not taken";
        return false;
    }
    const platform::ArgumentBlock block = platform::ArgumentBlock::parse(data);
    QMetaObject::invokeMethod(this, [this, block] { ProcessArgumentBlock(block); }, Qt::QueuedConnection);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return true;
}

} // namespace recorder
