// Shared by the folder tree's tests: a clean profile per test, the labels of
// an item's children, and answering a modal dialog the code under test runs.
#pragma once

#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>

class QTreeWidgetItem;

namespace treetest {

// Empties the whole application profile (servers, preferences).
void ClearProfile();
// Labels of the item's children, in order.
QStringList ChildLabels(QTreeWidgetItem* item);

// Runs `answer` on the first modal dialog of type T that comes up while the
// code under test waits in it; the dialog is polled for, never waited for by
// time. The returned flag tells afterwards whether it was answered.
template <typename T>
std::shared_ptr<bool> AnswerModal(std::function<void(T*)> answer)
{
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, done] {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        *done = true;
        answer(dialog);
    });
    timer->start();
    return done;
}

}  // namespace treetest
