#pragma once
// TOverwriteMessageForm: the question whether a file already on the server is replaced. Its modal
// result is the answer (the OverwriteAnswer numbers).
#include <QDialog>

class QLabel;

namespace podcast {

class TOverwriteMessageForm : public QDialog {
    Q_OBJECT

public:
    explicit TOverwriteMessageForm(QWidget* parent = nullptr);

    QLabel* MessageLabel = nullptr;

public slots:
    // Escape answers Cancel: backing out never replaces files on the server.
    void reject() override;
};

// Sets the dialog's text, shows it modally and returns its answer.
int AskOverwrite(TOverwriteMessageForm& dialog, const QString& message);

} // namespace podcast
