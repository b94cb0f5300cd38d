#pragma once

#include "library/DropImageView.h"

#include <QPoint>
#include <QWidget>

class AppDelegate;
class Controls;
class DropAreaView;
class ImageButton;
class ImportProgressView;
class PlayListTable;
class PlaySlider;
class Popover;
class QLabel;
class QLayout;
class QMenu;
struct DeviceMenu;

// The main window: a rounded blue panel without a system frame, movable by dragging its
// background. It renders the controller's window model, calls the controller's actions for
// what the user does, and writes back only the slider's value and a popover closed from
// outside. Files dropped anywhere on it are imported.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int windowWidth = 480;
    static constexpr int windowHeight = 648;
    static constexpr int cornerRadius = 50;
    static constexpr double seekStepSeconds = 10.0;

    explicit MainWindow(AppDelegate& controller, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool acceptDrag(QDragMoveEvent* event);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeMiddle();
    QWidget* makePlayer();
    QWidget* makeNowPlaying(QWidget* parent);
    QLayout* makePosition(QWidget* parent);
    QLayout* makeTransport(QWidget* parent);
    void makeAuthBox(QWidget* parent);
    void bindWindow();
    void addShortcuts();
    void applyAppearance();
    void showCentred();
    void popUpDeviceMenu(const DeviceMenu& menu);
    void seekBy(double seconds);
    void seekToSlider();

    AppDelegate& m_controller;
    Controls& m_controls;
    DropImageView m_dropRules;

    PlayListTable* m_table = nullptr;
    DropAreaView* m_dropArea = nullptr;
    QLabel* m_dropHighlight = nullptr;
    ImportProgressView* m_importProgress = nullptr;
    PlaySlider* m_slider = nullptr;
    ImageButton* m_popoverButton = nullptr;
    ImageButton* m_deviceButton = nullptr;
    Popover* m_popover = nullptr;
    QMenu* m_deviceMenu = nullptr;

    bool m_framePainted = false;
    bool m_movingByHand = false;
    QPoint m_grabOffset;
};
