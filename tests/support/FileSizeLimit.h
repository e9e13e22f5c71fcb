// SPDX-License-Identifier: MIT
// A full disk without root: while a FileSizeLimit lives, no file of this process grows
// past the limit; the write that would fails with EFBIG instead of raising SIGXFSZ.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace orlika::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_before);
        m_signalBefore = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_before.rlim_max};
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signalBefore);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    /// False when the system refused the limit (the case cannot be tried).
    bool set() const { return m_set; }

private:
    rlimit m_before{};
    void (*m_signalBefore)(int) = nullptr;
    bool m_set = false;
};

} // namespace orlika::test
