#pragma once
// TFadeInOutForm, "Fade In": a fade time typed as seconds and milliseconds ("ss:mmm"); OK closes it.
#include <QDialog>

namespace recorder {

class TFadeInOutForm : public QDialog {
    Q_OBJECT

public:
    explicit TFadeInOutForm(QWidget* parent = nullptr);
};

} // namespace recorder
