#include "editor/MainForm.h"

#include "editor/MainFormParts.h"

#include "editor/ErrCodes.h"
#include "editor/MainFormRules.h"
#include "editor/WorkspaceFiles.h"

#include "common/EditorMessages.h"
#include "common/ErrCodes.h"
#include "common/EditorPreferences.h"
#include "common/JobRunner.h"
#include "common/Log.h"
#include "common/SettingsAccess.h"
#include "common/Util.h"
#include "common/WaveUtil.h"
#include "controls/Color.h"
#include "controls/CoolButton.h"
#include "controls/OViewFrame.h"
#include "controls/Overview.h"
#include "controls/PeakDisplay.h"
#include "controls/RectBtnEx.h"
#include "controls/Scale.h"
#include "controls/Waveform.h"
#include "platform/base/Colors.h"
#include "platform/base/PostedMessage.h"
#include "platform/codecs/VXFmtHlp.h"
#include "platform/files/FileTime.h"
#include "platform/messaging/ProgramWindows.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace controls;
using mainform::setEnabledOf;
using mainform::setVisibleOf;

namespace {

constexpr QSize kDesignedSize(900, 560);
constexpr int kButtonPanelHeight = 24;
const QString kPeaksCaption = QStringLiteral("Building Peaks...");
const QString kOpenFilter =
    QStringLiteral("Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|All Supported Media Types |*.mp3;*.wav");

constexpr char kSampleFormValue[] = "Position Display in Sample Format";

SettingsAccess editorSettings(platform::SettingsStore& store)
{
    return SettingsAccess(store, QString::fromLatin1(kEditorSettingsKey), {185, 186, 187});
}

// Positions show as sample numbers when the settings say so; a value that cannot be read gives the
// time form.
bool storedSampleForm(platform::SettingsStore& store)
{
    bool samples = false;
    return editorSettings(store).readBool({}, kSampleFormValue, samples) == 0 && samples;
}

// The controls this program does not offer: they exist under their names but stay hidden.
bool notOffered(Control control)
{
    return control == Control::LoadFrom || control == Control::CloseAll || control == Control::BatchExport ||
           control == Control::AppRecord;
}

} // namespace

TMainForm::TMainForm(const EditorWindowServices& services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_colorScheme(SchemeProgram::Editor, services.settings, services.messages)
    , m_decoder(services.makeDecoder(this))
    , m_workspace(*this, *m_decoder, services.tempFolder)
    , m_copies(
          this, services.runner.progressHost(), [this](uint64_t id, int result) { workspaceCopyEnded(id, result); },
          services.copy)
    , m_edit(*this, services.editLibrary, services.runner, services.messages, m_panel, readWaveFileInformation)
    , m_view(*this, storedSampleForm(services.settings), recordingFormat())
    , m_commandLine(*this)
    , m_saver({services.messages, services.settings, services.runner, services.musicFolder,
               [this](TDocumentRecord& document) { return readyForEditing(document); }})
{
    setObjectName(QStringLiteral("MainForm"));
    m_peakSaves.setMaxThreadCount(1);
    setWindowTitle(::windowCaption(nullptr));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("MainPanel"));
    setCentralWidget(central);
    createMenus();
    createButtons(central);
    createPositionFields(central);
    createTransportControls(central);
    createStatusBar();
    if (m_colorScheme.LoadColorScheme() == ColorSchemeCode::Ok)
        applyColorScheme();

    resize(kDesignedSize);
    setMinimumSize(kDesignedSize);
    for (int i = 0; i < kControlCount; ++i)
        if (notOffered(Control(i)))
            for (QObject* object : m_controls[size_t(i)])
                setVisibleOf(object, false);
    applyControlState(ControlState::NoDocument);
    m_view.setDocument(nullptr);
    m_view.updateStatusBar();

    if (m_services.messaging)
        m_registration = m_services.messaging->registerWindow(platform::kEditorMainWindowClass, *this);
}

TMainForm::~TMainForm()
{
    m_registration.reset();
    // The documents' working files belong to this run; the user's files stay.
    while (!m_workspace.documents().isEmpty()) {
        removeDocumentFiles(*m_workspace.documents().at(0));
        m_workspace.documents().takeAt(0);
    }
}

void TMainForm::name(Control control, QObject* object)
{
    m_controls[size_t(control)].append(object);
}

QAction* TMainForm::menuItem(QMenu* menu, const char* name, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    for (int i = 0; i < kControlCount; ++i)
        if (controlObjectNames(Control(i)).contains(action->objectName()))
            this->name(Control(i), action);
    return action;
}

void TMainForm::notAvailable(const QString& what)
{
    m_services.messages.ShowMessageBox(what + QStringLiteral(" is not available yet."), {},
                                       platform::MB_OK | platform::MB_ICONINFORMATION);
}

