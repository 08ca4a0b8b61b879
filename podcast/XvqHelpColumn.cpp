#include "podcast/XvqHelpColumn.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace podcast {

namespace {

// The builder's band colour; the questions stand on it in white.
const QColor kBandColour(115, 130, 149);
constexpr int kQuestionWidth = 130;
constexpr int kQuestionPointSize = 10;

} // namespace

XvqQuestionLabel::XvqQuestionLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setObjectName(QStringLiteral("HelpQuestion"));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFixedWidth(kQuestionWidth);
    QFont questionFont = font();
    questionFont.setPointSize(kQuestionPointSize);
    setFont(questionFont);
    QPalette white = palette();
    white.setColor(QPalette::WindowText, Qt::white);
    setPalette(white);
}

void XvqQuestionLabel::setUnderlined(bool underlined)
{
    QFont questionFont = font();
    questionFont.setUnderline(underlined);
    setFont(questionFont);
}

void XvqQuestionLabel::enterEvent(QEnterEvent* event)
{
    setUnderlined(true);
    QLabel::enterEvent(event);
}

void XvqQuestionLabel::leaveEvent(QEvent* event)
{
    setUnderlined(false);
    QLabel::leaveEvent(event);
}

void XvqQuestionLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

void XvqQuestionLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        emit clicked();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

XvqHelpColumn::XvqHelpColumn(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HelpColumn"));
    setAutoFillBackground(true);
    QPalette band = palette();
    band.setColor(QPalette::Window, kBandColour);
    band.setColor(QPalette::WindowText, Qt::white);
    setPalette(band);

    auto* information = new QLabel(tr("Information"), this);
    information->setObjectName(QStringLiteral("Information"));
    QFont headingFont = information->font();
    headingFont.setBold(true);
    information->setFont(headingFont);

    auto* help = new QPushButton(tr("&Help"), this);
    help->setObjectName(QStringLiteral("HelpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this, &XvqHelpColumn::helpClicked);
    auto* quickStart = new QPushButton(tr("Quick Start &Guide"), this);
    quickStart->setObjectName(QStringLiteral("QuickStartButton"));
    quickStart->setAutoDefault(false);
    connect(quickStart, &QPushButton::clicked, this, &XvqHelpColumn::quickStartClicked);

    m_questionLayout = new QVBoxLayout;
    m_questionLayout->setContentsMargins(0, 0, 0, 0);
    m_questionLayout->setSpacing(20);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(0);
    layout->addWidget(information);
    layout->addSpacing(16);
    layout->addLayout(m_questionLayout);
    layout->addSpacing(30);
    layout->addWidget(help);
    layout->addSpacing(10);
    layout->addWidget(quickStart);
    layout->addStretch(1);
    setFixedWidth(kQuestionWidth + 20);
}

void XvqHelpColumn::showQuestions(const QList<HelpQuestion>& questions)
{
    // A label may be the sender of the click being answered: it goes once that event is over.
    for (XvqQuestionLabel* label : std::as_const(m_labels)) {
        m_questionLayout->removeWidget(label);
        label->hide();
        label->deleteLater();
    }
    m_labels.clear();
    m_questions = questions;
    for (int index = 0; index < questions.size(); ++index) {
        auto* label = new XvqQuestionLabel(questions[index].text, this);
        connect(label, &XvqQuestionLabel::clicked, this, [this, index] { emit questionClicked(index); });
        m_questionLayout->addWidget(label);
        label->show();
        m_labels.append(label);
    }
}

void XvqHelpColumn::clearUnderlines()
{
    for (XvqQuestionLabel* label : std::as_const(m_labels))
        label->setUnderlined(false);
}

} // namespace podcast
