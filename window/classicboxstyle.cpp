#include "classicboxstyle.h"

#include "strips.h"

#include <QPaintDevice>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

ClassicBoxStyle::ClassicBoxStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows")))
{ }

void ClassicBoxStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                                    const QWidget *widget) const
{
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    // A text box's edge, and a sunken framed panel's, at one device pixel to
    // a pixel; the classic style scales its lines otherwise.
    const bool sunkenEdge = frame && frame->lineWidth == 2
        && (element == PE_FrameLineEdit || (element == PE_Frame && (frame->state & State_Sunken)))
        && painter->device()->devicePixelRatio() == 1.0;
    if (!sunkenEdge) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QPalette &palette = frame->palette;
    fillBevelEdges(*painter, frame->rect, palette.dark().color(), palette.light().color(), palette.shadow().color(),
                   palette.window().color());
}
