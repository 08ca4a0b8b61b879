#pragma once
// TPodcastTypeForm, "Select Podcast Type": a basic podcast (0) or one with iTunes tags (1).
#include <QDialog>

class QComboBox;
class QPushButton;

namespace recorder {

class TPodcastTypeForm : public QDialog {
    Q_OBJECT

public:
    explicit TPodcastTypeForm(QWidget* parent = nullptr);

    // 0 "Podcast Basic", 1 "Podcast With iTunes Tags".
    int selectedType() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* m_type;
    QPushButton* m_ok;
};

} // namespace recorder
