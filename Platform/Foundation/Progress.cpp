#include "Platform/Foundation/Progress.h"

#include <algorithm>
#include <thread>

namespace Foundation {

struct Progress::Observation::Entry {
    std::recursive_mutex callMutex; // held while the observer runs
    bool alive = true;
    Observer observer;
};

Progress::Observation& Progress::Observation::operator=(Observation&& other) noexcept
{
    if (this != &other) {
        reset();
        entry_ = std::move(other.entry_);
        progress_ = std::move(other.progress_);
    }
    return *this;
}

Progress::Observation::~Observation()
{
    reset();
}

void Progress::Observation::reset()
{
    if (!entry_)
        return;
    {
        // Waits for a call in flight on another thread; re-entrant from the call itself.
        std::lock_guard lock(entry_->callMutex);
        entry_->alive = false;
    }
    if (auto progress = progress_.lock())
        progress->removeObserver(entry_);
    entry_.reset();
    progress_.reset();
}

ProgressPtr Progress::make(int64_t totalUnitCount)
{
    ProgressPtr p(new Progress);
    p->total_.store(totalUnitCount);
    return p;
}

void Progress::setTotalUnitCount(int64_t value)
{
    if (total_.exchange(value) == value)
        return;
    notify(Key::fractionCompleted);
}

void Progress::setCompletedUnitCount(int64_t value)
{
    if (completed_.exchange(value) == value)
        return;
    notify(Key::fractionCompleted);
}

void Progress::setUnitCounts(int64_t completed, int64_t total)
{
    bool changed = total_.exchange(total) != total;
    changed = completed_.exchange(completed) != completed || changed;
    if (changed)
        notify(Key::fractionCompleted);
}

double Progress::fractionCompleted() const
{
    int64_t total = total_.load();
    int64_t completed = completed_.load();
    if (total <= 0 || completed < 0)
        return 0.0;
    return std::clamp(static_cast<double>(completed) / static_cast<double>(total), 0.0, 1.0);
}

bool Progress::isIndeterminate() const
{
    return forcedIndeterminate_.load() || total_.load() < 0 || completed_.load() < 0;
}

void Progress::setIndeterminate(bool value)
{
    if (forcedIndeterminate_.exchange(value) != value)
        notify(Key::isIndeterminate);
}

std::string Progress::localizedAdditionalDescription() const
{
    std::lock_guard lock(mutex_);
    return description_;
}

void Progress::setLocalizedAdditionalDescription(std::string text)
{
    {
        std::lock_guard lock(mutex_);
        if (description_ == text)
            return;
        description_ = std::move(text);
    }
    notify(Key::localizedAdditionalDescription);
}

void Progress::cancel()
{
    if (cancelled_.exchange(true))
        return;
    std::function<void()> handler;
    {
        std::lock_guard lock(mutex_);
        handler = std::move(cancellationHandler_);
        cancellationHandler_ = nullptr;
    }
    notify(Key::isCancelled);
    if (handler)
        handler();
}

void Progress::setCancellationHandler(std::function<void()> handler)
{
    bool runNow = false;
    {
        std::lock_guard lock(mutex_);
        if (cancelled_.load())
            runNow = true;
        else
            cancellationHandler_ = std::move(handler);
    }
    // A progress cancelled before the handler arrived still reaches it.
    if (runNow && handler)
        handler();
}

Progress::Observation Progress::observe(Observer observer)
{
    auto entry = std::make_shared<Observation::Entry>();
    entry->observer = std::move(observer);
    {
        std::lock_guard lock(mutex_);
        observers_.push_back(entry);
    }
    Observation o;
    o.entry_ = entry;
    o.progress_ = weak_from_this();
    return o;
}

void Progress::removeObserver(const std::shared_ptr<Observation::Entry>& entry)
{
    std::lock_guard lock(mutex_);
    observers_.erase(std::remove(observers_.begin(), observers_.end(), entry), observers_.end());
}

void Progress::notify(Key key)
{
    std::vector<std::shared_ptr<Observation::Entry>> current;
    {
        std::lock_guard lock(mutex_);
        current = observers_;
    }
    for (auto& entry : current) {
        std::lock_guard lock(entry->callMutex);
        if (entry->alive)
            entry->observer(*this, key);
    }
}

} // namespace Foundation
