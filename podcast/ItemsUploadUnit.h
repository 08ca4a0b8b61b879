#pragma once
// TItemsUploadForm, "Select Podcast Items to Upload": the episodes of the saved project, each with a
// tick box; those ticked are uploaded. OK needs at least one ticked episode (modal result 1);
// Cancel, Escape and the close box give 2.
#include "podcast/ItemsUploadRules.h"

#include <QDialog>

class QTableWidget;

namespace platform {
class Messages;
}

namespace podcast {

namespace ItemsUploadResult {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
} // namespace ItemsUploadResult

class TItemsUploadForm : public QDialog {
    Q_OBJECT

public:
    explicit TItemsUploadForm(const platform::Messages& messages, QWidget* parent = nullptr);

    // Stores the project's path and lists its episodes; a project that cannot be read is reported
    // and lists nothing.
    void SetPDIFilepath(const QString& projectPath);
    // Appends the ticked episodes' numbers ("01") and audio paths, in list order.
    void GetItemsListToupload(QStringList& numbers, QStringList& audioPaths) const;
    void reject() override;

private:
    void OKButtonClick();
    QList<UploadChoiceRow> rowsAsTicked() const;

    const platform::Messages& m_messages;
    QString m_projectPath;
    QList<UploadChoiceRow> m_rows;
    QTableWidget* m_list;
};

} // namespace podcast