void TMainForm::createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    const auto later = [this](QAction* action, const QString& what) {
        connect(action, &QAction::triggered, this, [this, what] { notAvailable(what); });
    };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("FileMenu"));
    connect(menuItem(file, "FileNewMenu", QStringLiteral("&New...")), &QAction::triggered, this, [this] { fileNew(); });
    connect(menuItem(file, "FileOpenMenu", QStringLiteral("&Open...")), &QAction::triggered, this,
            [this] { fileOpen(); });
    menuItem(file, "FileLoadFromMenu", QStringLiteral("&Load From"));
    connect(menuItem(file, "FileSaveMenu", QStringLiteral("&Save")), &QAction::triggered, this,
            [this] { fileSave(SaveMode::Save); });
    connect(menuItem(file, "FileSaveAsMenu", QStringLiteral("Save &As...")), &QAction::triggered, this,
            [this] { fileSave(SaveMode::SaveAs); });
    connect(menuItem(file, "FileRevertMenu", QStringLiteral("&Revert")), &QAction::triggered, this,
            [this] { fileRevert(); });
    connect(menuItem(file, "FileCloseMenu", QStringLiteral("&Close")), &QAction::triggered, this,
            [this] { fileClose(); });
    menuItem(file, "FileCloseAllMenu", QStringLiteral("Close All"));
    file->addSeparator();
    later(menuItem(file, "FileExportMenu", QStringLiteral("&Export")), QStringLiteral("Exporting"));
    menuItem(file, "BatchExportMenu", QStringLiteral("&Batch Export"));
    later(menuItem(file, "SaveAsPodcastMenu", QStringLiteral("Save As Podcast...")),
          QStringLiteral("Saving as a podcast"));
    later(menuItem(file, "UploadPodcastMenu", QStringLiteral("Upload Podcast...")),
          QStringLiteral("Uploading a podcast"));
    file->addSeparator();
    later(menuItem(file, "FilePreferencesMenu", QStringLiteral("&Preferences...")), QStringLiteral("Preferences"));
    file->addSeparator();
    connect(menuItem(file, "FileExitMenu", QStringLiteral("E&xit")), &QAction::triggered, this, &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("EditMenu"));
    // The shortcuts act while the window is active, and only when their item is enabled.
    const auto editItem = [&](const char* name, const QString& text, const EditRun& run,
                              const QKeySequence& shortcut = {}) {
        QAction* action = menuItem(edit, name, text);
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [this, run] { runEdit(run); });
    };
    editItem(
        "EditUndoMenu", QStringLiteral("&Undo"), [this](TDocumentRecord& d) { return m_edit.undo(d); },
        QKeySequence(Qt::CTRL | Qt::Key_Z));
    editItem(
        "EditRedoMenu", QStringLiteral("&Redo"), [this](TDocumentRecord& d) { return m_edit.redo(d); },
        QKeySequence(Qt::CTRL | Qt::Key_Y));
    edit->addSeparator();
    editItem(
        "EditCutMenu", QStringLiteral("Cu&t"), [this](TDocumentRecord& d) { return m_edit.cut(d); },
        QKeySequence(Qt::CTRL | Qt::Key_X));
    editItem(
        "EditCopyMenu", QStringLiteral("&Copy"), [this](TDocumentRecord& d) { return m_edit.copy(d); },
        QKeySequence(Qt::CTRL | Qt::Key_C));
    editItem(
        "EditPasteMenu", QStringLiteral("&Paste"), [this](TDocumentRecord& d) { return m_edit.paste(d); },
        QKeySequence(Qt::CTRL | Qt::Key_V));
    editItem("EditClearMenu", QStringLiteral("C&lear"), [this](TDocumentRecord& d) { return m_edit.clear(d); });
    editItem("EditCropMenu", QStringLiteral("Cr&op"), [this](TDocumentRecord& d) { return m_edit.crop(d); });
    editItem("EditCutSelectionToFileMenu", QStringLiteral("Cut Se&lection To File..."),
             [this](TDocumentRecord& d) { return m_edit.cut(d, true); });
    editItem("EditCopySelectionToFileMenu", QStringLiteral("Cop&y &Selection To File..."),
             [this](TDocumentRecord& d) { return m_edit.copy(d, true); });
    edit->addSeparator();
    connect(menuItem(edit, "EditSelectAllMenu", QStringLiteral("Select &All")), &QAction::triggered, this,
            [this] { m_view.selectAll(); });
    connect(menuItem(edit, "EditSelectNoneMenu", QStringLiteral("Select &None")), &QAction::triggered, this,
            [this] { m_view.selectNone(); });
    edit->addSeparator();
    connect(menuItem(edit, "EditMuteMenu", QStringLiteral("&Mute...")), &QAction::triggered, this,
            [this] { editMute(); });
    connect(menuItem(edit, "EditTrimSilenceMenu", QStringLiteral("Trim Sil&ence...")), &QAction::triggered, this,
            [this] { editTrimSilence(); });
    connect(menuItem(edit, "EditInsertSilenceMenu", QStringLiteral("&Insert Silence...")), &QAction::triggered,
            this, [this] { editInsertSilence(); });
    m_changeFormatSeparator = edit->addSeparator();
    connect(menuItem(edit, "EditChangeFormatMenu", QStringLiteral("Change &Format...")), &QAction::triggered, this,
            [this] { editChangeFormat(); });

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("ViewMenu"));
    connect(menuItem(view, "ViewZoomInMenu", QStringLiteral("Zoom &In")), &QAction::triggered, this,
            [this] { m_view.zoomIn(); });
    connect(menuItem(view, "ViewZoomOutMenu", QStringLiteral("Zoom &Out")), &QAction::triggered, this,
            [this] { m_view.zoomOut(); });
    connect(menuItem(view, "ViewZoomToExtentsMenu", QStringLiteral("Zoom To &Extents")), &QAction::triggered, this,
            [this] { m_view.zoomToExtents(); });
    connect(menuItem(view, "ViewZoomToSelectionMenu", QStringLiteral("Zoom To &Selection")), &QAction::triggered,
            this, [this] { m_view.zoomToSelection(); });
    view->addSeparator();
    m_minSecItem = menuItem(view, "ViewPositionDisplayMinSecMenu", QStringLiteral("&Minutes / Seconds"));
    m_samplesItem = menuItem(view, "ViewPositionDisplaySamplesMenu", QStringLiteral("Sample &Number"));
    m_minSecItem->setCheckable(true);
    m_samplesItem->setCheckable(true);
    m_minSecItem->setChecked(!m_view.samples());
    m_samplesItem->setChecked(m_view.samples());
    connect(m_minSecItem, &QAction::triggered, this, [this] { setPositionForm(false); });
    connect(m_samplesItem, &QAction::triggered, this, [this] { setPositionForm(true); });
    view->addSeparator();
    connect(menuItem(view, "ViewSetColorsMenu", QStringLiteral("Set &Colors...")), &QAction::triggered, this,
            [this] { setColors(); });
    view->addSeparator();
    QAction* fullScreenItem = menuItem(view, "ViewFillScreenMenu", QStringLiteral("&Full Screen"));
    QAction* minimumSizeItem = menuItem(view, "ViewMinimumSizeMenu", QStringLiteral("&Minimum Size"));
    minimumSizeItem->setEnabled(false);
    connect(fullScreenItem, &QAction::triggered, this, [this, fullScreenItem, minimumSizeItem] {
        showMaximized();
        fullScreenItem->setEnabled(false);
        minimumSizeItem->setEnabled(true);
    });
    connect(minimumSizeItem, &QAction::triggered, this, [this, fullScreenItem, minimumSizeItem] {
        showNormal();
        fullScreenItem->setEnabled(true);
        minimumSizeItem->setEnabled(false);
        resize(minimumSize());
    });

    QMenu* effects = bar->addMenu(QStringLiteral("Effe&cts"));
    effects->setObjectName(QStringLiteral("EffectsMenu"));
    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("ToolsMenu"));
    connect(menuItem(tools, "RecordCleanerMenu", QStringLiteral("Record &Cleaner...")), &QAction::triggered, this,
            [this] { recordCleaner(); });
    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    later(menuItem(help, "HelpContents1", QStringLiteral("Help &Contents")), QStringLiteral("Help"));
    later(menuItem(help, "HelpHelpIndexMenu", QStringLiteral("Help &Index")), QStringLiteral("Help"));
    later(menuItem(help, "HelpAboutMenu", QStringLiteral("About Zuq Editor...")), QStringLiteral("About"));
}

