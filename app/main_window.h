#pragma once

#include "app/docking.h"
#include "hotlist/row_display.h"
#include "text/local_text.h"

#include <QPoint>
#include <QSystemTrayIcon>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <string_view>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace qm {

class PeriodTimer;
class PictureBox;
class PictureButton;
class ReportListView;
class TransparentLabel;

// The widget: one frameless 280 × 480 panel with the eleven ranking rows, the settings strip
// below it and the tray icon. host is the service's one host, shared by the download and the
// links.
class MainWindow final : public QWidget, public HotListView
{
    Q_OBJECT
public:
    explicit MainWindow(std::string_view host, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Hands URLs to the desktop by default; tests catch them instead.
    void setUrlOpener(std::function<void(const LocalText&)> opener) { m_openUrl = std::move(opener); }
    // The stays-on-top state last sent to the window system.
    bool staysOnTop() const { return m_onTop; }
    QSystemTrayIcon* trayIcon() const { return m_tray; }

    // HotListView: rows 1 … 11; other rows are ignored.
    void clearListView() override;
    void setKeywordText(int row, const LocalText& text) override;
    void setBadgePicture(int row, TagBadge badge) override;
    void setBadgeVisible(int row, bool visible) override;

public slots:
    // Once, after construction and before the first show: the first refresh, then the tray icon.
    void onWindowCreated();
    void refreshHotList();
    // 1: left click, 2: double-click, 3: context menu; other codes do nothing.
    void onTrayEvent(int code);
    void showAbout();
    // Closes the window from the event loop, after the current handler has returned.
    void closeWidget();

    void toggleSettingsStrip();
    void applyTopmost();
    void applyAutoRefresh();
    void openSearchPage(const LocalText& keyword);
    void openFullList();
    void openListViewRow();
    void updateAgeLabel();
    void dockTick();

signals:
    // The window has closed; the program ends.
    void closed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void connectEvents();
    void onTrayActivated(QSystemTrayIcon::ActivationReason reason);
    WindowRect windowRect() const;
    void updateStaysOnTop(const WindowRect& window, ScreenSize screen);
    TransparentLabel* keywordLabel(int row) const;
    PictureBox* badgeBox(int row) const;

    std::string m_host;
    std::function<void(const LocalText&)> m_openUrl;
    std::array<ByteSet, 5> m_badgePictures; // indexed by TagBadge

    // Index = the number in the control's name; index 0 unused.
    std::array<TransparentLabel*, 15> m_labels{};
    std::array<PictureBox*, 24> m_pictures{};
    PictureButton* m_settingsButton = nullptr;
    PictureButton* m_closeButton = nullptr;
    QPushButton* m_queryButton = nullptr;
    QCheckBox* m_topmostBox = nullptr;
    QCheckBox* m_autoRefreshBox = nullptr;
    QLineEdit* m_intervalEdit = nullptr;
    ReportListView* m_listView = nullptr;
    PeriodTimer* m_refreshTimer = nullptr; // 时钟_新浪
    PeriodTimer* m_ageTimer = nullptr;     // 时钟_间隔
    PeriodTimer* m_dockTimer = nullptr;    // 时钟_靠边
    QMenu* m_menu = nullptr;
    QSystemTrayIcon* m_tray = nullptr;

    bool m_onTop = false;
    // Set while the window follows the mouse itself because no window manager took the move.
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace qm
