#pragma once

#include <QWidget>

class Controls;

// The main window, rendering the controller's window model.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(Controls& controls, QWidget* parent = nullptr);

private:
    Controls& m_controls;
};
