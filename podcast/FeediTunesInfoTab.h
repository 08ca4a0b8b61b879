#pragma once
// The builder's feed iTunes page: subtitle, keywords, owner, summary, the explicit and block marks,
// the chosen categories and the artwork of the feed.
#include "podcast/XvqPageWidget.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;

namespace podcast {

class FeediTunesInfoTab : public XvqPageWidget {
    Q_OBJECT

public:
    explicit FeediTunesInfoTab(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;
    void clearFields() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SeriesCategoryButtonClick();
    void CategoryPopupClick(const QString& line);
    void SeriesCategorySelectedKeyDown();
    void FeedImageBrowseClick();
    void FeedImageEditExit();
    void RemoveImageClick();
    // Shows the picture of path; a file that is no picture gives 1008 and empties the field.
    void loadPicture(const QString& path);
    void clearPicture();
    // The artwork file's name may hold no character that breaks a feed; blanks may be replaced on
    // disk (offerAgain then names the renamed file). The path to take, or empty to ask again.
    QString acceptArtworkName(const QString& path, QString& offerAgain);

    QLineEdit* m_subtitle = nullptr;
    QLineEdit* m_keywords = nullptr;
    QLineEdit* m_owner = nullptr;
    QLineEdit* m_ownerEmail = nullptr;
    QPlainTextEdit* m_summary = nullptr;
    QCheckBox* m_explicit = nullptr;
    QCheckBox* m_block = nullptr;
    QMenu* m_categoryMenu = nullptr;
    QListWidget* m_categories = nullptr;
    QLineEdit* m_image = nullptr;
    QLabel* m_picture = nullptr;
    XvqContext m_context;
};

} // namespace podcast
