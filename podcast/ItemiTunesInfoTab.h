#pragma once
// The builder's episode iTunes page: author, subtitle, keywords, summary, length and the explicit
// and block marks of the episode.
#include "podcast/XvqPageWidget.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace podcast {

class ItemiTunesInfoTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit ItemiTunesInfoTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

private:
    QLineEdit* m_author = nullptr;
    QLineEdit* m_subtitle = nullptr;
    QLineEdit* m_keywords = nullptr;
    QPlainTextEdit* m_summary = nullptr;
    QLineEdit* m_duration = nullptr;
    QCheckBox* m_explicit = nullptr;
    QCheckBox* m_block = nullptr;
};

} // namespace podcast
