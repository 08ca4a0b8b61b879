#pragma once
// What the builder's content pages share: their messages, the named controls they are made of, and
// the row of their Back and Next buttons.
#include "platform/ui/Interaction.h"
#include "podcast/XvqPageWidget.h"

#include <QString>

class QBoxLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace podcast {

// The builder's caption on its own warnings.
inline constexpr char kXvqCaption[] = "Wexo Ravadur";
inline constexpr char kAggregatorWarning[] =
    "Having spaces and special characters in the file name could create problems with certain Podcast "
    "Aggregator programs. Please remove spaces and special characters from the file name.";

// A ready text under the builder's caption; returns the answer. Without a messages object it only
// reaches the log and the answer is IDCANCEL.
int showXvqMessage(const XvqContext& context, const QString& text, unsigned flags);
// A message of the string table in an error box; without a messages object it reaches the log.
void showXvqError(const XvqContext& context, int id);

QPushButton* namedButton(const char* name, const QString& caption, QWidget* parent);
QLineEdit* namedEdit(const char* name, QWidget* parent);
// A field that shows a value the page does not edit.
QLineEdit* namedReadOnlyEdit(const char* name, QWidget* parent);
QPlainTextEdit* namedMemo(const char* name, QWidget* parent);
QLabel* namedLabel(const char* name, const QString& text, QWidget* parent);
// The caption of field; its accelerator moves the focus to the field.
QLabel* buddyLabel(const QString& caption, QWidget* field, QWidget* parent);
// The plain line that says a road of the page is not there yet.
QLabel* notAvailableLabel(const QString& text, QWidget* parent);

// The page's bottom row: Back at the left, Next (when given) at the right.
void addNavigationRow(QBoxLayout* layout, QPushButton* back, QPushButton* next);

} // namespace podcast
