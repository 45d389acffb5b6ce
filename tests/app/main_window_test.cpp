#include "app/main_window.h"

#include "app/controls.h"
#include "app/qt_text.h"
#include "hotlist/refresh.h"
#include "tests/support/loopback_server.h"
#include "tools/sample_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace qm {
namespace {

constexpr std::string_view testHost = "example.test";

class MainWindowTest : public testing::Test
{
protected:
    MainWindowTest() : window(std::make_unique<MainWindow>(testHost))
    {
        window->setUrlOpener([this](const LocalText& url) { opened.push_back(url.str()); });
    }

    template <class T = QWidget> T* control(const char* name) const
    {
        return window->findChild<T*>(QString::fromUtf8(name));
    }
    TransparentLabel* label(int n) const { return control<TransparentLabel>(("透明标签" + std::to_string(n)).c_str()); }
    PictureBox* picture(int n) const { return control<PictureBox>(("图片框" + std::to_string(n)).c_str()); }

    static void press(QWidget* target, QPoint local, Qt::MouseButton button = Qt::LeftButton)
    {
        QMouseEvent event(QEvent::MouseButtonPress, local, target->mapToGlobal(local), button, button, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    std::unique_ptr<MainWindow> window;
    std::vector<std::string> opened;
};

ByteSet resourcePicture(const char* name)
{
    QFile file(QStringLiteral(":/pictures/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return ByteSet(bytes.begin(), bytes.end());
}

struct FormControl
{
    std::string name;
    const char* kind;
    QRect geometry; // in the window's coordinates
    bool shown;
};

std::vector<FormControl> formControls()
{
    std::vector<FormControl> controls = {
        {"透明标签14", "qm::TransparentLabel", {16, 455, 120, 14}, true},
        {"透明标签13", "qm::TransparentLabel", {145, 455, 120, 14}, true},
        {"透明标签12", "qm::TransparentLabel", {91, 491, 18, 24}, true},
        {"图形按钮_设置", "qm::PictureButton", {228, 16, 14, 14}, true},
        {"图形按钮_关闭", "qm::PictureButton", {252, 16, 14, 14}, true},
        {"按钮1", "QPushButton", {104, 552, 80, 40}, true},
        {"图片框1", "qm::PictureBox", {0, 0, 280, 480}, true},
        {"选择框_窗口最前", "QCheckBox", {197, 491, 72, 24}, true},
        {"刷新热点", "QCheckBox", {116, 491, 80, 24}, true},
        {"编辑框_间隔", "QLineEdit", {11, 486, 74, 32}, true},
        {"超级列表框3", "qm::ReportListView", {336, 8, 576, 488}, true},
    };
    const int labelTops[] = {47, 83, 120, 156, 192, 229, 264, 298, 336, 372, 409};
    const int rankTops[] = {56, 92, 129, 165, 201, 238, 273, 307, 345, 381, 418};
    const int badgeTops[] = {57, 91, 129, 165, 201, 237, 272, 309, 344, 381, 418};
    for (int row = 1; row <= 11; ++row) {
        const int rank = row < 11 ? row + 1 : 22;
        const int badge = row < 11 ? row + 11 : 23;
        controls.push_back(
            {"透明标签" + std::to_string(row), "qm::TransparentLabel", {35, labelTops[row - 1], 208, 32}, true});
        controls.push_back({"图片框" + std::to_string(rank), "qm::PictureBox", {16, rankTops[row - 1], 14, 14}, true});
        controls.push_back(
            {"图片框" + std::to_string(badge), "qm::PictureBox", {251, badgeTops[row - 1], 14, 14}, false});
    }
    return controls;
}

TEST_F(MainWindowTest, TheWindowAsItOpens)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quillmast"));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window->staysOnTop());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->frameGeometry(), QRect((screen.width() - 280) / 2, (screen.height() - 480) / 2, 280, 480));
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(window->autoFillBackground());
}

TEST_F(MainWindowTest, FormControlsKindPlaceAndVisibility)
{
    const auto controls = formControls();
    for (const FormControl& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = control(c.name.c_str());
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), c.kind);
        EXPECT_EQ(QRect(widget->mapTo(window.get(), QPoint(0, 0)), widget->size()), c.geometry);
        EXPECT_EQ(widget->isVisibleTo(window.get()), c.shown);
    }
    // Every picture box of the form, and no other.
    EXPECT_EQ(window->findChildren<PictureBox*>().size(), 23);
    EXPECT_EQ(window->findChildren<TransparentLabel*>().size(), 14);
}

TEST_F(MainWindowTest, FormStartTexts)
{
    const struct
    {
        int label;
        const char* text;
        QColor color;
        bool hand;
    } labels[] = {
        {1, " ", QColor(187, 187, 187), true},
        {11, " ", QColor(187, 187, 187), true},
        {12, "\xC3\xEB", QColor(Qt::black), false},                             // 秒
        {13, "3\xC3\xEB\xC7\xB0\xB8\xFC\xD0\xC2", QColor(187, 187, 187), true}, // 3秒前更新
        {14, "\xB2\xE9\xBF\xB4\xCD\xEA\xD5\xFB\xC8\xC8\xCB\xD1\xB0\xF1\xB5\xA5", QColor(187, 187, 187),
         true}, // 查看完整热搜榜单
    };
    for (const auto& c : labels) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(label(c.label)->text(), LocalText(c.text));
        EXPECT_EQ(label(c.label)->cursor().shape(), c.hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
        // The label draws its text in its colour and nothing else.
        QImage shot(label(c.label)->size(), QImage::Format_ARGB32);
        shot.fill(Qt::transparent);
        label(c.label)->render(&shot, QPoint(), QRegion(), QWidget::RenderFlags());
        bool otherColour = false;
        bool textColour = false;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                // Edge pixels are blended; the opaque ones show the colour itself.
                const QColor pixel = shot.pixelColor(x, y);
                if (pixel.alpha() != 255)
                    continue;
                textColour = textColour || pixel.rgb() == c.color.rgb();
                otherColour = otherColour || pixel.rgb() != c.color.rgb();
            }
        EXPECT_EQ(textColour, std::string(c.text) != " ");
        EXPECT_FALSE(otherColour);
    }

