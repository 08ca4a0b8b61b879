#pragma once
// The builder's first two pages: the welcome page and the podcast-type page (a new podcast or an
// existing project, its type, the project file, the recent projects and the episode grid). They
// only hold their controls and copy the podcast type; TXvqForm runs what their buttons do, as
// that needs the window's project.
#include "podcast/XvqPageWidget.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableWidget;

namespace podcast {

class XvqWelcomePage : public XvqPageWidget {
    Q_OBJECT

public:
    explicit XvqWelcomePage(QWidget* parent);

    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

    QCheckBox* doNotShowCheck = nullptr;
};

class XvqPodcastTypePage : public XvqPageWidget {
    Q_OBJECT

public:
    explicit XvqPodcastTypePage(QWidget* parent);

    // The type box shows the record's type (255 and other unknown values as basic).
    void UIUpdate(PodcastRecord& record, const XvqContext& context) override;
    // The record's type from the type box.
    StepVerdict Gather(PodcastRecord& record, const XvqContext& context) override;

    // The controls of the new-podcast choice enabled, those of an existing project not (and the
    // other way round).
    void enableForNewPodcast(bool newPodcast);
    // The grid's headers and column widths.
    void setUpGrid();

    QRadioButton* newFeedRadio = nullptr;
    QRadioButton* existingFeedRadio = nullptr;
    QLabel* typeLabel = nullptr;
    QComboBox* typeBox = nullptr;
    QLabel* feedFileLabel = nullptr;
    QLineEdit* feedFileEdit = nullptr;
    QPushButton* browseButton = nullptr;
    QComboBox* mruCombo = nullptr;
    QLabel* gridLabel = nullptr;
    QTableWidget* grid = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* editButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* uploadButton = nullptr;
};

} // namespace podcast
