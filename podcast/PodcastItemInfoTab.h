#pragma once
// The builder's episode page: the episode's link, title, description and publication date.
#include "podcast/XvqPageWidget.h"

class QDateTimeEdit;
class QLineEdit;
class QPlainTextEdit;

namespace podcast {

class PodcastItemInfoTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit PodcastItemInfoTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

private:
    QLineEdit* m_link = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QDateTimeEdit* m_date = nullptr;
};

} // namespace podcast
