#pragma once
// The builder's side column: the page's help questions on the band colour, each underlined while
// the pointer is over it and answered on a click (or Return when it has the focus), and the
// "&Help" and "Quick Start &Guide" buttons under them.
#include "podcast/XvqHelpQuestions.h"

#include <QLabel>
#include <QWidget>

class QPushButton;
class QVBoxLayout;

namespace podcast {

// One question: a word-wrapped white label with a hand cursor.
class XvqQuestionLabel : public QLabel {
    Q_OBJECT
public:
    XvqQuestionLabel(const QString& text, QWidget* parent);
    void setUnderlined(bool underlined);
    bool underlined() const { return font().underline(); }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class XvqHelpColumn : public QWidget {
    Q_OBJECT
public:
    explicit XvqHelpColumn(QWidget* parent);

    // Replaces the questions shown.
    void showQuestions(const QList<HelpQuestion>& questions);
    const QList<HelpQuestion>& questions() const { return m_questions; }
    QList<XvqQuestionLabel*> questionLabels() const { return m_labels; }
    void clearUnderlines();

signals:
    // index: the question's place in questions().
    void questionClicked(int index);
    void helpClicked();
    void quickStartClicked();

private:
    QVBoxLayout* m_questionLayout = nullptr;
    QList<HelpQuestion> m_questions;
    QList<XvqQuestionLabel*> m_labels;
};

} // namespace podcast
