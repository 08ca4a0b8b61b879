#pragma once
// The builder's host page: shows the project's FTP host. Choosing and editing hosts is not built
// yet, so the page changes nothing in the record.
#include "podcast/XvqPageWidget.h"

class QLineEdit;

namespace podcast {

class HostSelectionTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit HostSelectionTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

private:
    QLineEdit* m_hostName = nullptr;
    QLineEdit* m_webLink = nullptr;
};

} // namespace podcast
