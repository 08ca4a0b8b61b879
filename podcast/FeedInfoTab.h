#pragma once
// The builder's feed page: the feed's name, title, description, webmaster, editor, copyright,
// language and time to live, with an example beside the field being typed in.
#include "podcast/XvqPageWidget.h"

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace podcast {

class FeedInfoTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit FeedInfoTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FeedNameEditExit();
    void FeedNameEditKeyUp();
    // An e-mail field left with a text that is no address is emptied and refocused (1032).
    void checkEmail(QLineEdit* field);
    // Shows the example labels of the field that took the focus (none for the others).
    void showHints(QObject* field);
    void selectLanguage(const QString& stored);

    QLineEdit* m_webLink = nullptr;
    QLineEdit* m_feedName = nullptr;
    QLineEdit* m_feedUrl = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_webmaster = nullptr;
    QLineEdit* m_editor = nullptr;
    QLineEdit* m_copyright = nullptr;
    QComboBox* m_language = nullptr;
    QSpinBox* m_ttl = nullptr;
    struct Hint {
        QObject* field;
        std::vector<QLabel*> labels;
    };
    std::vector<Hint> m_hints;
    XvqContext m_context;
};

} // namespace podcast
