#include "shell/LiveMainWindowRules.h"

#include <cstdlib>

namespace mainwin
{

int shownRate(int liveState, int bitrate)
{
    return liveState == LiveStateLive ? bitrate : 0;
}

QString rateIconStyle(int rate)
{
    if (rate <= 10)
        return "border-image: url(:/images/live/speed_low.png);";
    if (rate <= 450)
        return "border-image: url(:/images/live/speed_medium.png);";
    return "border-image: url(:/images/live/speed_high.png);";
}

QString rateText(int rate)
{
    return QString("%1kb/s").arg(rate);
}

bool isDragStepAccepted(const QPoint& delta)
{
    return std::abs(delta.x()) < kMaxDragStep && std::abs(delta.y()) < kMaxDragStep;
}

QPoint broadcastHintPos(const QPoint& windowTopLeft, int windowWidth)
{
    return QPoint((windowWidth - 266) / 2 + windowTopLeft.x(), windowTopLeft.y() + 12);
}

QSize nameLabelSize(int nameWidth)
{
    return nameWidth < 35 ? QSize(nameWidth + 8, 25) : QSize();
}

} // namespace mainwin
