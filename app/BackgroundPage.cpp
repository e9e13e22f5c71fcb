// SPDX-License-Identifier: MIT
#include "app/BackgroundPage.h"

#include "catalog/Catalog.h"
#include "collection/CollectionFiles.h"
#include "render/QtText.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

namespace orlika {

BackgroundPage::BackgroundPage(ImagePage& window, std::function<void()> shown)
    : m_window(window), m_shown(std::move(shown))
{
}

BackgroundPage::~BackgroundPage()
{
    drop();
}

void BackgroundPage::start(PageJob job)
{
    drop();
    // The run's selection compares names through a collator the window also uses: the
    // page drawn here gets one of its own. Its file list is only read by position.
    job.selected.setComparer(localNameComparer());
    m_stop = false;
    m_thread = std::thread(&BackgroundPage::draw, this, std::move(job), m_window.image().size());
}

void BackgroundPage::draw(PageJob job, QSize size)
{
    try {
        // The page image is made here too: the window's thread only starts the work.
        m_page = std::make_unique<ImagePage>(size.width(), size.height());
        // Files and archives of its own: an archive open in the window's shelf is not
        // read from two threads.
        ArchiveShelf archives;
        CollectionFileSystem files(archives);
        m_prepared = preparePage(std::move(job), m_page->canvas(), files, m_stop);
        m_page->flush();
    } catch (const std::exception&) {
        m_prepared.reset();  // drawn the ordinary way when its turn comes
    }
    m_ready = true;
    // A page that waits for its drawing sleeps in the window's event loop: wake it.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
}

const PreparedPage* BackgroundPage::prepared() const
{
    return m_ready && m_prepared ? &*m_prepared : nullptr;
}

void BackgroundPage::awaitDrawing()
{
    // The drawing's end posts an event, which wakes this wait.
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void BackgroundPage::show(int keepAs)
{
    if (!m_ready || !m_prepared || !m_page)
        return;
    m_thread.join();
    // Pictures change hands; nothing is copied.
    keep(keepAs, m_window.swapPicture(m_page->takePicture()));
    m_page.reset();
    m_prepared.reset();
    m_ready = false;
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

void BackgroundPage::drop()
{
    // The drawing stops before its next design; the one under way ends, and its file closes.
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_page.reset();
    m_prepared.reset();
    m_ready = false;
}

} // namespace orlika
