#include "controls/Mnemonic.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

using controls::Mnemonic;

namespace {

class MnemonicTest : public ::testing::Test {
protected:
    MnemonicTest()
    {
        m_host.resize(200, 100);
        m_owner = new QWidget(&m_host);
        m_host.show();
        m_host.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m_host));
    }

    QWidget m_host;
    QWidget* m_owner = nullptr;
    int m_count = 0;
};

TEST_F(MnemonicTest, TheCaptionsLetterWithAltActivatesAndFollowsTheCaption)
{
    Mnemonic mnemonic(m_owner, [this] { ++m_count; });
    mnemonic.setCaption(QStringLiteral("&Record"));
    QTest::keyClick(&m_host, Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(m_count, 1);
    QTest::keyClick(&m_host, Qt::Key_R);
    EXPECT_EQ(m_count, 1) << "the letter alone is not the accelerator";

    mnemonic.setCaption(QStringLiteral("S&top"));
    QTest::keyClick(&m_host, Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(&m_host, Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(m_count, 2);

    mnemonic.setCaption(QStringLiteral("Stop"));
    QTest::keyClick(&m_host, Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(m_count, 2) << "a caption without an accelerator removes it";
}

TEST_F(MnemonicTest, NothingWhileDisabledHiddenOrStillActivating)
{
    Mnemonic mnemonic(m_owner, [this] {
        ++m_count;
        // The action runs a nested event loop, as a modal window does, and the key comes again.
        QTest::keyClick(&m_host, Qt::Key_P, Qt::AltModifier);
    });
    mnemonic.setCaption(QStringLiteral("&Play"));
    QTest::keyClick(&m_host, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(m_count, 1);

    m_owner->setEnabled(false);
    QTest::keyClick(&m_host, Qt::Key_P, Qt::AltModifier);
    m_owner->setEnabled(true);
    m_owner->hide();
    QTest::keyClick(&m_host, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(m_count, 1);
}

} // namespace
