// SPDX-License-Identifier: MIT
// Work spread over the machine's cores whose results are taken one by one in their order,
// on the calling thread: reading thousands of designs on every core while one thread
// writes what they gave, in the order a single reader would have written it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace orlika {

/// Runs produce(i) for every i below `count` on `workers` threads, never more than `ahead`
/// items past the one taken last, and hands each result to take(i, result) on the calling
/// thread, in the order of i. Stops, leaving the rest, once take returns false; returns
/// false then. An exception from produce or take stops the work and is thrown here, after
/// every worker has ended.
template <typename Result>
bool forEachInOrder(std::size_t count, unsigned workers, std::size_t ahead,
                    const std::function<Result(std::size_t)>& produce,
                    const std::function<bool(std::size_t, Result&&)>& take)
{
    std::mutex mutex;
    std::condition_variable produced;  // a result is there, or a worker failed
    std::condition_variable room;      // a result was taken, or the work stops
    std::vector<std::optional<Result>> results(count);
    std::size_t claimed = 0;  // items given to workers
    std::size_t taken = 0;    // items handed to take
    bool stopping = false;
    std::exception_ptr failure;

    const auto work = [&] {
        for (;;) {
            std::size_t item = 0;
            {
                std::unique_lock lock(mutex);
                room.wait(lock, [&] { return stopping || claimed >= count || claimed < taken + ahead; });
                if (stopping || claimed >= count)
                    return;
                item = claimed++;
            }
            try {
                Result result = produce(item);
                const std::lock_guard lock(mutex);
                results[item] = std::move(result);
            } catch (...) {
                const std::lock_guard lock(mutex);
                if (!failure)
                    failure = std::current_exception();
                stopping = true;
            }
            produced.notify_all();
            room.notify_all();
        }
    };

    std::vector<std::thread> threads;
    // However this ends, the workers are told to stop and are waited for.
    const auto stopAndJoin = [&] {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        room.notify_all();
        for (std::thread& thread : threads)
            if (thread.joinable())
                thread.join();
    };
    bool going = true;
    try {
        for (unsigned i = 0; i < std::max(1u, workers); ++i)
            threads.emplace_back(work);
        for (std::size_t item = 0; item < count && going; ++item) {
            std::optional<Result> result;
            {
                std::unique_lock lock(mutex);
                produced.wait(lock, [&] { return results[item].has_value() || failure; });
                if (!results[item])
                    break;  // a worker failed
                result = std::move(results[item]);
                results[item].reset();
                taken = item + 1;
            }
            room.notify_all();
            going = take(item, std::move(*result));
        }
    } catch (...) {
        stopAndJoin();
        throw;
    }
    stopAndJoin();
    if (failure)
        std::rethrow_exception(failure);
    return going;
}

} // namespace orlika
