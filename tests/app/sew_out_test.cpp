// SPDX-License-Identifier: MIT
// The design view's realistic look and its sew-out: R draws thread on the chosen fabric,
// Space plays and pauses, the slider goes to any stitch, and the colour being sewn is
// the one highlighted in the sequence.
#include "app/DesignView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace orlika::test {
namespace {

// Two blocks, red then blue: 40 stitches each of satin on a 20 x 10 mm square.
DesignPicture twoBlocks()
{
    DesignPicture picture;
    picture.name = "two.dst";
    for (const Color color : {rgb(220, 30, 30), rgb(30, 30, 220)}) {
        ColorBlock block;
        block.color = color;
        const double left = picture.blocks.size() * 10.0;
        QPolygonF run;
        for (int k = 0; k <= 40; ++k)
            run << QPointF(left + (k % 2 ? 10.0 : 0.0), k * 0.25);
        block.runs.push_back(run);
        block.stitches = 40;
        picture.blocks.push_back(block);
    }
    picture.extent = QRectF(0, 0, 20, 10);
    return picture;
}

void press(QWidget& widget, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &down);
}

// The colour of the canvas's corner: the fabric or white.
QColor cornerOf(DesignCanvas& canvas)
{
    return canvas.grab().toImage().pixelColor(3, 3);
}

bool isHighlighted(QTreeWidget& sequence, int row)
{
    return sequence.topLevelItem(row)->font(1).bold();
}

TEST(DesignViewLook, RDrawsThreadOnTheChosenFabricAndBackToLines)
{
    DesignView view(twoBlocks(), nullptr);
    view.resize(900, 600);
    view.show();
    QApplication::processEvents();
    DesignCanvas& canvas = *view.canvas();
    EXPECT_FALSE(canvas.realistic());
    view.fabricBox()->setCurrentIndex(view.fabricBox()->findText(QStringLiteral("Black")));
    EXPECT_EQ(cornerOf(canvas), QColor(Qt::white));  // the lines keep their white
    press(canvas, Qt::Key_R);
    EXPECT_TRUE(canvas.realistic());
    EXPECT_TRUE(view.realisticBox()->isChecked());
    EXPECT_EQ(cornerOf(canvas), QColor(Qt::black));
    press(canvas, Qt::Key_R);
    EXPECT_FALSE(canvas.realistic());
    EXPECT_EQ(cornerOf(canvas), QColor(Qt::white));
}

TEST(DesignViewSewOut, SpacePlaysAtTheChosenSpeedAndTheSliderGoesToAnyStitch)
{
    DesignView view(twoBlocks(), nullptr);
    view.resize(900, 600);
    view.show();
    QApplication::processEvents();
    QTreeWidget& sequence = *view.sequence();
    view.findChild<QSpinBox*>(QStringLiteral("MachineSpeed"))->setValue(600);
    // As it opens: the whole design, no colour picked out.
    EXPECT_EQ(view.sewnStitches(), 80);
    EXPECT_EQ(view.sewingSlider()->maximum(), 80);
    EXPECT_FALSE(isHighlighted(sequence, 0));
    EXPECT_FALSE(isHighlighted(sequence, 1));

    press(*view.canvas(), Qt::Key_Space);
    EXPECT_TRUE(view.isSewing());
    EXPECT_EQ(view.playButton()->text(), QStringLiteral("Pause"));
    EXPECT_EQ(view.sewnStitches(), 0);  // from the start again
    // 600 stitches a minute at 1x is 10 a second.
    view.sewingSpeedBox()->setCurrentIndex(view.sewingSpeedBox()->findText(QStringLiteral("1x")));
    view.sewFor(1000);
    EXPECT_EQ(view.sewnStitches(), 10);
    EXPECT_EQ(view.sewingSlider()->value(), 10);
    EXPECT_TRUE(isHighlighted(sequence, 0));
    view.sewingSpeedBox()->setCurrentIndex(view.sewingSpeedBox()->findText(QStringLiteral("5x")));
    view.sewFor(1000);
    EXPECT_EQ(view.sewnStitches(), 60);
    EXPECT_TRUE(isHighlighted(sequence, 1));
    EXPECT_FALSE(isHighlighted(sequence, 0));
    press(*view.canvas(), Qt::Key_Space);
    EXPECT_FALSE(view.isSewing());
    EXPECT_EQ(view.playButton()->text(), QStringLiteral("Play"));

    view.sewingSlider()->setValue(25);
    EXPECT_EQ(view.sewnStitches(), 25);
    EXPECT_TRUE(isHighlighted(sequence, 0));
    EXPECT_FALSE(isHighlighted(sequence, 1));
}

TEST(DesignViewSewOut, ItPausesAtAColourChangeWhenAskedAndStopsAtTheEnd)
{
    DesignView view(twoBlocks(), nullptr);
    view.show();
    view.findChild<QSpinBox*>(QStringLiteral("MachineSpeed"))->setValue(600);
    view.pauseAtChangesBox()->setChecked(true);
    view.sewingSpeedBox()->setCurrentIndex(view.sewingSpeedBox()->findText(QStringLiteral("100x")));
    press(*view.canvas(), Qt::Key_Space);
    view.sewFor(1000);
    EXPECT_EQ(view.sewnStitches(), 40);
    EXPECT_FALSE(view.isSewing());
    press(*view.canvas(), Qt::Key_Space);
    view.sewFor(1000);
    EXPECT_EQ(view.sewnStitches(), 80);
    EXPECT_FALSE(view.isSewing());
}

} // namespace
} // namespace orlika::test
