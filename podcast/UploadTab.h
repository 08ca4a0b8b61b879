#pragma once
// The builder's upload page: the links and paths the upload will use.
#include "podcast/XvqPageWidget.h"

class QLabel;
class QLineEdit;

namespace podcast {

class UploadTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit UploadTab(QWidget* parent);

    // UIUpdateUpload: derives the feed's and the page's paths from the project and shows them.
    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

signals:
    // "&Upload" was pressed; the window runs the upload.
    void uploadRequested();

private:
    QLineEdit* m_itemLink = nullptr;
    QLineEdit* m_feedLink = nullptr;
    QLineEdit* m_pageLink = nullptr;
    QLineEdit* m_artworkLink = nullptr;
    QLineEdit* m_audioPath = nullptr;
    QLineEdit* m_feedPath = nullptr;
    QLineEdit* m_pagePath = nullptr;
    QLineEdit* m_artworkPath = nullptr;
    QLabel* m_artworkLinkLabel = nullptr;
    QLabel* m_artworkPathLabel = nullptr;
};

} // namespace podcast