void TMainForm::setPositionForm(bool samples)
{
    m_minSecItem->setChecked(!samples);
    m_samplesItem->setChecked(samples);
    SettingsAccess access = editorSettings(m_services.settings);
    if (const int code = access.writeBool({}, kSampleFormValue, samples))
        m_services.messages.ShowErrorMessage(code);
    m_view.setPositionForm(samples);
}

void TMainForm::createButtons(QWidget* parent)
{
    auto* column = new QVBoxLayout(parent);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);

    auto* row = new QHBoxLayout;
    const auto button = [&](Control control, const char* objectName, const QString& caption) {
        auto* made = new TCoolButton(ControlVariant::Editor, parent);
        made->setObjectName(QString::fromLatin1(objectName));
        made->setCaption(caption);
        made->setTransparent(true);
        made->setMinimumSize(64, 26);
        row->addWidget(made);
        if (control != Control::Count)
            name(control, made);
        return made;
    };
    // The focus goes back to the display, so that the transport keys reach the window rather than
    // the button clicked last.
    const auto transport = [this](TCoolButton* made, void (TMainForm::*handler)()) {
        connect(made, &TCoolButton::OnClick, this, [this, handler] {
            (this->*handler)();
            if (TQzv32WaveDisplay* display = currentDisplay())
                display->setFocus();
        });
    };
    transport(button(Control::Play, "PlayButton", QStringLiteral("Play")), &TMainForm::playButtonClick);
    transport(button(Control::PlayFromStart, "PlayFromStartButton", QStringLiteral("From Start")),
              &TMainForm::playFromStartButtonClick);
    transport(button(Control::Pause, "PauseButton", QStringLiteral("Pause")), &TMainForm::pauseButtonClick);
    transport(button(Control::Stop, "StopButton", QStringLiteral("Stop")), &TMainForm::stopButtonClick);
    transport(button(Control::Rewind, "RewindButton", QStringLiteral("Rewind")), &TMainForm::rewindButtonClick);
    transport(button(Control::Forward, "FastForwardButton", QStringLiteral("Forward")),
              &TMainForm::fastForwardButtonClick);
    transport(button(Control::SkipBack, "SkipToStartButton", QStringLiteral("|<")), &TMainForm::skipToStartButtonClick);
    transport(button(Control::SkipForward, "SkipToEndButton", QStringLiteral(">|")), &TMainForm::skipToEndButtonClick);
    transport(button(Control::Record, "StartStopRecordingButton", QStringLiteral("Record")),
              &TMainForm::startStopRecordingButtonClick);
    transport(button(Control::RecordingFormat, "RecSettingsButton", QStringLiteral("Format")),
              &TMainForm::recSettingsButtonClick);
    button(Control::AppRecord, "AppRecButton", QStringLiteral("App Rec"));
    row->addStretch();
    connect(button(Control::Count, "ZoomInButton", QStringLiteral("+")), &TCoolButton::OnClick, this,
            [this] { m_view.zoomIn(); });
    connect(button(Control::Count, "ZoomOutButton", QStringLiteral("-")), &TCoolButton::OnClick, this,
            [this] { m_view.zoomOut(); });
    connect(button(Control::Count, "ZoomToExtentsButton", QStringLiteral("All")), &TCoolButton::OnClick, this,
            [this] { m_view.zoomToExtents(); });
    connect(button(Control::Count, "ZoomToSelectionButton", QStringLiteral("Sel")), &TCoolButton::OnClick, this,
            [this] { m_view.zoomToSelection(); });
    for (const QString& zoomName : controlObjectNames(Control::ViewItems))
        if (zoomName.endsWith(QLatin1String("Button")))
            name(Control::ViewItems, parent->findChild<TCoolButton*>(zoomName));
    column->addLayout(row);

    m_buttonPanel = new QWidget(parent);
    m_buttonPanel->setObjectName(QStringLiteral("DocumentButtonPanel"));
    m_buttonPanel->setFixedHeight(kButtonPanelHeight);
    // Not offered: one document is open at a time, so its button would only take room.
    m_buttonPanel->hide();
    column->addWidget(m_buttonPanel);

    m_waveArea = new QStackedWidget(parent);
    m_waveArea->setObjectName(QStringLiteral("WaveformArea"));
    m_templateDisplay = new TQzv32WaveDisplay(m_waveArea);
    m_templateDisplay->setObjectName(QStringLiteral("TemplateWaveform"));
    m_waveArea->addWidget(m_templateDisplay);
    column->addWidget(m_waveArea, 1);

    auto* scroll = new QHBoxLayout;
    row = scroll;
    // The scroll buttons act on the press and again every 100 ms while held (see eventFilter).
    m_scrollButtons[0] = button(Control::Count, "WaveformLeftScrollButton", QStringLiteral("<"));
    m_scrollButtons[0]->installEventFilter(this);
    scroll->addStretch();
    m_scrollButtons[1] = button(Control::Count, "WaveformRightScrollButton", QStringLiteral(">"));
    m_scrollButtons[1]->installEventFilter(this);
    m_scrollRepeat.setInterval(100);
    connect(&m_scrollRepeat, &QTimer::timeout, this, [this] { scrollHeld(); });
    column->addLayout(scroll);
}