    EXPECT_EQ(control<QPushButton>("按钮1")->text(), QStringLiteral("查询"));
    EXPECT_EQ(control<QCheckBox>("选择框_窗口最前")->text(), QStringLiteral("窗口最前"));
    EXPECT_EQ(control<QCheckBox>("刷新热点")->text(), QStringLiteral("自动刷新"));
    EXPECT_FALSE(control<QCheckBox>("选择框_窗口最前")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("刷新热点")->isChecked());
    EXPECT_EQ(control<QLineEdit>("编辑框_间隔")->text(), QStringLiteral("60"));
    EXPECT_TRUE(control<QLineEdit>("编辑框_间隔")->isEnabled());

    auto* list = control<ReportListView>("超级列表框3");
    EXPECT_EQ(list->topLevelItemCount(), 0);
    ASSERT_EQ(list->columnCount(), 3);
    const std::pair<QString, int> columns[] = {{"ID", 50}, {"标题", 400}, {"热度", 100}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->headerItem()->text(i), columns[i].first);
        EXPECT_EQ(list->columnWidth(i), columns[i].second);
    }

    // Pictures from the resources: the background and the rank marks are set, badges hold the dark square.
    EXPECT_EQ(picture(1)->picture(), resourcePicture("background.png"));
    EXPECT_EQ(picture(22)->picture(), resourcePicture("rank_11.png"));
    EXPECT_EQ(picture(2)->picture(), resourcePicture("rank_1.png"));
    EXPECT_EQ(picture(23)->picture(), resourcePicture("badge_default.png"));
    EXPECT_FALSE(resourcePicture("background.png").empty());
}

TEST_F(MainWindowTest, TimersAndMenu)
{
    const struct
    {
        const char* name;
        int period;
    } timers[] = {{"时钟_靠边", 10}, {"时钟_间隔", 1000}, {"时钟_新浪", 0}};
    for (const auto& t : timers) {
        SCOPED_TRACE(t.name);
        auto* timer = window->findChild<PeriodTimer*>(QString::fromUtf8(t.name));
        ASSERT_NE(timer, nullptr);
        EXPECT_EQ(timer->period(), t.period);
        EXPECT_EQ(timer->isActive(), t.period > 0);
    }

    auto* menu = window->findChild<QMenu*>(QStringLiteral("菜单"));
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("关于"));
    EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("退出"));
}

