#include "editor/MuteForm.h"

#include "editor/DialogButtons.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int kHelpContext = 31;
}

TMuteForm::TMuteForm(bool mono, platform::HelpOpener* help, QWidget* parent)
    : QDialog(parent)
    , m_rules(mono)
{
    setObjectName(QStringLiteral("MuteForm"));
    setWindowTitle(QStringLiteral("Wave Mute"));
    auto* column = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("[ Stereo Options ]"), this);
    group->setObjectName(QStringLiteral("StereoOptionsGroupBox"));
    auto* choices = new QVBoxLayout(group);
    const auto choice = [&](const char* name, const QString& caption, MuteChannels channels) {
        auto* button = new QRadioButton(caption, group);
        button->setObjectName(QString::fromLatin1(name));
        button->setEnabled(m_rules.choicesEnabled());
        choices->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, channels](bool on) {
            if (on)
                m_rules.show(channels);
        });
        return button;
    };
    m_both = choice("BothChannelsRadioButton", QStringLiteral("Apply to &Both Channels"), MuteChannels::Both);
    m_left = choice("LeftChannelRadioButton", QStringLiteral("Apply to &Left Channel Only"), MuteChannels::Left);
    m_right = choice("RightChannelRadioButton", QStringLiteral("Apply to &Right Channel Only"), MuteChannels::Right);
    column->addWidget(group);
    const DialogButtons buttons = makeDialogButtons(this, help, kHelpContext);
    connect(buttons.ok, &QPushButton::clicked, this, &TMuteForm::accept);
    column->addLayout(buttons.row);
    showChoice();
}

void TMuteForm::showChoice()
{
    switch (m_rules.shown()) {
    case MuteChannels::Both: m_both->setChecked(true); break;
    case MuteChannels::Left: m_left->setChecked(true); break;
    case MuteChannels::Right: m_right->setChecked(true); break;
    }
}

void TMuteForm::accept()
{
    m_rules.accept();
    QDialog::accept();
}

void TMuteForm::reject()
{
    m_rules.cancel();
    showChoice();
    QDialog::reject();
}
