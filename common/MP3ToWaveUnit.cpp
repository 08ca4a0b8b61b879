#include "common/MP3ToWaveUnit.h"

#include "platform/ui/Messages.h"

#include <QFileInfo>
#include <QProgressBar>

#include <algorithm>

Tmp3towaveForm::Tmp3towaveForm(const platform::Messages& messages, platform::codecs::DecodeEnvironment environment,
                               QWidget* parent)
    : ImportProgressDialog(parent)
    , m_messages(messages)
    , m_environment(std::move(environment))
{
    setObjectName(QStringLiteral("mp3towaveForm"));
}

Tmp3towaveForm::~Tmp3towaveForm() = default;

int Tmp3towaveForm::ConvertMp3ToWave(const QString& mp3, const QString& wav, const QString& caption)
{
    ProgressBar->setValue(0);
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Preparing Audio File ") + QFileInfo(mp3).fileName() : caption);
    m_job = std::make_unique<Mp3ImportJob>(m_environment, m_starter);
    if (!m_job->start(mp3, wav, [this] { postEnded(); })) {
        m_messages.ShowErrorMessage(kImportNoThreadMessageId);
        return m_job->result();
    }
    runUntilEnded();
    m_job->wait();
    return m_job->result();
}

int Tmp3towaveForm::percent() const
{
    // The library reaches 100 only at its very end; the bar stops short of it until then.
    return m_job ? std::min(m_job->percent(), m_job->isOver() ? 100 : 99) : 0;
}

void Tmp3towaveForm::cancelJob()
{
    if (m_job)
        m_job->cancel();
}