TEST_F(MainWindowTest, TabCyclesThroughTheFocusableControls)
{
    std::vector<QString> chain;
    QWidget* widget = control("按钮1");
    do {
        if (widget->focusPolicy() & Qt::TabFocus && widget->isVisibleTo(window.get()))
            chain.push_back(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != control("按钮1") && chain.size() < 50);
    const std::vector<QString> expected = {"按钮1", "选择框_窗口最前", "刷新热点", "编辑框_间隔", "超级列表框3"};
    EXPECT_EQ(chain, expected);
}

TEST_F(MainWindowTest, EscClosesFromEveryControlOtherKeysDoNot)
{
    window->show();
    QSignalSpy closed(window.get(), &MainWindow::closed);
    for (const char* focused : {"按钮1", "编辑框_间隔", "超级列表框3"}) {
        SCOPED_TRACE(focused);
        window->show();
        closed.clear();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_F1, Qt::Key_A}) {
            QKeyEvent other(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(control(focused), &other);
        }
        QApplication::processEvents();
        EXPECT_EQ(closed.count(), 0);
        EXPECT_TRUE(window->isVisible());

        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(control(focused), &esc);
        // Closing is posted, as a close message would be.
        EXPECT_TRUE(window->isVisible());
        QApplication::processEvents();
        EXPECT_EQ(closed.count(), 1);
        EXPECT_FALSE(window->isVisible());
    }
}

TEST_F(MainWindowTest, CloseButtonAndExitItemClose)
{
    QSignalSpy closed(window.get(), &MainWindow::closed);
    window->show();
    control<PictureButton>("图形按钮_关闭")->click();
    QApplication::processEvents();
    EXPECT_EQ(closed.count(), 1);

    window->show();
    window->findChild<QAction*>(QStringLiteral("退出"))->trigger();
    QApplication::processEvents();
    EXPECT_EQ(closed.count(), 2);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindowTest, RowsLandInTheirLabelsAndBadges)
{
    const std::string hot = "\xC8\xC8", fresh = "\xD0\xC2", plain = "\xC4\xAC\xC8\xCF"; // 热 新 默认
    TextArray entries;
    for (int row = 1; row <= 12; ++row)
        entries.append(LocalText("kw" + std::to_string(row) + "|" + (row % 2 ? hot : plain)));
    showHotRows(*window, entries);
    for (int row = 1; row <= 11; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(label(row)->text(), LocalText("kw" + std::to_string(row)));
        PictureBox* badge = picture(row < 11 ? row + 11 : 23);
        EXPECT_EQ(badge->isVisibleTo(window.get()), row % 2 == 1);
        EXPECT_EQ(badge->picture(), resourcePicture(row % 2 ? "badge_hot.png" : "badge_default.png"));
    }
    // Row 11's rank box is never written.
    EXPECT_EQ(picture(22)->picture(), resourcePicture("rank_11.png"));
    EXPECT_TRUE(picture(22)->isVisibleTo(window.get()));

    // A tag the display does not know leaves row 11's badge as it was; "新" replaces it.
    TextArray next;
    for (int row = 1; row <= 11; ++row)
        next.append(LocalText("k|" + (row == 11 ? hot + " " : fresh)));
    showHotRows(*window, next);
    EXPECT_EQ(picture(23)->picture(), resourcePicture("badge_hot.png"));
    EXPECT_TRUE(picture(23)->isVisibleTo(window.get()));
    EXPECT_EQ(picture(12)->picture(), resourcePicture("badge_new.png"));
    EXPECT_TRUE(picture(13)->isVisibleTo(window.get()));
}

TEST_F(MainWindowTest, SettingsButtonTogglesTheStripKeepingThePlace)
{
    window->move(100, 120);
    auto* gear = control<PictureButton>("图形按钮_设置");
    for (int height : {526, 480, 526}) {
        SCOPED_TRACE(height);
        gear->click();
        EXPECT_EQ(window->frameGeometry(), QRect(100, 120, 280, height));
    }
    // Any height other than 480 closes the strip.
    window->resize(280, 500);
    gear->click();
    EXPECT_EQ(window->height(), 480);
}

TEST_F(MainWindowTest, AutoRefreshPeriodFromTheEditBox)
{
    auto* box = control<QCheckBox>("刷新热点");
    auto* edit = control<QLineEdit>("编辑框_间隔");
    auto* timer = window->findChild<PeriodTimer*>(QStringLiteral("时钟_新浪"));
    const struct
    {
        QString text;
        int period;
    } cases[] = {
        {"60", 60000}, {"0", 0}, {"abc", 0}, {"30abc", 30000}, {toQString("\xA3\xB6\xA3\xB0"), 60000}, // ６０
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        edit->setText(c.text);
        box->click();
        ASSERT_TRUE(box->isChecked());
        EXPECT_FALSE(edit->isEnabled());
        EXPECT_EQ(timer->period(), c.period);
        EXPECT_EQ(timer->isActive(), c.period > 0);
        // The first automatic refresh comes one full period after the check, not at once.
        if (c.period > 0) {
            EXPECT_GT(timer->remainingTime(), c.period * 9 / 10);
        }

        box->click();
        ASSERT_FALSE(box->isChecked());
        EXPECT_TRUE(edit->isEnabled());
        EXPECT_EQ(timer->period(), 0);
        EXPECT_FALSE(timer->isActive());
    }
}

