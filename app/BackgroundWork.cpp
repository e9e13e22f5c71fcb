// SPDX-License-Identifier: MIT
#include "app/BackgroundWork.h"

#include <QThread>
#include <QThreadPool>

#include <algorithm>

#include <sys/resource.h>
#include <unistd.h>

namespace orlika {

namespace {

// The window's thread (nice 0) weighs about ten times as much as a thread at this value.
constexpr int kBackgroundNiceness = 10;

struct BackgroundPool : QThreadPool {
    BackgroundPool() { setMaxThreadCount(std::max(2, QThread::idealThreadCount())); }
};

} // namespace

void runBelowTheWindow()
{
    [[maybe_unused]] thread_local const bool lowered =
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNiceness) == 0;
}

QThreadPool& backgroundPool()
{
    static BackgroundPool pool;
    return pool;
}

} // namespace orlika
