// SPDX-License-Identifier: MIT
#include "app/BackgroundPage.h"

#include "collection/CollectionFiles.h"
#include "render/QtText.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

namespace orlika {

namespace {

// A page that waits for its drawing sleeps in the window's event loop: wake it.
void wakeTheWindow()
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
}

/// The page after `page`, when it is one a run can take in its stead: it raised no box.
std::optional<PageJob> pageAfter(const DrawnPageAhead& page);

} // namespace

BackgroundPage::BackgroundPage(ImagePage& window, std::function<void()> shown)
    : m_window(window), m_shown(std::move(shown))
{
    m_pool.setMaxThreadCount(1);
}

BackgroundPage::~BackgroundPage()
{
    stopDrawing();
}

void BackgroundPage::start(PageJob job)
{
    // The run's selection compares names through a collator the window also uses: the
    // pages drawn here get one of their own.
    job.selected.setComparer(localNameComparer());
    bool drawnOrUnderWay = false;
    std::optional<PageJob> after;
    {
        const std::lock_guard lock(m_mutex);
        // Pages before the one asked for are of no more use.
        while (!m_drawn.empty() && !m_drawn.front().job.drawsSamePage(job))
            m_drawn.pop_front();
        drawnOrUnderWay = !m_drawn.empty() || (m_underWay && m_underWay->drawsSamePage(job));
        if (!m_drawn.empty())
            after = pageAfter(m_drawn.back());
    }
    if (!drawnOrUnderWay)
        stopDrawing();
    m_asked = job;
    // Drawing goes on from the page it is at; else from the one asked for, or after the
    // last drawn.
    if (!m_drawing)
        if (std::optional<PageJob> from = drawnOrUnderWay ? std::move(after) : std::move(job))
            startDrawing(std::move(*from));
}

void BackgroundPage::startDrawing(PageJob from)
{
    m_stop = false;
    m_drawing = true;
    m_pool.start([this, from = std::move(from), size = m_window.image().size()]() mutable {
        drawPages(std::move(from), size);
    });
}

void BackgroundPage::drawPages(PageJob job, QSize size)
{
    // Files and archives of its own: an archive open in the window's shelf is not read
    // from two threads.
    ArchiveShelf archives;
    CollectionFileSystem files(archives);
    for (std::optional<PageJob> next = std::move(job); next && !m_stop;) {
        {
            const std::lock_guard lock(m_mutex);
            if (int(m_drawn.size()) >= kPagesDrawnAhead)
                break;
            m_underWay = next;
        }
        DrawnPageAhead page{*next, nullptr, std::nullopt};
        try {
            // The page image is made here too: the window's thread only starts the work.
            page.image = std::make_unique<ImagePage>(size.width(), size.height());
            page.prepared = preparePage(*next, page.image->canvas(), files, m_stop);
            page.image->flush();
        } catch (const std::exception&) {
            page.prepared.reset();  // drawn the ordinary way when its turn comes
        }
        if (m_stop)
            break;
        next = pageAfter(page);
        {
            const std::lock_guard lock(m_mutex);
            m_drawn.push_back(std::move(page));
            m_underWay.reset();
        }
        wakeTheWindow();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_underWay.reset();
        m_drawing = false;
        // Told under the lock: once it is released, the window may be gone.
        m_drawingEnded.notify_all();
    }
    wakeTheWindow();
}

namespace {

std::optional<PageJob> pageAfter(const DrawnPageAhead& page)
{
    if (!page.prepared || !page.prepared->page.boxes.empty())
        return std::nullopt;
    return page.job.nextAfter(page.prepared->page);
}

} // namespace

const DrawnPageAhead* BackgroundPage::pageAsked() const
{
    const std::lock_guard lock(m_mutex);
    if (!m_asked)
        return nullptr;
    for (const DrawnPageAhead& page : m_drawn)
        if (page.job.drawsSamePage(*m_asked))
            return &page;
    return nullptr;
}

bool BackgroundPage::ready() const
{
    // Drawing that stopped short of the page asked for (it failed) leaves it to the run.
    return m_asked && (pageAsked() || !m_drawing);
}

const PreparedPage* BackgroundPage::prepared() const
{
    // Pages are only added while the drawing goes on, which leaves this one where it is.
    const DrawnPageAhead* page = pageAsked();
    return page && page->prepared ? &*page->prepared : nullptr;
}

int BackgroundPage::pagesWaiting() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_drawn.size());
}

void BackgroundPage::awaitDrawing()
{
    // The drawing's end posts an event, which wakes this wait.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BackgroundPage::show(int keepAs)
{
    std::unique_ptr<ImagePage> image;
    {
        const std::lock_guard lock(m_mutex);
        if (!m_asked || m_drawn.empty() || !m_drawn.front().job.drawsSamePage(*m_asked) || !m_drawn.front().prepared)
            return;
        image = std::move(m_drawn.front().image);
        m_drawn.pop_front();
    }
    m_asked.reset();
    // Pictures change hands; nothing is copied.
    keep(keepAs, m_window.swapPicture(image->takePicture()));
    countShown();
}

void BackgroundPage::countShown()
{
    ++m_pagesShown;
    if (m_shown)
        m_shown();
}

void BackgroundPage::keep(int key, ImagePage::Picture picture)
{
    m_kept[key] = std::move(picture);
    while (m_kept.size() > kPagesKept)
        m_kept.erase(m_kept.begin());
}

void BackgroundPage::keepPageOnDisplay(int key)
{
    keep(key, m_window.picture());
}

bool BackgroundPage::showKeptPage(int key)
{
    const auto kept = m_kept.find(key);
    // A page kept before the window changed size is drawn again.
    if (kept == m_kept.end() || kept->second.image.size() != m_window.image().size())
        return false;
    // The picture changes hands rather than being copied; Next from it finds the page
    // after it drawn ahead again.
    m_window.swapPicture(std::move(kept->second));
    m_kept.erase(kept);
    countShown();
    return true;
}

void BackgroundPage::forgetKeptPages()
{
    m_kept.clear();
}

void BackgroundPage::stopDrawing()
{
    // The drawing stops before its next design; the one under way ends, and its file closes.
    // Not the pool's waitForDone(), which also ends its thread, to be started again for the
    // next page.
    m_stop = true;
    auto dropped = std::make_shared<std::deque<DrawnPageAhead>>();
    {
        std::unique_lock lock(m_mutex);
        m_drawingEnded.wait(lock, [this] { return !m_drawing; });
        dropped->swap(m_drawn);
        m_underWay.reset();
    }
    // Their images are freed on the pool's thread: Prev, which drops them, need not wait.
    if (!dropped->empty())
        m_pool.start([dropped] { dropped->clear(); });
}

void BackgroundPage::drop()
{
    stopDrawing();
    m_asked.reset();
}

} // namespace orlika
