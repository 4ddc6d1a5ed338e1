#pragma once

#include "tests/ui/WindowTest.h"

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs `act` on the dialog of type T as soon as it is shown, e.g. inside the
// modal loop that a frame command is about to start.
template <typename T> void WhenShown(std::function<void(T &)> act)
{
    QTimer::singleShot(0, [act] {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<T *>(widget); dialog && dialog->isVisible())
                return act(*dialog);
        WhenShown<T>(act); // not shown yet
    });
}
