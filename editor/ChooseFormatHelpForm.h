#pragma once
// TChooseFormatHelpForm, "Help": what the parts of the format dialog do, shown from its Help
// button.

#include <QDialog>

class TChooseFormatHelpForm : public QDialog {
    Q_OBJECT

public:
    explicit TChooseFormatHelpForm(QWidget* parent = nullptr);

    // The six lines the memo shows.
    static const QStringList& lines();
};
