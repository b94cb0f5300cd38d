#include "ui/MainWindow.h"

#include "app/Controls.h"

MainWindow::MainWindow(Controls& controls, QWidget* parent)
    : QWidget(parent)
    , m_controls(controls)
{
    setWindowTitle(QStringLiteral("Orvanta"));
    resize(480, 640);
    connect(&m_controls, &Controls::windowShownCentred, this, [this] {
        show();
        raise();
        activateWindow();
    });
}
