// The drawn views: the two drop-area backgrounds in their 480 × 360 design, unscaled, and the
// slim scroller.
#include "ui/DragAndDropView.h"
#include "ui/DragAndDropZone.h"
#include "ui/PHScroller.h"

#include <QImage>
#include <QStyle>
#include <QStyleFactory>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

QImage render(QWidget& view, QSize size)
{
    view.resize(size);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Whether no pixel of the image is drawn outside the rectangle.
bool undrawnOutside(const QImage& image, const QRect& area)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!area.contains(x, y) && qAlpha(image.pixel(x, y)) != 0) {
                return false;
            }
        }
    }
    return true;
}

void expectColour(const QImage& image, QPoint at, QColor expected)
{
    const QColor found = QColor::fromRgba(image.pixel(at));
    EXPECT_NEAR(found.red(), expected.red(), 3) << at.x() << "," << at.y();
    EXPECT_NEAR(found.green(), expected.green(), 3) << at.x() << "," << at.y();
    EXPECT_NEAR(found.blue(), expected.blue(), 3) << at.x() << "," << at.y();
    EXPECT_NEAR(found.alpha(), expected.alpha(), 3) << at.x() << "," << at.y();
}

TEST(DragAndDropView, CoversItsWholeDesignWithTheRadialGradient)
{
    DragAndDropView view;
    const QImage image = render(view, QSize(480, 360));
    int undrawn = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            undrawn += qAlpha(image.pixel(x, y)) == 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(undrawn, 0);
    // The first stop at the focal point (transformed (-53.015, 19)); beyond the end circle the
    // last stop goes on.
    expectColour(image, QPoint(200, 194), QColor::fromRgbF(0.40578, 0.55915, 0.74902, 0.47451));
    expectColour(image, QPoint(1, 358), QColor::fromRgbF(0.59921, 0.85397, 1.0, 1.0));
}

TEST(DragAndDropView, LargerViewKeepsTheDesignTopLeftAndTheRestUndrawn)
{
    DragAndDropView view;
    const QImage image = render(view, QSize(600, 400));
    EXPECT_TRUE(undrawnOutside(image, QRect(0, 0, 482, 361)));
    EXPECT_GT(qAlpha(image.pixel(479, 359)), 0);
    expectColour(image, QPoint(200, 194), QColor::fromRgbF(0.40578, 0.55915, 0.74902, 0.47451));
}

// The wave runs from the top-left corner down to the right edge at about y 296: the region
// below it is drawn, the one above it not. Its right side bulges a little past x 480, to
// about x 493, where the design's last curve has its control point.
TEST(DragAndDropZone, DrawsBelowTheWaveOnlyInItsDesign)
{
    DragAndDropZone view;
    const QImage image = render(view, QSize(600, 400));
    EXPECT_TRUE(undrawnOutside(image, QRect(0, 0, 494, 362)));
    EXPECT_GT(qAlpha(image.pixel(490, 310)), 0);
    EXPECT_EQ(qAlpha(image.pixel(470, 20)), 0);
    EXPECT_EQ(qAlpha(image.pixel(470, 280)), 0);
    for (const QPoint drawn : {QPoint(470, 320), QPoint(20, 340), QPoint(20, 20), QPoint(240, 300)}) {
        EXPECT_GT(qAlpha(image.pixel(drawn)), 200) << drawn.x() << "," << drawn.y();
    }
    // Grey at the start of the gradient's line, white towards its end.
    const QColor nearStart = QColor::fromRgba(image.pixel(10, 355));
    const QColor nearEnd = QColor::fromRgba(image.pixel(440, 345));
    EXPECT_LT(nearStart.red(), nearEnd.red());
}

struct KnobCase
{
    int scrollerWidth;
    int knobLeft;
};

void PrintTo(const KnobCase& knob, std::ostream* out)
{
    *out << "width " << knob.scrollerWidth;
}

class PHScrollerKnob : public testing::TestWithParam<KnobCase>
{};

// A 5-point knob whatever the scroller's width, in its middle where there is room, and no
// track: only the knob's rows are drawn.
TEST_P(PHScrollerKnob, IsFivePointsWideWithNoTrack)
{
    PHScroller scroller;
    scroller.setRange(0, 1000);
    scroller.setPageStep(250);
    scroller.setValue(500);
    const QImage image = render(scroller, QSize(GetParam().scrollerWidth, 200));
    const QRectF knob = scroller.knobRect();
    ASSERT_FALSE(knob.isEmpty());
    EXPECT_DOUBLE_EQ(knob.width(), 5.0);

    const int middle = static_cast<int>(knob.center().y());
    int solid = 0;
    int first = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, middle)) > 200) {
            solid += 1;
            first = first < 0 ? x : first;
        }
    }
    EXPECT_EQ(solid, 5);
    EXPECT_EQ(first, GetParam().knobLeft);
    EXPECT_TRUE(undrawnOutside(image, QRect(0, static_cast<int>(knob.top()) - 1, image.width(),
                                            static_cast<int>(knob.height()) + 2)));
    const QColor grey = QColor::fromRgba(image.pixel(first + 2, middle));
    EXPECT_EQ(grey.rgb(), QColor(142, 142, 147).rgb());
}

INSTANTIATE_TEST_SUITE_P(Widths, PHScrollerKnob,
                         testing::Values(KnobCase{5, 0}, KnobCase{9, 2}, KnobCase{15, 5}));

TEST(PHScroller, TakesFivePointsInEveryStyle)
{
    for (const QString& name : QStyleFactory::keys()) {
        std::unique_ptr<QStyle> style(QStyleFactory::create(name));
        PHScroller scroller;
        scroller.setStyle(style.get());
        EXPECT_EQ(scroller.sizeHint().width(), 5) << name.toStdString();
    }
    EXPECT_EQ(PHScroller::scrollerWidth(), 5.0);
}

TEST(PHScroller, NothingToScrollDrawsNothing)
{
    PHScroller scroller;
    scroller.setRange(0, 0);
    const QImage image = render(scroller, QSize(5, 200));
    EXPECT_TRUE(undrawnOutside(image, QRect()));
}

} // namespace
