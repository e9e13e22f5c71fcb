// SPDX-License-Identifier: MIT
// One design alone and large, in its thread colours, opened by a double click on its cell:
// the mouse wheel zooms about the pointer, a drag moves it, and its colour sequence stands
// beside it. Page Up and Page Down step to the run's designs before and after it, and
// Show in Folder opens the folder it is in. Esc closes it; the page it was opened from is
// not touched. R draws it as stitched thread on a fabric; Space sews it out stitch by
// stitch at the machine's speed times a multiple, a slider going to any stitch.
#pragma once

#include "app/DesignCanvas.h"
#include "sheet/DesignPicture.h"
#include "sheet/RealisticPicture.h"
#include "sheet/SewOut.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QPointF>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSlider;
class QSpinBox;
class QPushButton;
class QTreeWidget;

namespace orlika {

// The designs of a run, in the run's order, as the design view steps through them.
class DesignSequence {
public:
    using Reader = std::function<PictureReading(const std::string& path)>;
    /// `entries` are paths relative to `folder` (ending in '/'); the view shows entry
    /// `current` first.
    DesignSequence(std::string folder, std::vector<std::string> entries, std::size_t current, Reader read);
    /// The nearest design after (+1) or before (-1) the current one that can be read, which
    /// becomes the current one; none at either end of the run.
    std::optional<DesignPicture> step(int direction);

private:
    std::string m_folder;
    std::vector<std::string> m_entries;
    std::size_t m_current;
    Reader m_read;
};

/// The folder that holds a design: its own, or for a design inside a zip archive the
/// archive's.
std::string folderShowingDesign(const std::string& path);

/// A design read for the design view through `files`, which read the designs inside
/// archives too: such a design is named as its cell names it.
PictureReading readDesignForView(const std::string& path, FileSystem& files);

class DesignView : public QDialog {
    Q_OBJECT
public:
    DesignView(DesignPicture picture, QWidget* parent);

    DesignCanvas* canvas() const { return m_canvas; }
    /// The colour sequence: a row per block, in stitching order.
    QTreeWidget* sequence() const { return m_sequence; }
    QPushButton* showInFolderButton() const { return m_showInFolder; }
    /// The design shown.
    const DesignPicture& picture() const { return m_picture; }
    /// The run's designs, for Page Up and Page Down; without them the keys do nothing.
    void setSequence(DesignSequence designs) { m_designs.emplace(std::move(designs)); }

    QCheckBox* realisticBox() const { return m_realistic; }
    QComboBox* fabricBox() const { return m_fabric; }
    QPushButton* playButton() const { return m_play; }
    QSlider* sewingSlider() const { return m_slider; }
    QComboBox* sewingSpeedBox() const { return m_sewingSpeed; }
    QCheckBox* pauseAtChangesBox() const { return m_pauseAtChanges; }
    bool isSewing() const { return m_sewTimer.isActive(); }
    /// Stitches sewn so far in the sew-out.
    std::int64_t sewnStitches() const { return m_sewOut.position(); }
    /// The sew-out moved on by `milliseconds` of the machine's sewing, as a tick of its
    /// timer does.
    void sewFor(double milliseconds);
    /// The fabric swatches: their names and colours.
    static const std::vector<std::pair<QString, Color>>& fabrics();

public slots:
    /// Opens the file manager on the design's folder, as the desktop opens folders.
    void ShowInFolderClick();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showZoom(double percent);
    /// Play or Pause.
    void toggleSewing();
    void sewingTick();
    void goToStitch(int stitch);
    /// The slider, the stitch count and the block highlighted as the sew-out stands.
    void showSewing();
    void applyLook();
    void resetSewing();
    QWidget* makeSewingBar();
    QWidget* makeLookRow();
    /// Fills the title, figures and colour sequence from the design.
    void showFigures();
    void stepTo(int direction);

    DesignPicture m_picture;
    std::optional<DesignSequence> m_designs;
    DesignCanvas* m_canvas = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_figures = nullptr;
    QSpinBox* m_machineSpeed = nullptr;
    QTreeWidget* m_sequence = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QPushButton* m_showInFolder = nullptr;
    QCheckBox* m_realistic = nullptr;
    QComboBox* m_fabric = nullptr;
    QDoubleSpinBox* m_threadWidth = nullptr;
    QPushButton* m_play = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_sewnLabel = nullptr;
    QComboBox* m_sewingSpeed = nullptr;
    QCheckBox* m_pauseAtChanges = nullptr;
    SewOut m_sewOut;
    QTimer m_sewTimer;
    QElapsedTimer m_sewClock;
    int m_highlighted = -1;
};

} // namespace orlika
