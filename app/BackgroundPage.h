// SPDX-License-Identifier: MIT
// The page after a waiting one, drawn on another thread into a page image of its own,
// with a catalog and file handles of its own; Next puts it on the window's page. Pages
// left by Next are kept, so that Prev puts them back at once.
#pragma once

#include "catalog/PageAhead.h"
#include "render/Surfaces.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>

namespace orlika {

class BackgroundPage final : public PageAhead {
public:
    /// `window` is the page the window shows; `shown` is told when its picture was replaced.
    BackgroundPage(ImagePage& window, std::function<void()> shown);
    ~BackgroundPage() override;
    BackgroundPage(const BackgroundPage&) = delete;
    BackgroundPage& operator=(const BackgroundPage&) = delete;

    void start(PageJob job) override;
    bool ready() const override { return m_ready.load(); }
    void awaitDrawing();
    const PreparedPage* prepared() const override;
    void show(int keepAs) override;
    void drop() override;
    void keepPageOnDisplay(int key) override;
    bool showKeptPage(int key) override;
    void forgetKeptPages() override;

    /// Whether a page is being drawn ahead now.
    bool drawing() const { return m_thread.joinable() && !m_ready; }
    /// Pages drawn ahead, and pages kept, put on display since the window opened; for tests.
    int pagesShown() const { return m_pagesShown; }

private:
    void draw(PageJob job, QSize size);
    void keep(int key, ImagePage::Picture picture);
    void countShown();

    ImagePage& m_window;
    std::function<void()> m_shown;
    std::thread m_thread;
    std::unique_ptr<ImagePage> m_page;
    std::optional<PreparedPage> m_prepared;
    std::atomic<bool> m_ready{false};
    std::atomic<bool> m_stop{false};
    std::map<int, ImagePage::Picture> m_kept;
    int m_pagesShown = 0;
};

} // namespace orlika
