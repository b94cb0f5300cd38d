#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;
class QProgressBar;

// How far an import of files has come. It shows only for imports that take a while, so that
// adding a file or two does not make it flash.
class ImportProgressView : public QFrame
{
    Q_OBJECT

public:
    explicit ImportProgressView(QWidget* parent = nullptr);

    void importStarted(int total);
    void importProgressed(int done, int total);
    void importFinished();

private:
    QLabel* m_label;
    QProgressBar* m_bar;
    QTimer m_showDelay;
};