TEST_F(MainWindowTest, LinksOpenWithTheLabelTextOfTheMoment)
{
    const std::string prefix = "http://example.test/weibo/";
    // Before any refresh the labels hold a single space.
    press(label(1), {5, 5});
    window->setKeywordText(3, "a b#c\xC8\xC8");
    press(label(3), {5, 5});
    window->setKeywordText(11, "last");
    press(label(11), {5, 5});
    press(label(2), {5, 5}, Qt::RightButton);
    press(label(14), {5, 5});
    press(label(13), {5, 5});
    // The list view never holds a row: its double-click opens the bare prefix.
    QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 100), QPointF(5, 100), Qt::LeftButton,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control<ReportListView>("超级列表框3")->viewport(), &doubleClick);

    const std::vector<std::string> expected = {
        prefix + " ", prefix + "a b#c\xC8\xC8", prefix + "last", "https://example.test/top/summary?cate=realtimehot",
        prefix,
    };
    EXPECT_EQ(opened, expected);
}

TEST_F(MainWindowTest, DragFromPicturesButNotFromLabels)
{
    // No window manager takes the move offscreen, so the window follows the mouse itself.
    window->show();
    window->move(200, 100);
    const QPoint start = window->frameGeometry().topLeft();

    press(label(1), {10, 10});
    QMouseEvent labelMove(QEvent::MouseMove, QPointF(40, 40), label(1)->mapToGlobal(QPointF(40, 40)), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label(1), &labelMove);
    EXPECT_EQ(window->frameGeometry().topLeft(), start);

    for (PictureBox* box : {picture(1), picture(5)}) {
        SCOPED_TRACE(box->objectName().toStdString());
        const QPoint before = window->frameGeometry().topLeft();
        const QPoint global = box->mapToGlobal(QPoint(3, 3));
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(global), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(box, &down);
        QMouseEvent move(QEvent::MouseMove, QPointF(33, 23), QPointF(global + QPoint(30, 20)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &move);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(33, 23), QPointF(global + QPoint(30, 20)), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(box, &up);
        EXPECT_EQ(window->frameGeometry().topLeft(), before + QPoint(30, 20));
    }
}

TEST_F(MainWindowTest, DockTickMovesTheWindowAndKeepsItOnTopAtTheEdges)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCursor::setPos(screen.width() / 2, screen.height() - 5);
    window->move(100, 0);
    window->dockTick();
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(100, 2 - 480));
    EXPECT_TRUE(window->staysOnTop());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    window->move(100, 100);
    window->dockTick();
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(100, 100));
    EXPECT_FALSE(window->staysOnTop());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // The check box keeps it on top anywhere, and only while it is checked.
    auto* topmost = control<QCheckBox>("选择框_窗口最前");
    topmost->click();
    EXPECT_TRUE(window->staysOnTop());
    window->dockTick();
    EXPECT_TRUE(window->staysOnTop());
    topmost->click();
    EXPECT_FALSE(window->staysOnTop());
    window->dockTick();
    EXPECT_FALSE(window->staysOnTop());
}

TEST_F(MainWindowTest, TrayCodes)
{
    window->show();
    auto* menu = window->findChild<QMenu*>(QStringLiteral("菜单"));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint cursor(screen.width() / 2, screen.height() / 2);
    QCursor::setPos(cursor);

    for (int code : {0, 1, 4}) {
        window->onTrayEvent(code);
        EXPECT_FALSE(menu->isVisible());
    }
    window->onTrayEvent(3);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->geometry().topLeft(), cursor - QPoint(5 + menu->width(), 5));
    menu->hide();

    // A double-click restores in place, even a window hidden at an edge.
    window->move(100, 2 - 480);
    window->showMinimized();
    window->onTrayEvent(2);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(100, 2 - 480));
}

