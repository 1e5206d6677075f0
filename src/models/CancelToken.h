#pragma once
#include <atomic>
#include <memory>

// A stop flag shared by the owner of a background scan and the scan itself. The owner may cancel
// from any thread at any time; the scan polls it. A token is never reset: each scan gets a new one.
class CancelToken {
public:
    void cancel() { m_cancelled.store(true, std::memory_order_release); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_cancelled{false};
};

using CancelTokenPtr = std::shared_ptr<CancelToken>;
