#pragma once

#include "text/local_text.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

// The control kinds of the widget window, each a thin layer over a Qt widget that keeps the
// semantics the rest of the program relies on.
namespace qm {

// A timer whose period is written as one value: the same value changes nothing, another one
// restarts it (first tick one full period later), 0 or less stops it.
class PeriodTimer final : public QTimer
{
    Q_OBJECT
public:
    PeriodTimer(const QString& name, QObject* parent);

    void setPeriod(int milliseconds);
    int period() const { return m_period; }

private:
    int m_period = 0;
};

// Text only, on a transparent background: one line centred vertically, never wrapped, cut at
// the edge. Keeps the LocalText it was given; only drawing converts it.
class TransparentLabel final : public QWidget
{
    Q_OBJECT
public:
    TransparentLabel(const QString& name, QWidget* parent);

    const LocalText& text() const { return m_text; }
    // Redraws at once: a refresh blocks the event loop right after writing.
    void setText(const LocalText& text);
    void setTextColor(const QColor& color);
    void setRightAligned(bool right);
    void setHandCursor();

signals:
    // On the press of the left button, not on its release.
    void leftButtonPressed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    LocalText m_text;
    QString m_shown;
    QColor m_color{187, 187, 187};
    Qt::Alignment m_alignment = Qt::AlignLeft;
};

// A PNG picture drawn at its own size from the top-left corner. Presses pass through to the
// window, which drags itself from them.
class PictureBox final : public QWidget
{
    Q_OBJECT
public:
    PictureBox(const QString& name, QWidget* parent);

    const ByteSet& picture() const { return m_png; }
    // Bytes that do not decode leave the box empty.
    void setPicture(const ByteSet& png);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ByteSet m_png;
    QImage m_image;
};

// A button drawn from three pictures: normal, under the mouse, pressed.
class PictureButton final : public QAbstractButton
{
    Q_OBJECT
public:
    PictureButton(const QString& name, QWidget* parent);

    void setPictures(const ByteSet& normal, const ByteSet& hover, const ByteSet& pressed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_normal;
    QImage m_hover;
    QImage m_pressed;
};

// A report-style list view: rows of cells addressed by 0-based row and column.
class ReportListView final : public QTreeWidget
{
    Q_OBJECT
public:
    ReportListView(const QString& name, QWidget* parent);

    // Index of the first selected row, -1 when none.
    int selectedRow() const;
    // Empty when the row or column does not exist.
    LocalText itemText(int row, int column) const;
    void removeAllItems() { clear(); }

signals:
    // A left double-click anywhere on the view, on an item or not.
    void listDoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The picture a PNG holds, decoded with libpng; a null image when it does not decode.
QImage decodePicture(const ByteSet& png);

} // namespace qm
