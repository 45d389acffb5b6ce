#include "app/controls.h"

#include "app/qt_text.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QMouseEvent>
#include <QSignalSpy>

#include <chrono>
#include <thread>

namespace qm {
namespace {

TEST(QtText, ConvertsCodePage936BothWays)
{
    const struct
    {
        const char* local;
        QString wide;
    } cases[] = {
        {"", QString()},
        {"abc 1#", QStringLiteral("abc 1#")},
        {"\xC4\xAC\xC8\xCF", QStringLiteral("默认")},
        {"3\xC3\xEB\xC7\xB0\xB8\xFC\xD0\xC2", QStringLiteral("3秒前更新")},
        {"\xA3\xB6\xA3\xB0", QStringLiteral("６０")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.local);
        EXPECT_EQ(toQString(c.local), c.wide);
        EXPECT_EQ(fromQString(c.wide), LocalText(c.local));
    }
    // A character code page 936 lacks cannot survive the trip back.
    EXPECT_EQ(fromQString(QStringLiteral("a\u0E01b")).str(), "a?b");
}

TEST(PeriodTimer, PeriodWrites)
{
    QObject owner;
    PeriodTimer timer(QStringLiteral("时钟_测试"), &owner);
    EXPECT_EQ(timer.objectName(), QStringLiteral("时钟_测试"));
    EXPECT_EQ(timer.period(), 0);
    EXPECT_FALSE(timer.isActive());

    timer.setPeriod(1000);
    EXPECT_TRUE(timer.isActive());
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // The same value must not restart the running period.
    timer.setPeriod(1000);
    EXPECT_LE(timer.remainingTime(), 900);
    // Another value restarts it: the first tick one full period after the write.
    timer.setPeriod(2000);
    EXPECT_GT(timer.remainingTime(), 1500); // coarse timers may come up to 5 % early
    EXPECT_EQ(timer.period(), 2000);

    for (int stopping : {0, -5}) {
        SCOPED_TRACE(stopping);
        timer.setPeriod(3000);
        timer.setPeriod(stopping);
        EXPECT_FALSE(timer.isActive());
        EXPECT_EQ(timer.period(), stopping);
    }
}

TEST(PeriodTimer, TicksThroughTheEventLoop)
{
    PeriodTimer timer(QStringLiteral("t"), nullptr);
    QSignalSpy ticks(&timer, &QTimer::timeout);
    timer.setPeriod(20);
    EXPECT_TRUE(ticks.wait(2000));
    timer.setPeriod(0);
    const auto counted = ticks.count();
    QApplication::processEvents();
    EXPECT_FALSE(ticks.wait(100));
    EXPECT_EQ(ticks.count(), counted);
}

TEST(TransparentLabel, KeepsTheBytesItWasGiven)
{
    QWidget window;
    TransparentLabel label(QStringLiteral("透明标签1"), &window);
    // Valid GBK, a lone lead byte, bytes outside GBK: the display may mangle them, the text not.
    for (const char* bytes : {" ", "\xC8\xC8 #1 a|b", "\x81", "ab\xFF\xFE", "\xA3\xB6\xA3\xB0"}) {
        SCOPED_TRACE(bytes);
        label.setText(bytes);
        EXPECT_EQ(label.text(), LocalText(bytes));
    }
}

TEST(TransparentLabel, LeftPressFiresOnThePressAndIsTaken)
{
    QWidget window;
    window.resize(100, 100);
    TransparentLabel label(QStringLiteral("透明标签1"), &window);
    label.setGeometry(0, 0, 50, 20);
    QSignalSpy pressed(&label, &TransparentLabel::leftButtonPressed);

    const struct
    {
        Qt::MouseButton button;
        int presses;
    } cases[] = {{Qt::LeftButton, 1}, {Qt::RightButton, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        pressed.clear();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), c.button, c.button, Qt::NoModifier);
        QApplication::sendEvent(&label, &press);
        EXPECT_EQ(pressed.count(), c.presses);
        // Taken either way, so the window never starts a drag from a label.
        EXPECT_TRUE(press.isAccepted());
    }
}

TEST(PictureBox, DrawsDecodedPngAndNothingForBadBytes)
{
    QWidget window;
    window.resize(20, 20);
    PictureBox box(QStringLiteral("图片框2"), &window);
    box.setGeometry(0, 0, 14, 14);

    // A 1 × 1 opaque red PNG, written by Qt's own encoder.
    QImage source(1, 1, QImage::Format_ARGB32);
    source.fill(QColor(255, 0, 0));
    QByteArray encoded;
    QBuffer buffer(&encoded);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && source.save(&buffer, "PNG"));
    const ByteSet red(encoded.begin(), encoded.end());
    const struct
    {
        const char* name;
        ByteSet png;
        QColor topLeft;
    } cases[] = {
        {"red png", red, QColor(255, 0, 0)},
        {"truncated", ByteSet(red.begin(), red.begin() + 40), QColor(Qt::transparent)},
        {"empty", {}, QColor(Qt::transparent)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        box.setPicture(c.png);
        EXPECT_EQ(box.picture(), c.png);
        QImage shot(14, 14, QImage::Format_ARGB32);
        shot.fill(Qt::transparent);
        box.render(&shot, QPoint(), QRegion(), QWidget::RenderFlags());
        EXPECT_EQ(shot.pixelColor(0, 0), c.topLeft);
        EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::transparent)); // drawn at its own 1 × 1 size
    }
}

TEST(ReportListView, RowsCellsAndDoubleClick)
{
    QWidget window;
    ReportListView view(QStringLiteral("超级列表框3"), &window);
    view.setColumnCount(3);
    EXPECT_EQ(view.selectedRow(), -1);
    EXPECT_EQ(view.itemText(0, 1), LocalText());

    for (int row = 0; row < 3; ++row)
        new QTreeWidgetItem(&view, {QString::number(row), QStringLiteral("热搜%1").arg(row), QStringLiteral("9")});
    view.topLevelItem(2)->setSelected(true);
    EXPECT_EQ(view.selectedRow(), 2);
    EXPECT_EQ(view.itemText(2, 1), LocalText("\xC8\xC8\xCB\xD1"
                                             "2")); // 热搜2
    for (auto [row, column] : {std::pair{3, 1}, {-1, 1}, {0, 3}, {0, -1}}) {
        SCOPED_TRACE(row * 10 + column);
        EXPECT_EQ(view.itemText(row, column), LocalText());
    }

    QSignalSpy doubleClicked(&view, &ReportListView::listDoubleClicked);
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(5, 200), QPointF(5, 200), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &click);
    EXPECT_EQ(doubleClicked.count(), 1);

    view.removeAllItems();
    EXPECT_EQ(view.topLevelItemCount(), 0);
    EXPECT_EQ(view.selectedRow(), -1);
}

} // namespace
} // namespace qm