void TMainForm::createPositionFields(QWidget* parent)
{
    auto* row = new QHBoxLayout;
    const std::array<const char*, 3> labels{"PositionBox", "StartSelectionBox", "EndSelectionBox"};
    const std::array<const char*, 3> edits{"PositionMaskEdit", "StartSelectionMaskEdit", "EndSelectionMaskEdit"};
    const std::array<QString, 3> captions{QStringLiteral("Position:"), QStringLiteral("Selection Start:"),
                                          QStringLiteral("Selection End:")};
    for (size_t i = 0; i < 3; ++i) {
        row->addWidget(new QLabel(captions[i], parent));
        auto* field = new QWidget(parent);
        field->setFixedSize(110, 24);
        m_fieldLabels[i] = new QLabel(field);
        m_fieldLabels[i]->setObjectName(QString::fromLatin1(labels[i]));
        m_fieldLabels[i]->setFrameShape(QFrame::Panel);
        m_fieldLabels[i]->setFrameShadow(QFrame::Sunken);
        m_fieldLabels[i]->setGeometry(0, 0, 110, 24);
        m_fieldLabels[i]->installEventFilter(this);
        m_fieldEdits[i] = new QLineEdit(field);
        m_fieldEdits[i]->setObjectName(QString::fromLatin1(edits[i]));
        m_fieldEdits[i]->setGeometry(0, 0, 110, 24);
        m_fieldEdits[i]->hide();
        m_fieldEdits[i]->installEventFilter(this);
        row->addWidget(field);
        row->addSpacing(12);
    }
    row->addStretch();
    static_cast<QVBoxLayout*>(parent->layout())->addLayout(row);
}

