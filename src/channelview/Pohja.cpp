#include "Pohja.h"

#include <QMdiSubWindow>
#include <QPainter>
#include <QResizeEvent>

#include "NumberUtils.h"

namespace sevrana {

Pohja::Pohja(PohjaHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
}

long Pohja::Index() const
{
    const QByteArray text = Tag.toUtf8();
    return static_cast<long>(Val(std::string_view(text.constData(), static_cast<std::size_t>(text.size()))));
}

QMdiSubWindow* Pohja::Frame() const { return qobject_cast<QMdiSubWindow*>(parentWidget()); }

bool Pohja::IsMinimized() const
{
    const QMdiSubWindow* frame = Frame();
    return frame != nullptr && frame->isMinimized();
}

void Pohja::DrawGrid() { host_.Pohja_DrawGrid(*this); }

void Pohja::DrawSignal() { host_.Pohja_DrawSignal(*this); }

void Pohja::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    canvas_.PaintTo(painter);
}

void Pohja::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (event->size().width() <= 0 || event->size().height() <= 0) return;
    canvas_.Resize(event->size().width(), event->size().height());
    host_.Pohja_Resize(*this);
    update();
}

void Pohja::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    host_.Pohja_GotFocus(*this);
}

}  // namespace sevrana