TEST_F(MainWindowTest, AboutBoxIsModalWithoutOwner)
{
    QString text, title;
    bool modal = false;
    bool owned = true;
    // Runs inside the box's own event loop and ends it.
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                text = box->text();
                title = box->windowTitle();
                modal = box->windowModality() == Qt::ApplicationModal;
                owned = box->parentWidget() != nullptr;
                box->done(QMessageBox::Ok);
            }
    });
    window->findChild<QAction*>(QStringLiteral("关于"))->trigger();
    EXPECT_EQ(text, QStringLiteral("By Ostrelk"));
    EXPECT_EQ(title, QStringLiteral("信息"));
    EXPECT_TRUE(modal);
    EXPECT_FALSE(owned);
}

TEST_F(MainWindowTest, AgeLabelFollowsTheLastRefresh)
{
    const DateTime saved = lastRefreshTime;
    lastRefreshTime = 0;
    window->updateAgeLabel();
    EXPECT_EQ(label(13)->text(), LocalText("\xC9\xD0\xCE\xB4\xB8\xFC\xD0\xC2")); // 尚未更新
    lastRefreshTime = currentDateTime() - 3.0 / 86400;
    window->updateAgeLabel();
    const std::string ago = "\xC3\xEB\xC7\xB0\xB8\xFC\xD0\xC2"; // 秒前更新
    // The clock may turn a second between the stamp and the tick.
    EXPECT_TRUE(label(13)->text() == LocalText("3" + ago) || label(13)->text() == LocalText("4" + ago))
        << label(13)->text().str();
    lastRefreshTime = saved;
}

// A summary page with count ranked rows "row k", odd rows tagged 热.
std::string summaryPage(int count)
{
    std::vector<SampleRow> rows;
    for (int k = 1; k <= count; ++k) {
        SampleRow row;
        row.keyword = "row " + std::to_string(k);
        row.heat = 100000 - k;
        if (k % 2) {
            row.tagClass = "hot";
            row.tagText = "热";
        }
        rows.push_back(row);
    }
    return makeSummaryPage(rows);
}

TEST(MainWindowRefresh, OnlyACompletePageRewritesTheRowsAndStamps)
{
    test::LoopbackServer server;
    ASSERT_TRUE(server.start()) << server.errorLog();
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    MainWindow window(host);
    auto* list = window.findChild<ReportListView*>(QStringLiteral("超级列表框3"));
    auto* row11 = window.findChild<TransparentLabel*>(QStringLiteral("透明标签11"));
    auto* badge11 = window.findChild<PictureBox*>(QStringLiteral("图片框23"));
    const DateTime saved = lastRefreshTime;
    lastRefreshTime = 0;

    const auto refreshWith = [&](const char* trace) {
        SCOPED_TRACE(trace);
        new QTreeWidgetItem(list, {QStringLiteral("1"), QStringLiteral("stale")});
        window.refreshHotList();
        // Emptied whatever the outcome.
        EXPECT_EQ(list->topLevelItemCount(), 0);
    };

    // Nothing usable: the start state stays.
    ASSERT_TRUE(server.writeFile("top/summary", summaryPage(10)));
    refreshWith("ten rows");
    ASSERT_TRUE(server.writeFile("top/summary", "<html><body>busy</body></html>"));
    refreshWith("no rows");
    for (int row = 1; row <= 11; ++row)
        EXPECT_EQ(window.findChild<TransparentLabel*>(QStringLiteral("透明标签%1").arg(row))->text(), LocalText(" "));
    EXPECT_FALSE(badge11->isVisibleTo(&window));
    EXPECT_EQ(lastRefreshTime, 0);

    ASSERT_TRUE(server.writeFile("top/summary", summaryPage(12)));
    refreshWith("twelve rows");
    for (int row = 1; row <= 11; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(window.findChild<TransparentLabel*>(QStringLiteral("透明标签%1").arg(row))->text(),
                  LocalText("row " + std::to_string(row)));
    }
    EXPECT_TRUE(badge11->isVisibleTo(&window));
    EXPECT_LE(std::abs(lastRefreshTime - currentDateTime()) * 86400, 2);
    const DateTime stamp = lastRefreshTime;

    // Failures after a good run leave its rows and its stamp.
    ASSERT_TRUE(std::filesystem::remove(server.root() / "top/summary"));
    refreshWith("error page");
    server.stop();
    refreshWith("refused connection");
    EXPECT_EQ(row11->text(), LocalText("row 11"));
    EXPECT_TRUE(badge11->isVisibleTo(&window));
    EXPECT_EQ(lastRefreshTime, stamp);
    EXPECT_NE(server.accessLog().find("GET /top/summary?cate=realtimehot 404"), std::string::npos)
        << server.accessLog();
    lastRefreshTime = saved;
}

} // namespace
} // namespace qm
