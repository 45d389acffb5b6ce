#include "app/controls.h"

#include "app/png_image.h"
#include "app/qt_text.h"

#include <QMouseEvent>
#include <QPainter>

namespace qm {

QImage decodePicture(const ByteSet& png)
{
    const std::optional<RgbaImage> image = decodePng(png);
    return image ? toQImage(*image) : QImage();
}

PeriodTimer::PeriodTimer(const QString& name, QObject* parent) : QTimer(parent)
{
    setObjectName(name);
}

void PeriodTimer::setPeriod(int milliseconds)
{
    if (milliseconds == m_period)
        return;
    m_period = milliseconds;
    stop();
    if (milliseconds > 0)
        start(milliseconds);
}

TransparentLabel::TransparentLabel(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
}

void TransparentLabel::setText(const LocalText& text)
{
    m_text = text;
    m_shown = toQString(text);
    repaint();
}

void TransparentLabel::setTextColor(const QColor& color)
{
    m_color = color;
    update();
}

void TransparentLabel::setRightAligned(bool right)
{
    m_alignment = right ? Qt::AlignRight : Qt::AlignLeft;
    update();
}

void TransparentLabel::setHandCursor()
{
    setCursor(Qt::PointingHandCursor);
}

void TransparentLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(m_color);
    // The painter clips to the label, which cuts off text wider than it.
    painter.drawText(rect(), int(m_alignment | Qt::AlignVCenter | Qt::TextSingleLine), m_shown);
}

void TransparentLabel::mousePressEvent(QMouseEvent* event)
{
    // Taken in every case, so a press on a label never drags the window.
    event->accept();
    if (event->button() == Qt::LeftButton)
        emit leftButtonPressed();
}

PictureBox::PictureBox(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
}

void PictureBox::setPicture(const ByteSet& png)
{
    // Every refresh writes each badge again, mostly with the picture it already shows.
    if (png == m_png)
        return;
    m_png = png;
    m_image = decodePicture(png);
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

PictureButton::PictureButton(const QString& name, QWidget* parent) : QAbstractButton(parent)
{
    setObjectName(name);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void PictureButton::setPictures(const ByteSet& normal, const ByteSet& hover, const ByteSet& pressed)
{
    m_normal = decodePicture(normal);
    m_hover = decodePicture(hover);
    m_pressed = decodePicture(pressed);
    update();
}

void PictureButton::paintEvent(QPaintEvent*)
{
    const QImage& image = isDown() ? m_pressed : underMouse() ? m_hover : m_normal;
    if (image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

ReportListView::ReportListView(const QString& name, QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(name);
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int ReportListView::selectedRow() const
{
    int first = -1;
    for (const QTreeWidgetItem* item : selectedItems()) {
        const int row = indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
        if (row >= 0 && (first < 0 || row < first))
            first = row;
    }
    return first;
}

LocalText ReportListView::itemText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item || column < 0 || column >= columnCount())
        return {};
    return fromQString(item->text(column));
}

void ReportListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit listDoubleClicked();
}

} // namespace qm
