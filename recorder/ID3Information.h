#pragma once
// TID3InfoForm: the modal window in which the user fills in a file's song information before the
// recorder writes it as the file's tag. The caller hands it a record, which OK fills in place.
#include "recorder/SongInformation.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace platform {
class Messages;
class UrlOpener;
} // namespace platform

namespace recorder {

class TID3InfoForm : public QDialog {
    Q_OBJECT

public:
    TID3InfoForm(const platform::Messages& messages, platform::UrlOpener& urls, QWidget* parent = nullptr);

    // The record that showing loads and OK fills (none: the fields start empty and OK fills
    // nothing), and whether the autofill box is shown and starts ticked.
    void SetTagTarget(TID3InfoRecord* record, bool showAutofill, bool autofill = false);
    bool autofillChecked() const;
    // Set by any edit of a field since the window was shown.
    bool changed() const { return m_changed; }

    QLineEdit* titleEdit = nullptr;
    QLineEdit* artistEdit = nullptr;
    QLineEdit* albumEdit = nullptr;
    QLineEdit* yearEdit = nullptr;
    QLineEdit* commentEdit = nullptr;
    QLineEdit* composerEdit = nullptr;
    QLineEdit* copyrightEdit = nullptr;
    QLineEdit* languageEdit = nullptr;
    QLineEdit* linkEdit = nullptr;
    QComboBox* genreComboBox = nullptr;
    QSpinBox* TrackEdit = nullptr;
    QCheckBox* ID3CheckBox = nullptr;
    QLabel* RequiredLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loadFields();
    void okClicked();
    void helpClicked();

    const platform::Messages& m_messages;
    platform::UrlOpener& m_urls;
    TID3InfoRecord* m_record = nullptr;
    bool m_autofill = false;
    bool m_changed = false;
};

// An asker for the save roads: shows the window over parent, captioned "Enter Song Information",
// with the autofill box hidden.
AskSongInformationFn makeSongInformationAsker(QWidget* parent, const platform::Messages& messages,
                                              platform::UrlOpener& urls);

} // namespace recorder
