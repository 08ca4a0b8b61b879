#pragma once
// Counts the paint events a widget receives (install it as the widget's event filter).

#include <QEvent>
#include <QObject>

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};
