#pragma once
// TPreferencesForm, the recorder's "Preferences" window: a General page (the temporary folder with
// "&Default" and "Browse...", the level-test and saturation switches) and a Devices page (the
// recording and playback devices), with OK, Cancel and Help. It shows the state of
// RecorderPreferences and hands OK to it; Cancel and any other way of closing put the controls
// back to the stored state. Each time it is shown, the folder field shows the folder the program
// runs with, also while another one waits for the next start.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class RecorderPreferences;

namespace platform {
class HelpOpener;
}

class TPreferencesForm : public QDialog {
    Q_OBJECT

public:
    // preferences must be loaded already and outlive the window. help may be null (no help).
    TPreferencesForm(RecorderPreferences& preferences, platform::HelpOpener* help, QWidget* parent = nullptr);

    QTabWidget* PageControl = nullptr;
    QLineEdit* TempPathEdit = nullptr;
    QPushButton* DefaultButton = nullptr;
    QPushButton* BrowseButton = nullptr;
    QCheckBox* AlwaysTestLevelsCheckBox = nullptr;
    QCheckBox* PreventSaturationCheckBox = nullptr;
    QComboBox* InputDevicesComboBox = nullptr;
    QComboBox* OutputDevicesComboBox = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* HelpButton = nullptr;

public slots:
    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeGeneralPage();
    QWidget* makeDevicesPage();
    // The controls from the stored state.
    void restore();

    RecorderPreferences& m_preferences;
    platform::HelpOpener* m_help;
};
