#pragma once
// The program's own texts the tour looks for on screen (buttons, the live state, hints).
#include <QString>

namespace tour::texts {
inline const QString kLive = QString::fromUtf8("直播中");
inline const QString kPaused = QString::fromUtf8("直播暂停中");
inline const QString kPreparing = QString::fromUtf8("直播准备中");
inline const QString kStartText = QString::fromUtf8("开始直播");
inline const QString kChooseText = QString::fromUtf8("选择\n开播方式");
inline const QString kPauseRow = QString::fromUtf8("暂停直播");
inline const QString kStopRow = QString::fromUtf8("结束直播");
inline const QString kSend = QString::fromUtf8("发送");
inline const QString kPushFailed = QString::fromUtf8("推流失败");
} // namespace tour::texts
