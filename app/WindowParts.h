// SPDX-License-Identifier: MIT
// The main window's own widgets: the page area and the status panel below it.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;

namespace orlika {

class TForm1;

// The page area: shows the page image that runs draw into and reports mouse releases.
class PageSurface : public QWidget {
    Q_OBJECT
public:
    explicit PageSurface(TForm1& form, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    TForm1& m_form;
    int m_wheelTurned = 0;  // eighths of a degree not yet a whole notch
};

// The bottom status panel: its caption, the labels and the speed buttons.
class StatusPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 34;

    explicit StatusPanel(QWidget* parent);
    QLabel* Caption = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TForm1;
    std::function<void()> m_onResize;
};

} // namespace orlika
