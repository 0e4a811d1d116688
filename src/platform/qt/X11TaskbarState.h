// Whether one of our own windows shows in task bars and pagers, through the EWMH state
// _NET_WM_STATE_SKIP_TASKBAR / _SKIP_PAGER. Does nothing off X11 (e.g. Qt's offscreen platform).
#pragma once

class QWidget;

namespace tugworth::qt {

void setSkipTaskbar(QWidget& window, bool skip);

}  // namespace tugworth::qt
