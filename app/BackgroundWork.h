// SPDX-License-Identifier: MIT
// Work the window hands to other threads (listing folders, making pictures) runs below the
// window's priority, so that painting and scrolling come first while the cores are busy.
#pragma once

class QThreadPool;

namespace orlika {

/// Lowers the calling thread below the window's priority, once and for good: Linux gives
/// threads of the ordinary policy no priorities (Qt's LowPriority leaves them as they
/// were), only a nice value of their own, which an unprivileged program cannot raise back.
/// For threads that do nothing but such work.
void runBelowTheWindow();

/// The threads for the window's background work other than pictures: each job runs below
/// the window's priority.
QThreadPool& backgroundPool();

} // namespace orlika
