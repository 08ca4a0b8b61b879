#pragma once
// TEQGroupBox, a group box painted over a background picture: the picture stretched over the box,
// the caption at its top left, a light edge up the left and along the top and a dark one down the
// right and along the bottom. Children lie below the caption's line, inset by 1 pixel (2 with
// Ctl3D). The caption's accelerator (Alt and the underlined letter) focuses the first child that
// takes the focus. Identical in the two programs.

#include "controls/Mnemonic.h"

#include <QImage>
#include <QString>
#include <QWidget>

namespace controls {

class TEQGroupBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QImage backPicture READ backPicture WRITE setBackPicture)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE setCtl3D)

public:
    explicit TEQGroupBox(QWidget* parent = nullptr);

    QImage backPicture() const { return m_backPicture; }
    void setBackPicture(const QImage& picture);
    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    bool Ctl3D() const { return m_ctl3D; }
    void setCtl3D(bool ctl3D);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateClientArea();
    void focusFirstChild();

    QImage m_backPicture;
    QString m_caption;
    bool m_ctl3D = true;
    Mnemonic m_mnemonic{this, [this] { focusFirstChild(); }};
};

} // namespace controls
