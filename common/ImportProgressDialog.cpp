#include "common/ImportProgressDialog.h"

#include "platform/base/Colors.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr uint32_t kBarColor = 0x008000; // $00BBGGRR: dark green
}

ImportProgressDialog::ImportProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(420, 100);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    ProgressBar->setStyleSheet(
        QStringLiteral("QProgressBar::chunk { background-color: %1; }").arg(platform::colorFromRef(kBarColor).name()));

    CancelButton = new QPushButton(QStringLiteral("&Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setDefault(true);
    connect(CancelButton, &QPushButton::clicked, this, &ImportProgressDialog::cancelClicked);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar);
    layout->addLayout(buttons);

    PercentTimer = new QTimer(this);
    PercentTimer->setObjectName(QStringLiteral("PercentTimer"));
    PercentTimer->setInterval(kPercentIntervalMs);
    connect(PercentTimer, &QTimer::timeout, this, [this] { ProgressBar->setValue(percent()); });
}

void ImportProgressDialog::runUntilEnded()
{
    m_running = true;
    CancelButton->setEnabled(true);
    PercentTimer->start();
    exec();
    PercentTimer->stop();
}

void ImportProgressDialog::postEnded()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_running = false;
            PercentTimer->stop();
            ProgressBar->setValue(percent());
            accept();
        },
        Qt::QueuedConnection);
}

void ImportProgressDialog::reject()
{
    if (m_running)
        cancelClicked();
    else
        QDialog::reject();
}

void ImportProgressDialog::cancelClicked()
{
    // Asked once; the worker's end closes the window.
    if (!CancelButton->isEnabled())
        return;
    CancelButton->setEnabled(false);
    cancelJob();
}
