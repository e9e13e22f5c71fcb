// SPDX-License-Identifier: MIT
// The pages after a waiting one, drawn on a thread of their own into page images of their
// own, with file handles of their own: the page Next asks for and the one after it. Next
// puts the first on the window's page. Pages left by Next are kept, so that Prev puts them
// back at once.
#pragma once

#include "catalog/PageAhead.h"
#include "render/Surfaces.h"

#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace orlika {

/// How many pages are drawn ahead of the one waiting.
constexpr int kPagesDrawnAhead = 2;

/// A page drawn ahead, or none where its drawing failed.
struct DrawnPageAhead {
    PageJob job;
    std::unique_ptr<ImagePage> image;
    std::optional<PreparedPage> prepared;
};

class BackgroundPage final : public PageAhead {
public:
    /// `window` is the page the window shows; `shown` is told when its picture was replaced.
    BackgroundPage(ImagePage& window, std::function<void()> shown);
    ~BackgroundPage() override;
    BackgroundPage(const BackgroundPage&) = delete;
    BackgroundPage& operator=(const BackgroundPage&) = delete;

    void start(PageJob job) override;
    bool ready() const override;
    /// Sleeps in the window's event loop until something happens, a page's drawing ending
    /// among it.
    void awaitDrawing();
    const PreparedPage* prepared() const override;
    void show(int keepAs) override;
    void drop() override;
    void keepPageOnDisplay(int key) override;
    bool showKeptPage(int key) override;
    void forgetKeptPages() override;
    /// Whether a page is being drawn ahead now.
    bool drawing() const { return m_drawing.load(); }
    /// Pages drawn and waiting to be shown; for tests.
    int pagesWaiting() const;
    /// Pages drawn ahead, and pages kept, put on display since the window opened; for tests.
    int pagesShown() const { return m_pagesShown; }

private:
    /// Draws from the page `from` on, on the pool.
    void startDrawing(PageJob from);
    /// Draws the page `job` asks for, then those after it, while fewer than
    /// kPagesDrawnAhead wait to be shown.
    void drawPages(PageJob job, QSize size);
    /// The page drawn for the job asked for; null while it is being drawn.
    const DrawnPageAhead* pageAsked() const;
    /// Stops the drawing and forgets every page drawn ahead.
    void stopDrawing();
    void keep(int key, ImagePage::Picture picture);
    void countShown();

    ImagePage& m_window;
    std::function<void()> m_shown;
    QThreadPool m_pool;  // one thread: a page follows the one before it
    std::optional<PageJob> m_asked;  // the page Next will want
    mutable std::mutex m_mutex;      // guards m_drawn, which the drawing adds to
    std::condition_variable m_drawingEnded;
    std::deque<DrawnPageAhead> m_drawn;  // in the order of the run
    std::optional<PageJob> m_underWay;   // the page being drawn
    std::atomic<bool> m_drawing{false};
    std::atomic<bool> m_stop{false};
    std::map<int, ImagePage::Picture> m_kept;
    int m_pagesShown = 0;
};

} // namespace orlika