void TMainForm::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    const std::array<int, kEditorStatusPanelCount> widths{260, 90, 60, 60, 80, 110};
    for (int i = 0; i < kEditorStatusPanelCount; ++i) {
        m_statusPanels[size_t(i)] = new QLabel(bar);
        m_statusPanels[size_t(i)]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[size_t(i)]->setMinimumWidth(widths[size_t(i)]);
        bar->addWidget(m_statusPanels[size_t(i)], i == 0 ? 1 : 0);
    }
}

void TMainForm::scrollHeld()
{
    if (m_scrollingRight)
        m_view.scrollRight();
    else
        m_view.scrollLeft();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    for (size_t i = 0; i < m_scrollButtons.size(); ++i) {
        if (watched != m_scrollButtons[i] || !m_scrollButtons[i]->isEnabled())
            continue;
        if (event->type() == QEvent::MouseButtonPress) {
            m_scrollingRight = i == 1;
            scrollHeld();
            m_scrollRepeat.start();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_scrollRepeat.stop();
        }
    }
    for (size_t i = 0; i < 3; ++i) {
        QLineEdit* edit = m_fieldEdits[i];
        if (watched == m_fieldLabels[i] && event->type() == QEvent::MouseButtonPress && currentDisplay()) {
            if (i == 0)
                m_view.beginCaretEdit();
            edit->setText(m_fieldLabels[i]->text());
            edit->show();
            edit->setFocus();
            return true;
        }
        // A hidden field is not being edited: hiding it below takes its focus away, which must not
        // end the edit a second time.
        if (watched != edit || edit->isHidden())
            continue;
        std::optional<std::optional<QString>> ended;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter)
                ended = std::optional<QString>(edit->text());
            else if (key == Qt::Key_Escape)
                ended = std::optional<QString>();
        } else if (event->type() == QEvent::FocusOut) {
            ended = std::optional<QString>(edit->text());
        }
        if (!ended)
            continue;
        edit->hide();
        if (i == 0)
            m_view.endCaretEdit(*ended);
        else
            m_view.endSelectionEdit(PositionField(i), *ended);
        if (TQzv32WaveDisplay* display = currentDisplay())
            display->setFocus();
        return event->type() == QEvent::KeyPress;
    }
    return QMainWindow::eventFilter(watched, event);
}

TQzv32WaveDisplay* TMainForm::currentDisplay() const
{
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    return views ? views->display : nullptr;
}

TMainForm::DocumentViews* TMainForm::viewsOf(const TDocumentRecord* document) const
{
    if (!document)
        return nullptr;
    const auto found = m_views.find(document->id);
    return found == m_views.end() ? nullptr : found->second.get();
}

void TMainForm::applyPanel()
{
    for (int i = 0; i < kControlCount; ++i) {
        const Control control = Control(i);
        for (QObject* object : m_controls[size_t(i)]) {
            setEnabledOf(object, m_panel.enabled(control));
            if (!notOffered(control) && !(control == Control::ChangeFormat && m_changeFormatHidden))
                setVisibleOf(object, m_panel[control].visible);
        }
    }
}

void TMainForm::applyControlState(ControlState state)
{
    SetControlState(m_panel, state);
    applyPanel();
}

void TMainForm::updateDocumentControls()
{
    DocumentControlsInput input;
    input.document = m_workspace.documents().current();
    if (const TQzv32WaveDisplay* display = currentDisplay())
        input.selectionEmpty = display->SelectionStartPos() == display->SelectionEndPos();
    if (input.document) {
        input.undoAvailable = hasUndoData(*input.document);
        input.redoAvailable = hasRedoData(*input.document);
    }
    input.canPaste = m_services.editLibrary.canPaste() == 1;
    UpdateDocumentControls(m_panel, input);
    applyPanel();
}

void TMainForm::showCurrentDocument()
{
    const TDocumentRecord* current = m_workspace.documents().current();
    DocumentViews* shown = viewsOf(current);
    for (auto& [id, views] : m_views) {
        const bool isCurrent = views.get() == shown;
        QFont font = views->button->font();
        font.setBold(isCurrent);
        views->button->setFont(font);
        views->button->setDown(isCurrent);
        views->button->setCanChangeState(!isCurrent);
        views->button->show();
    }
    m_waveArea->setCurrentWidget(shown ? shown->page : static_cast<QWidget*>(m_templateDisplay));
    setWindowTitle(::windowCaption(current));
    layOutDocumentButtons();
    if (shown) {
        const ViewDocument document{shown->view.get(), current->waveFormat, current->info.lengthMs,
                                    current->displayName};
        m_view.setDocument(&document);
        m_view.displaySelected(shown->display->SelectionStartPos(), shown->display->SelectionEndPos());
        m_view.displayCaretMoved();
        shown->display->setFocus();
    } else {
        m_view.setDocument(nullptr);
    }
    m_view.updateStatusBar();
    updateDocumentControls();
}

