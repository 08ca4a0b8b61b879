#pragma once
// TColorForm, the "Set Colors" dialog: the display elements of the program's colour scheme, each
// at its default colour or at a custom one picked with the colour chooser. Ok saves the scheme,
// Cancel reads it back from the store (dropping the changes), Apply saves it and tells the host to
// apply it while the dialog stays open. The scheme itself is ColorScheme's.

#include "controls/ColorScheme.h"

#include <QColor>
#include <QDialog>

#include <functional>
#include <optional>

class QFrame;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace platform {
class HelpOpener;
}

namespace controls {

class TColorForm : public QDialog {
    Q_OBJECT

public:
    // Asks the user for a colour, starting from initial; nothing when the user cancelled.
    using ColorPicker = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;

    // Loads the scheme from the store and selects the first element. help may be null (no help).
    TColorForm(ColorScheme& scheme, platform::HelpOpener* help, QWidget* parent = nullptr);

    // The chooser behind "Change Color..."; the system's colour dialog unless replaced.
    void setColorPicker(ColorPicker picker) { m_picker = std::move(picker); }

    // The colour the sample panel shows.
    QColor sampleColor() const { return m_sample; }

    QListWidget* DisplayElementsListBox = nullptr;
    QRadioButton* DefaultRadioButton = nullptr;   // "Default" of ColorRadioGroup
    QRadioButton* CustomizeRadioButton = nullptr; // "Customize" of ColorRadioGroup
    QPushButton* ChangeColor = nullptr;
    QFrame* SampleColorPanel = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPushButton* HelpButton = nullptr;

signals:
    // Apply saved the scheme; the host applies it to its controls now.
    void applied();

public slots:
    void accept() override;
    void reject() override;

private:
    void fillList();
    void elementSelected(int index);
    void colorChoiceClicked(bool useDefault);
    void changeColorClicked();
    void applyClicked();
    void helpClicked();
    void showSample(uint32_t color);

    ColorScheme& m_scheme;
    platform::HelpOpener* m_help;
    ColorPicker m_picker;
    QColor m_sample;
};

} // namespace controls
