#include "recorder/ChooseTrack.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace recorder {

TSelectTrackForm::TSelectTrackForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("SelectTrackForm"));
    setWindowTitle(QStringLiteral("Choose Location "));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Choose location to load the selected file."), this));
    m_voice = new QRadioButton(QStringLiteral("In Voice Track"), this);
    m_voice->setObjectName(QStringLiteral("VoiceTrackRadio"));
    m_voice->setChecked(true);
    m_music = new QRadioButton(QStringLiteral("In Music Track"), this);
    m_music->setObjectName(QStringLiteral("MusicTrackRadio"));
    auto* editor = new QRadioButton(QStringLiteral("In Editor"), this);
    editor->setObjectName(QStringLiteral("EditorRadio"));
    for (QRadioButton* radio : {m_voice, m_music, editor})
        layout->addWidget(radio);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OKButton"));
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int TSelectTrackForm::GetSelectedTrack() const
{
    if (m_voice->isChecked())
        return 1;
    if (m_music->isChecked())
        return 2;
    return 3;
}

} // namespace recorder