void TMainForm::layOutDocumentButtons()
{
    const DocumentList& documents = m_workspace.documents();
    const std::vector<QRect> rects =
        documentButtonRects(documents.count(), m_buttonPanel->width(), m_buttonPanel->height());
    for (int i = 0; i < documents.count(); ++i)
        if (DocumentViews* views = viewsOf(documents.at(i)))
            views->button->setGeometry(rects[size_t(i)]);
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layOutDocumentButtons();
    if (currentDisplay()) {
        m_view.updateRuler();
        m_view.moveOverviewFrame();
    }
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    layOutDocumentButtons();
    testLevelsWhenAlwaysWanted();
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (m_startCommandLine && !m_startCommandLine->files.isEmpty())
        m_commandLine.post(*m_startCommandLine);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (closeDown(*this))
        event->accept();
    else
        event->ignore();
}

bool TMainForm::event(QEvent* event)
{
    if (event->type() == platform::PostedMessage::eventType()) {
        const auto* message = static_cast<const platform::PostedMessage*>(event);
        if (message->message() == kJobEndedMessage) {
            m_copies.handleJobEnded(uint64_t(message->wParam()));
            return true;
        }
        if (transportMessage(*message))
            return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::reportWorkspace(const WorkspaceResult& result)
{
    const platform::Messages& messages = m_services.messages;
    switch (result.report) {
    case WorkspaceResult::Report::None:
        return;
    case WorkspaceResult::Report::Message:
        if (result.code == kMp3NotConvertible)
            offerMp3Component();
        else
            messages.ShowErrorMessage(result.code, {result.argument});
        return;
    case WorkspaceResult::Report::NoTempSpace:
        messages.ShowMessageBox(QString::fromLatin1(kNoTempSpaceText), {}, platform::MB_OK | platform::MB_ICONERROR);
        return;
    case WorkspaceResult::Report::FileInformation:
        messages.ShowErrorMessage(editor::WaveReadErrorToMessageId(result.code));
        return;
    }
}

bool sameAudio(const platform::FileStamp& a, const platform::FileStamp& b)
{
    return a.exists && a.regular && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modifiedNs == b.modifiedNs && b.exists;
}

bool PeaksOfFiles::fits(const platform::FileStamp& file) const
{
    return std::any_of(files.begin(), files.end(), [&](const platform::FileStamp& own) { return sameAudio(own, file); });
}

int TMainForm::openDisplay(DocumentViews& views, const QString& file, bool usePeakCache, bool cancelShown)
{
    const platform::Messages& messages = m_services.messages;
    PeakDisplayRequest request;
    request.wavFile = file;
    request.caption = kPeaksCaption;
    request.usePeakCache = usePeakCache;
    request.tempFolder = m_services.tempFolder();
    request.cancelShown = cancelShown;
    TQzv32WaveDisplay& display = *views.display;
    views.shownFits.clear();
    display.CloseWave();
    if (const int code = OpenPeakDisplay(display, request, m_services.runner, messages))
        return code;
    if (const int code = display.DrawView(display.MaxZoomLevel(), 0)) {
        ShowMappedError(messages, code, WaveDisplayErrorToMessageId);
        return code;
    }
    views.shownFits = {platform::FileStamp::ofPath(file)};
    openOverview(views, file);
    return 0;
}

void TMainForm::openOverview(DocumentViews& views, const QString& file)
{
    // The overview draws the display's peaks; they are never changed in place, only replaced.
    TQzv32Overview& overview = *views.overview;
    overview.CloseWave();
    if (overview.OpenWaveFile(file) == 0 && overview.UsePeaks(views.display->sharedPeaks()) == 0)
        overview.DrawView(overview.MaxZoomLevel(), 0);
}

std::optional<int> TMainForm::showKeptPeaks(DocumentViews& views, const QString& workingFile)
{
    const platform::FileStamp working = platform::FileStamp::ofPath(workingFile);
    const auto found =
        std::find_if(views.kept.begin(), views.kept.end(), [&](const PeaksOfFiles& kept) { return kept.fits(working); });
    if (found == views.kept.end())
        return std::nullopt;
    std::shared_ptr<const PeakCache> peaks = found->peaks;
    views.kept.erase(found);
    TQzv32WaveDisplay& display = *views.display;
    views.shownFits.clear();
    display.CloseWave();
    // A file that cannot be opened is left to the build, which tells why.
    if (display.OpenWaveFile(workingFile) != 0 || display.UsePeaks(std::move(peaks)) != 0)
        return std::nullopt;
    const platform::Messages& messages = m_services.messages;
    if (const int code = display.DrawView(display.MaxZoomLevel(), 0)) {
        ShowMappedError(messages, code, WaveDisplayErrorToMessageId);
        return code;
    }
    // The cache beside the working file held the state it replaced.
    savePeaksInBackground(views, workingFile, false);
    views.shownFits = {working};
    openOverview(views, workingFile);
    return 0;
}

void TMainForm::savePeaksInBackground(DocumentViews& views, const QString& file, bool stampTime)
{
    const TQzv32WaveDisplay& display = *views.display;
    std::optional<int64_t> time;
    if (stampTime) {
        time = platform::fileWriteTimeNs(file);
        if (!time)
            qCWarning(lcCommon) << "the time of" << file << "cannot be read for its peak cache";
    }
    m_peakSaves.start([peaks = display.sharedPeaks(), channels = display.format().channels,
                       peakFile = GetPeakFileName(file, m_services.tempFolder()), file, time] {
        static const PeakCache none;
        if (const int code = writePeakFile(peakFile, peaks ? *peaks : none, channels)) {
            qCWarning(lcCommon) << "saving the peak file" << peakFile << "failed with code" << code;
            return;
        }
        if (time && !platform::setFileWriteTimeNs(peakFile, *time))
            qCWarning(lcCommon) << "the peak cache" << peakFile << "could not take the time of" << file;
    });
}

void TMainForm::keepShownPeaks(DocumentViews& views)
{
    const TQzv32WaveDisplay& display = *views.display;
    if (!views.shownFits.empty() && display.peakState() == PeakState::Built && display.sharedPeaks())
        views.kept.push_back({views.shownFits, display.sharedPeaks()});
    views.shownFits.clear();
}

void TMainForm::dropStalePeaks(DocumentViews& views, const TDocumentRecord& document)
{
    const platform::FileStamp undo = platform::FileStamp::ofPath(document.undoFile);
    const platform::FileStamp redo = platform::FileStamp::ofPath(document.redoFile);
    std::erase_if(views.kept, [&](const PeaksOfFiles& kept) { return !kept.fits(undo) && !kept.fits(redo); });
}

int TMainForm::removePeakRange(DocumentViews& views, const QString& workingFile, const EditRefresh& refresh,
                               std::shared_ptr<const PeakCache> ahead)
{
    const platform::Messages& messages = m_services.messages;
    TQzv32WaveDisplay& display = *views.display;
    if (const int code = display.DeletePeakRange(uint32_t(refresh.removedStart), uint32_t(refresh.removedEnd),
                                                 std::move(ahead))) {
        ShowMappedError(messages, code, WaveDisplayErrorToMessageId);
        return code;
    }
    // A display still on the user's file goes over to the working file, which holds that audio
    // less the range.
    if (display.WaveFileName() != workingFile) {
        std::shared_ptr<const PeakCache> peaks = display.sharedPeaks();
        display.CloseWave();
        if (display.OpenWaveFile(workingFile) != 0 || display.UsePeaks(std::move(peaks)) != 0)
            return openDisplay(views, workingFile, false);
    }
    // The saved peaks count as current for the working file: their time is the file's own.
    savePeaksInBackground(views, workingFile, true);
    views.shownFits = {platform::FileStamp::ofPath(workingFile)};
    openOverview(views, workingFile);
    return 0;
}

// --- Commands ---

void TMainForm::fileNew()
{
    if (busy())
        return;
    setBusy(true);
    if (const std::optional<WaveFormatEx> format = m_services.chooseFormat(this)) {
        m_view.setRecordingFormat(*format);
        reportWorkspace(m_workspace.newDocument(*format));
        showCurrentDocument();
    }
    setBusy(false);
}

void TMainForm::fileOpen()
{
    if (busy())
        return;
    setBusy(true);
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Open");
    request.filter = kOpenFilter;
    request.fileMustExist = true;
    const platform::FileDialogResult chosen = m_services.messages.interaction().openFile(request);
    if (chosen.accepted && !chosen.files.isEmpty()) {
        m_panel.setEnabled(Control::UploadPodcast, false);
        const WorkspaceResult result = m_workspace.openFileFromMenu(chosen.files.front());
        reportWorkspace(result);
        showCurrentDocument();
        if (result.code == 0)
            offerPaste();
    }
    setBusy(false);
}

void TMainForm::offerPaste()
{
    if (!m_workspace.documents().current())
        return;
    m_panel.setEnabled(Control::Paste, m_services.editLibrary.canPaste() == 1);
    applyPanel();
}

void TMainForm::fileClose()
{
    // A recording keeps the window busy; closing ends it first, the take going into its document.
    if (busy() && !recording())
        return;
    stopRecording();
    // The podcast of the document is not offered again until a document is opened.
    m_panel.setEnabled(Control::UploadPodcast, false);
    m_panel.setEnabled(Control::SaveAsPodcast, false);
    applyPanel();
    if (m_workspace.documents().currentIndex() == DocumentList::kNoDocument)
        return;
    setBusy(true);
    closeDocumentAt(m_workspace.documents().currentIndex());
    setBusy(false);
}

void TMainForm::documentButtonClicked(int32_t id)
{
    const int index = m_workspace.documents().indexOfId(id);
    if (!documentClickSelects(index, m_workspace.documents().currentIndex(), recording())) {
        showCurrentDocument();
        return;
    }
    if (const int code = m_workspace.selectDocument(index))
        m_services.messages.ShowErrorMessage(code);
    showCurrentDocument();
    afterDocumentButtonSelect(m_panel, *m_workspace.documents().current());
    applyPanel();
}

void TMainForm::runEdit(const EditRun& run)
{
    TDocumentRecord* document = m_workspace.documents().current();
    if (!document || busy())
        return;
    setBusy(true);
    run(*document);
    // Peaks made ahead for an edit that failed are of no use.
    m_peaksAhead.reset();
    setBusy(false);
}

void TMainForm::setColors()
{
    TColorForm dialog(m_colorScheme, nullptr, this);
    connect(&dialog, &TColorForm::applied, this, [this] { applyColorScheme(); });
    if (dialog.exec() == QDialog::Accepted)
        applyColorScheme();
}

void TMainForm::colorViews(TQzv32WaveDisplay& display, TQzv32Overview* overview) const
{
    const auto color = [this](int element) { return platform::colorFromRef(m_colorScheme.GetSchemeColor(element)); };
    display.setBackGroundColor(color(EditorColor::WaveformBackground));
    display.setWaveFormColor(color(EditorColor::Waveform));
    display.setAxisColor(color(EditorColor::Axis));
    display.setCaretColor(color(EditorColor::Cursor));
    display.setSelectionBackGroundColor(color(EditorColor::SelectionBackground));
    display.setSelectionWaveFormColor(color(EditorColor::SelectionWaveform));
    if (overview) {
        overview->setBackGroundColor(color(EditorColor::OverviewBackground));
        overview->setWaveFormColor(color(EditorColor::OverviewWaveform));
    }
}

void TMainForm::applyColorScheme()
{
    colorViews(*m_templateDisplay, nullptr);
    applyTransportColors();
    // The pictures are drawn with the colours: each view draws again where it is.
    const auto redraw = [](TQzv32WaveDisplay& display) {
        if (display.TotalSamples() > 0)
            display.DrawView(display.ZoomLevel(), display.LeftSamplePos());
    };
    for (const auto& [id, views] : m_views) {
        colorViews(*views->display, views->overview);
        redraw(*views->display);
        redraw(*views->overview);
    }
}

void TMainForm::overviewFrameMoved()
{
    DocumentViews* views = viewsOf(m_workspace.documents().current());
    if (!views || views->display->TotalSamples() == 0)
        return;
    const QWidget* frame = views->overview->frame();
    const std::optional<DisplayPlace> place = displayForOverviewFrame(
        frame->x(), frame->width(), views->overview->ZoomLevel(), views->view->clientWidth(),
        {views->display->ZoomLevel(), views->display->LeftSamplePos()});
    if (!place)
        return;
    const int32_t id = m_workspace.documents().current()->id;
    QMetaObject::invokeMethod(
        this,
        [this, id, place = *place] {
            DocumentViews* shown = viewsOf(m_workspace.documents().current());
            if (!shown || m_workspace.documents().current()->id != id)
                return;
            if (const int code = m_view.setZoom(*shown->view, place.zoom, place.left))
                ShowMappedError(m_services.messages, code, WaveDisplayErrorToMessageId);
            m_view.updateStatusBar();
        },
        Qt::QueuedConnection);
}

void TMainForm::workspaceCopyEnded(uint64_t id, int result)
{
    int code = 0;
    const int index = m_workspace.workspaceCopyEnded(id, result, &code);
    if (index == DocumentList::kNoDocument)
        return;
    if (code != 0) {
        m_services.messages.ShowErrorMessage(code);
        m_services.messages.ShowErrorMessage(kReadOnlyMessageId);
    }
    // The display's peaks, made from the user's file, fit the working copy of it as well.
    const TDocumentRecord* document = m_workspace.documents().at(index);
    DocumentViews* views = viewsOf(document);
    if (result == 0 && code == 0 && views && views->display->WaveFileName() == document->documentFile &&
        views->shownFits.size() == 1 && sameAudio(views->shownFits.front(), platform::FileStamp::ofPath(document->documentFile)))
        views->shownFits.push_back(platform::FileStamp::ofPath(document->workingFile));
    if (index == m_workspace.documents().currentIndex()) {
        setWindowTitle(::windowCaption(m_workspace.documents().current()));
        updateDocumentControls();
    }
}

void TMainForm::removeDocumentFiles(TDocumentRecord& document)
{
    const bool copying = document.copyJobId != 0;
    const bool copyStopped = copying && m_copies.cancel(document);
    const QString tempFolder = m_services.tempFolder();
    // A cache still being written would come back after its removal.
    m_peakSaves.waitForDone();
    for (const QString& file : {copying && !copyStopped ? QString() : document.workingFile, document.undoFile,
                                document.redoFile}) {
        if (file.isEmpty())
            continue;
        QFile::remove(file);
        // The peak cache goes with its file. GetPeakFileName names it where the display put it
        // (beside the file, or in the temporary folder when that could not be written), making an
        // empty one when there was none, which goes as well.
        QFile::remove(GetPeakFileName(file, tempFolder));
    }
}
