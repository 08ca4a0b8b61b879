#include "tests/podcast/XvqFormSupport.h"

#include "podcast/ProjectFile.h"
#include "podcast/XvqRules.h"
#include "tests/support/WaveFixtures.h"

#include <QCheckBox>
#include <QImage>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>

using namespace podcast;

namespace xvqtest {

FakePage::FakePage(XvqPage page, QWidget* parent, FakeScript& script) : XvqPageWidget(page, parent), m_script(script)
{
    field = new QLineEdit(this);
    field->setObjectName(xvqPageName(page) + QStringLiteral("Field"));
    field->move(10, 10);
    reportEdits(field, SIGNAL(textEdited(QString)));
    auto* back = new QPushButton(QStringLiteral("<< &Back"), this);
    back->setObjectName(xvqPageName(page) + QStringLiteral("Back"));
    back->move(10, 50);
    QPushButton* next = nullptr;
    if (page != XvqPage::Upload) {
        next = new QPushButton(QStringLiteral("&Next >>"), this);
        next->setObjectName(xvqPageName(page) + QStringLiteral("Next"));
        next->move(120, 50);
    }
    setNavigationButtons(back, next);
}

void FakePage::UIUpdate(PodcastRecord& record, const XvqContext&)
{
    m_script.log << QStringLiteral("update ") + xvqPageName(page());
    field->setText(record.ItemTitle);
    // A page whose filling reaches its change signal: the window must keep its flag regardless.
    emit informationChanged();
}

StepVerdict FakePage::Gather(PodcastRecord& record, const XvqContext&)
{
    m_script.log << QStringLiteral("gather ") + xvqPageName(page());
    const auto verdict = m_script.gatherVerdicts.find(page());
    if (verdict != m_script.gatherVerdicts.end() && verdict->second == StepVerdict::StayOnLeftPage)
        return StepVerdict::StayOnLeftPage;
    // Only what the user typed here: the other pages hold the title they were filled with.
    if (field->isModified())
        record.ItemTitle = field->text();
    return StepVerdict::Proceed;
}

platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

XvqFormTest::XvqFormTest() = default;

std::unique_ptr<TXvqForm> XvqFormTest::makeWindow(XvqPageFactory factory)
{
    if (!factory) {
        factory = [this](XvqPage page, QWidget* parent) -> std::unique_ptr<XvqPageWidget> {
            return std::make_unique<FakePage>(page, parent, script);
        };
    }
    auto window = std::make_unique<TXvqForm>(XvqServices{.messages = messages,
                                                         .settings = settings,
                                                         .tempFolder = [this] { return temps; },
                                                         .pageFactory = std::move(factory)});
    return window;
}

QString XvqFormTest::makeProject(const QString& name, int episodes)
{
    PodcastRecord record;
    record.PodcastType = 0;
    record.FeedTitle = QStringLiteral("Kitchen Talk");
    record.FeedName = QStringLiteral("kitchen.xml");
    const QString project = path(name);
    for (int n = 1; n <= episodes; ++n) {
        record.ItemTitle = QStringLiteral("Episode %1").arg(n);
        record.ItemDescription = QStringLiteral("About pots and pans, part %1 of a long series").arg(n);
        record.ItemDateTime = QStringLiteral("03/0%1/2026 18:30:00").arg(n);
        if (n == 1) {
            EXPECT_EQ(CreateNewPDIFile(project, record), PdiOk);
        } else {
            record.TotalItems = n;
            EXPECT_EQ(WritePDIProject(project, record, n), PdiOk);
        }
    }
    return project;
}

QString XvqFormTest::makeWave(const QString& name)
{
    const QString wave = path(name);
    testsupport::writeFile(wave, wavefixtures::pcmWave(wavefixtures::waveFormat(WAVE_FORMAT_PCM, 1, 8000, 16),
                                                       wavefixtures::sampleBytes(16000)));
    return wave;
}

QStringList XvqFormTest::tempProjects() const
{
    return QDir(temps).entryList(QDir::Files);
}

QStringList XvqFormTest::gridTitles(TXvqForm& window) const
{
    auto* grid = named<QTableWidget>(window, QStringLiteral("ItemsGrid"));
    QStringList titles;
    for (int row = 0; grid && row < grid->rowCount(); ++row)
        titles << (grid->item(row, 0) ? grid->item(row, 0)->text() : QString());
    return titles;
}

void XvqFormTest::click(QWidget& window, const QString& name)
{
    auto* button = named<QAbstractButton>(window, name);
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled()) << name.toStdString();
    ASSERT_TRUE(button->isVisible()) << name.toStdString();
    // Check boxes and radio buttons answer clicks on their box and caption only, not across their
    // whole width.
    const bool boxed = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    const QPoint where = boxed ? QPoint(8, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, where);
}

void XvqFormTest::clickTab(QWidget& window, XvqPage page)
{
    auto* tabs = named<QTabBar>(window, QStringLiteral("XvqPageControl"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_TRUE(tabs->isTabVisible(int(page))) << xvqPageName(page).toStdString();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(int(page)).center());
}

void XvqFormTest::typeInto(QWidget& window, XvqPage page, const QString& text)
{
    auto* field = named<QLineEdit>(window, xvqPageName(page) + QStringLiteral("Field"));
    ASSERT_NE(field, nullptr);
    field->selectAll();
    QTest::keyClicks(field, text);
}

XvqPage XvqFormTest::shownPage(QWidget& window)
{
    auto* stack = window.findChild<QStackedWidget*>(QStringLiteral("XvqPages"));
    auto* tabs = window.findChild<QTabBar*>(QStringLiteral("XvqPageControl"));
    EXPECT_TRUE(stack && tabs);
    if (!stack || !tabs)
        return XvqPage::Welcome;
    // The tab and the page below it never disagree.
    EXPECT_EQ(stack->currentIndex(), tabs->currentIndex());
    return XvqPage(stack->currentIndex());
}

void saveScreenshot(QWidget& window, const QString& name)
{
    const QImage image = window.grab().toImage();
    EXPECT_EQ(image.size(), window.size() * window.devicePixelRatio());
    const QColor corner = image.pixelColor(image.width() / 2, image.height() - 1);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; y += 3)
        for (int x = 0; x < image.width() && !drawn; x += 3)
            drawn = image.pixelColor(x, y) != corner;
    EXPECT_TRUE(drawn) << "blank picture of " << name.toStdString();
    ASSERT_TRUE(QDir::current().mkpath(QStringLiteral("screenshots")));
    const QString file = QDir::current().filePath(QStringLiteral("screenshots/") + name + QStringLiteral(".png"));
    EXPECT_TRUE(image.save(file)) << file.toStdString();
}

} // namespace xvqtest
