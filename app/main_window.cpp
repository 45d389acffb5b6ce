#include "app/main_window.h"

#include "app/age_label.h"
#include "app/controls.h"
#include "app/docking.h"
#include "app/links.h"
#include "app/platform.h"
#include "app/platform_x11.h"
#include "app/qt_text.h"
#include "hotlist/refresh.h"
#include "text/text.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

// Q_INIT_RESOURCE declares the loader at the namespace it is used in, so it stays out of qm.
static void registerPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(assets);
        return true;
    }();
    (void)registered;
}

namespace qm {
namespace {

constexpr int windowWidth = 280;
constexpr int panelHeight = 480;
constexpr int stripHeight = 526;
constexpr int rowCount = 11;

struct Box
{
    int left;
    int top;
    int width;
    int height;
};

// Row k's keyword label, rank box and badge box, from the top.
constexpr std::array<int, rowCount> labelTops{47, 83, 120, 156, 192, 229, 264, 298, 336, 372, 409};
constexpr std::array<int, rowCount> rankTops{56, 92, 129, 165, 201, 238, 273, 307, 345, 381, 418};
constexpr std::array<int, rowCount> badgeTops{57, 91, 129, 165, 201, 237, 272, 309, 344, 381, 418};

// Missing pictures give empty bytes, which draw nothing.
ByteSet loadPicture(const QString& name)
{
    QFile file(QStringLiteral(":/pictures/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return ByteSet(bytes.begin(), bytes.end());
}

int rankBoxNumber(int row)
{
    return row < rowCount ? row + 1 : 22;
}

// Row 11's badge is 图片框23: 图片框22 is its rank box.
int badgeBoxNumber(int row)
{
    return row < rowCount ? row + 11 : 23;
}

void place(QWidget* widget, Box box)
{
    widget->setGeometry(box.left, box.top, box.width, box.height);
}

ScreenSize primaryScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect full = screen ? screen->geometry() : QRect();
    return {full.width(), full.height()};
}

} // namespace

MainWindow::MainWindow(std::string_view host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_host(host), m_openUrl(&openUrl)
{
    registerPictures();
    m_badgePictures = {loadPicture(QStringLiteral("badge_new.png")), loadPicture(QStringLiteral("badge_boil.png")),
                       loadPicture(QStringLiteral("badge_hot.png")), loadPicture(QStringLiteral("badge_recommend.png")),
                       loadPicture(QStringLiteral("badge_default.png"))};

    setWindowTitle(QStringLiteral("Quillmast"));
    setObjectName(QStringLiteral("Quillmast"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    const ScreenSize screen = primaryScreenSize();
    setGeometry((screen.width - windowWidth) / 2, (screen.height - panelHeight) / 2, windowWidth, panelHeight);

    createControls();
    connectEvents();

    // The window manager reads the taskbar hint when it maps the window, so set it before show.
    winId();
    setSkipTaskbar(*this);
}

MainWindow::~MainWindow() = default;

void MainWindow::createControls()
{
    // Created back to front: a later sibling lies above an earlier one.
    m_pictures[1] = new PictureBox(QStringLiteral("图片框1"), this);
    place(m_pictures[1], {0, 0, windowWidth, panelHeight});
    m_pictures[1]->setPicture(loadPicture(QStringLiteral("background.png")));
    m_dockTimer = new PeriodTimer(QStringLiteral("时钟_靠边"), m_pictures[1]);
    m_closeButton = new PictureButton(QStringLiteral("图形按钮_关闭"), m_pictures[1]);
    place(m_closeButton, {252, 16, 14, 14});
    m_closeButton->setPictures(loadPicture(QStringLiteral("power_normal.png")),
                               loadPicture(QStringLiteral("power_hover.png")),
                               loadPicture(QStringLiteral("power_pressed.png")));

    for (int row = 1; row <= rowCount; ++row) {
        PictureBox* rank = new PictureBox(QStringLiteral("图片框%1").arg(rankBoxNumber(row)), this);
        place(rank, {16, rankTops[row - 1], 14, 14});
        rank->setPicture(loadPicture(QStringLiteral("rank_%1.png").arg(row)));
        m_pictures[rankBoxNumber(row)] = rank;

        TransparentLabel* label = new TransparentLabel(QStringLiteral("透明标签%1").arg(row), this);
        place(label, {35, labelTops[row - 1], 208, 32});
        label->setText(" ");
        label->setHandCursor();
        m_labels[row] = label;

        PictureBox* badge = new PictureBox(QStringLiteral("图片框%1").arg(badgeBoxNumber(row)), this);
        place(badge, {251, badgeTops[row - 1], 14, 14});
        badge->setPicture(m_badgePictures[static_cast<int>(TagBadge::Default)]);
        badge->hide();
        m_pictures[badgeBoxNumber(row)] = badge;
    }

    m_labels[12] = new TransparentLabel(QStringLiteral("透明标签12"), this);
    place(m_labels[12], {91, 491, 18, 24});
    m_labels[12]->setText("\xC3\xEB"); // 秒
    m_labels[12]->setTextColor(Qt::black);

    m_labels[13] = new TransparentLabel(QStringLiteral("透明标签13"), this);
    place(m_labels[13], {145, 455, 120, 14});
    m_labels[13]->setText("3\xC3\xEB\xC7\xB0\xB8\xFC\xD0\xC2"); // 3秒前更新
    m_labels[13]->setRightAligned(true);
    m_labels[13]->setHandCursor();

    m_labels[14] = new TransparentLabel(QStringLiteral("透明标签14"), this);
    place(m_labels[14], {16, 455, 120, 14});
    m_labels[14]->setText("\xB2\xE9\xBF\xB4\xCD\xEA\xD5\xFB\xC8\xC8\xCB\xD1\xB0\xF1\xB5\xA5"); // 查看完整热搜榜单
    m_labels[14]->setHandCursor();

    m_settingsButton = new PictureButton(QStringLiteral("图形按钮_设置"), this);
    place(m_settingsButton, {228, 16, 14, 14});
    m_settingsButton->setPictures(loadPicture(QStringLiteral("gear_normal.png")),
                                  loadPicture(QStringLiteral("gear_hover.png")),
                                  loadPicture(QStringLiteral("gear_pressed.png")));

    // Below the window at both heights: reachable by keyboard only.
    m_queryButton = new QPushButton(QStringLiteral("查询"), this);
    m_queryButton->setObjectName(QStringLiteral("按钮1"));
    place(m_queryButton, {104, 552, 80, 40});

    QPalette strip = palette();
    strip.setColor(QPalette::Window, Qt::white);
    strip.setColor(QPalette::WindowText, Qt::black);
    m_topmostBox = new QCheckBox(QStringLiteral("窗口最前"), this);
    m_topmostBox->setObjectName(QStringLiteral("选择框_窗口最前"));
    place(m_topmostBox, {197, 491, 72, 24});
    m_autoRefreshBox = new QCheckBox(QStringLiteral("自动刷新"), this);
    m_autoRefreshBox->setObjectName(QStringLiteral("刷新热点"));
    place(m_autoRefreshBox, {116, 491, 80, 24});
    for (QCheckBox* box : {m_topmostBox, m_autoRefreshBox}) {
        box->setPalette(strip);
        box->setAutoFillBackground(true);
    }

    m_intervalEdit = new QLineEdit(QStringLiteral("60"), this);
    m_intervalEdit->setObjectName(QStringLiteral("编辑框_间隔"));
    place(m_intervalEdit, {11, 486, 74, 32});

    // Right of the window: never seen, only emptied by each refresh.
    m_listView = new ReportListView(QStringLiteral("超级列表框3"), this);
    place(m_listView, {336, 8, 576, 488});
    m_listView->setHeaderLabels({QStringLiteral("ID"), QStringLiteral("标题"), QStringLiteral("热度")});
    m_listView->setColumnWidth(0, 50);
    m_listView->setColumnWidth(1, 400);
    m_listView->setColumnWidth(2, 100);
    m_listView->header()->setStretchLastSection(false);

    setTabOrder(m_queryButton, m_topmostBox);
    setTabOrder(m_topmostBox, m_autoRefreshBox);
    setTabOrder(m_autoRefreshBox, m_intervalEdit);
    setTabOrder(m_intervalEdit, m_listView);

    m_refreshTimer = new PeriodTimer(QStringLiteral("时钟_新浪"), this);
    m_ageTimer = new PeriodTimer(QStringLiteral("时钟_间隔"), this);
    m_ageTimer->setPeriod(1000);
    m_dockTimer->setPeriod(10);

    m_menu = new QMenu(QStringLiteral("菜单"), this);
    m_menu->setObjectName(QStringLiteral("菜单"));
    QAction* about = m_menu->addAction(QStringLiteral("关于"));
    about->setObjectName(QStringLiteral("关于"));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    QAction* quit = m_menu->addAction(QStringLiteral("退出"));
    quit->setObjectName(QStringLiteral("退出"));
    connect(quit, &QAction::triggered, this, &MainWindow::closeWidget);
}

void MainWindow::connectEvents()
{
    for (int row = 1; row <= rowCount; ++row) {
        TransparentLabel* label = m_labels[row];
        // The text at the moment of the press, whatever the last refresh wrote.
        connect(label, &TransparentLabel::leftButtonPressed, this, [this, label] { openSearchPage(label->text()); });
    }
    connect(m_labels[14], &TransparentLabel::leftButtonPressed, this, &MainWindow::openFullList);
    connect(m_settingsButton, &QAbstractButton::clicked, this, &MainWindow::toggleSettingsStrip);
    connect(m_closeButton, &QAbstractButton::clicked, this, &MainWindow::closeWidget);
    connect(m_queryButton, &QAbstractButton::clicked, this, &MainWindow::refreshHotList);
    connect(m_topmostBox, &QAbstractButton::clicked, this, &MainWindow::applyTopmost);
    connect(m_autoRefreshBox, &QAbstractButton::clicked, this, &MainWindow::applyAutoRefresh);
    connect(m_listView, &ReportListView::listDoubleClicked, this, &MainWindow::openListViewRow);
    connect(m_refreshTimer, &QTimer::timeout, this, &MainWindow::refreshHotList);
    connect(m_ageTimer, &QTimer::timeout, this, &MainWindow::updateAgeLabel);
    connect(m_dockTimer, &QTimer::timeout, this, &MainWindow::dockTick);
}

TransparentLabel* MainWindow::keywordLabel(int row) const
{
    return row >= 1 && row <= rowCount ? m_labels[row] : nullptr;
}

PictureBox* MainWindow::badgeBox(int row) const
{
    return row >= 1 && row <= rowCount ? m_pictures[badgeBoxNumber(row)] : nullptr;
}

void MainWindow::clearListView()
{
    m_listView->removeAllItems();
}

void MainWindow::setKeywordText(int row, const LocalText& text)
{
    if (TransparentLabel* label = keywordLabel(row))
        label->setText(text);
}

void MainWindow::setBadgePicture(int row, TagBadge badge)
{
    const auto index = static_cast<std::size_t>(badge);
    if (PictureBox* box = badgeBox(row); box && index < m_badgePictures.size())
        box->setPicture(m_badgePictures[index]);
}

void MainWindow::setBadgeVisible(int row, bool visible)
{
    if (PictureBox* box = badgeBox(row))
        box->setVisible(visible);
}

void MainWindow::onWindowCreated()
{
    refreshHotList();
    m_tray = new QSystemTrayIcon(this);
    m_tray->setObjectName(QStringLiteral("托盘图标"));
    m_tray->setToolTip(QStringLiteral("Quillmast"));
    connect(m_tray, &QSystemTrayIcon::activated, this, &MainWindow::onTrayActivated);
    // Without a tray host this shows nothing and the widget runs on without an icon.
    const QImage icon = decodePicture(loadPicture(QStringLiteral("tray.png")));
    if (!icon.isNull()) {
        m_tray->setIcon(QIcon(QPixmap::fromImage(icon)));
        m_tray->show();
    }
}

void MainWindow::refreshHotList()
{
    qm::refreshHotList(*this, hotListUrl(m_host));
}

void MainWindow::onTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        onTrayEvent(1);
        break;
    case QSystemTrayIcon::DoubleClick:
        onTrayEvent(2);
        break;
    case QSystemTrayIcon::Context:
        onTrayEvent(3);
        break;
    default:
        break;
    }
}

void MainWindow::onTrayEvent(int code)
{
    if (code == 2) {
        // Restores in place: a window hidden at a screen edge stays there.
        show();
        showNormal();
        activateWindow();
    }
    if (code == 3) {
        activateWindow();
        const QPoint cursor = QCursor::pos();
        const int width = m_menu->sizeHint().width();
        // Right-aligned, 5 pixels left of and above the cursor.
        m_menu->popup(QPoint(cursor.x() - 5 - width, cursor.y() - 5));
    }
}

void MainWindow::showAbout()
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息"), QStringLiteral("By Ostrelk"), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("信息"));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void MainWindow::closeWidget()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (m_tray)
        m_tray->hide();
    emit closed();
}

void MainWindow::toggleSettingsStrip()
{
    resize(width(), height() == panelHeight ? stripHeight : panelHeight);
}

void MainWindow::applyTopmost()
{
    updateStaysOnTop(windowRect(), primaryScreenSize());
}

void MainWindow::applyAutoRefresh()
{
    if (m_autoRefreshBox->isChecked()) {
        m_intervalEdit->setEnabled(false);
        m_refreshTimer->setPeriod(autoRefreshPeriod(fromQString(m_intervalEdit->text())));
    } else {
        m_intervalEdit->setEnabled(true);
        m_refreshTimer->setPeriod(0);
    }
}

void MainWindow::openSearchPage(const LocalText& keyword)
{
    m_openUrl(concatText(searchUrlPrefix(m_host), keyword));
}

void MainWindow::openFullList()
{
    m_openUrl(fullListUrl(m_host));
}

void MainWindow::openListViewRow()
{
    openSearchPage(m_listView->itemText(m_listView->selectedRow(), 1));
}

void MainWindow::updateAgeLabel()
{
    m_labels[13]->setText(ageLabelText(currentDateTime(), lastRefreshTime));
}

void MainWindow::dockTick()
{
    const WindowRect before = windowRect();
    const ScreenSize screen = primaryScreenSize();
    const QPoint pointer = QCursor::pos();
    const WindowRect after = dockStep(before, screen, {pointer.x(), pointer.y()});
    if (after != before)
        move(after.left, after.top);
    updateStaysOnTop(before, screen);
}

WindowRect MainWindow::windowRect() const
{
    const QRect frame = frameGeometry();
    return {frame.left(), frame.top(), frame.width(), frame.height()};
}

void MainWindow::updateStaysOnTop(const WindowRect& window, ScreenSize screen)
{
    // On top while at or past an edge, or while the box asks for it; sent only when it changes.
    const bool onTop = m_topmostBox->isChecked() || atScreenEdge(window, screen);
    if (onTop == m_onTop)
        return;
    m_onTop = onTop;
    setStaysOnTop(*this, onTop);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The window manager's own move where there is one; otherwise follow the mouse here.
    QWindow* handle = windowHandle();
    m_dragging = !(handle && handle->startSystemMove());
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    event->accept();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Reaches the window only when the focused control left Esc alone.
    if (event->key() == Qt::Key_Escape) {
        closeWidget();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace qm
