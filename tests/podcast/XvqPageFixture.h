#pragma once
// What the tests of the builder's content pages share: the recorder's messages answered by script,
// a project folder, a parent window, and lookup of the pages' named controls.
#include "common/ErrCodes.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"
#include "podcast/XvqPageWidget.h"

#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace xvqpagetest {

// The host's web link in the tests' records.
inline const QString kWebLink = QStringLiteral("http://example.com/pod/");

inline platform::StringTable recorderStrings()
{
    platform::StringTable table;
    EXPECT_TRUE(table.load(QString::fromLatin1(kRecorderStringTablePath)));
    return table;
}

class XvqPageFixture : public ::testing::Test {
protected:
    QString folder = testsupport::testFolder();
    testsupport::ScriptedInteraction interaction;
    platform::Messages messages{recorderStrings(), interaction, QString::fromLatin1(kRecorderCaption)};
    QWidget window;

    podcast::XvqContext context(const QString& projectName = QStringLiteral("show.pdi")) const
    {
        podcast::XvqContext c;
        c.messages = &messages;
        c.projectPath = projectName.isEmpty() ? QString() : folder + "/" + projectName;
        return c;
    }

    std::unique_ptr<podcast::XvqPageWidget> makePage(podcast::XvqPage page)
    {
        auto widget = podcast::createXvqPage(page, &window);
        EXPECT_NE(widget, nullptr);
        return widget;
    }

    // The page shown in an active window, so that focus moves as a user's would.
    void showActive(podcast::XvqPageWidget& page)
    {
        window.resize(720, 560);
        page.resize(window.size());
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

// The named control of a page; the test fails where it is missing.
template <class T>
T* control(QWidget& page, const char* name)
{
    T* found = page.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace xvqpagetest

// Texts in failure messages as text rather than as a row of bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
