#pragma once
// The builder's FTP page: shows the project host's FTP values. Editing them is not built yet, so
// the page changes nothing in the record.
#include "podcast/XvqPageWidget.h"

class QLineEdit;

namespace podcast {

class FTPInfoTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit FTPInfoTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

private:
    QLineEdit* m_address = nullptr;
    QLineEdit* m_folder = nullptr;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_loginName = nullptr;
};

} // namespace podcast
