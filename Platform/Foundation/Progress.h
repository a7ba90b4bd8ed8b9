#pragma once
// Stand-in for the platform's progress object: unit counts, the fraction
// completed, an additional description, indeterminacy and cancellation.
// Workers update it; observers are called on the updating thread (callers
// that show it hop to the main thread themselves). Safe to update from one
// thread while others read it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Foundation {

class Progress;
using ProgressPtr = std::shared_ptr<Progress>;

class Progress : public std::enable_shared_from_this<Progress> {
public:
    enum class Key { fractionCompleted, localizedAdditionalDescription, isIndeterminate, isCancelled };
    using Observer = std::function<void(const Progress&, Key)>;

    // Ends an observation when destroyed (or on reset). After it returns no
    // call of the observer is running or will start, unless it is destroyed
    // from inside that very call.
    class Observation {
    public:
        Observation() = default;
        Observation(Observation&&) noexcept = default;
        Observation& operator=(Observation&&) noexcept;
        ~Observation();
        void reset();
        explicit operator bool() const { return static_cast<bool>(entry_); }

    private:
        friend class Progress;
        struct Entry;
        std::shared_ptr<Entry> entry_;
        std::weak_ptr<Progress> progress_;
    };

    static ProgressPtr make(int64_t totalUnitCount = -1);

    int64_t totalUnitCount() const { return total_.load(); }
    int64_t completedUnitCount() const { return completed_.load(); }
    void setTotalUnitCount(int64_t value);
    void setCompletedUnitCount(int64_t value);
    // Sets both at once, notifying once.
    void setUnitCounts(int64_t completed, int64_t total);

    // completed / total, clamped to [0, 1]; 0 while indeterminate.
    double fractionCompleted() const;
    // Indeterminate while either count is negative (as the platform's is),
    // or when set explicitly.
    bool isIndeterminate() const;
    void setIndeterminate(bool value);

    std::string localizedAdditionalDescription() const;
    void setLocalizedAdditionalDescription(std::string text);

    bool isCancellable() const { return cancellable_.load(); }
    void setCancellable(bool value) { cancellable_.store(value); }
    bool isCancelled() const { return cancelled_.load(); }
    // Marks the progress cancelled and calls the cancellation handler once,
    // on the calling thread.
    void cancel();
    void setCancellationHandler(std::function<void()> handler);

    [[nodiscard]] Observation observe(Observer observer);

private:
    Progress() = default;
    void notify(Key key);
    void removeObserver(const std::shared_ptr<Observation::Entry>& entry);

    std::atomic<int64_t> total_{-1};
    std::atomic<int64_t> completed_{0};
    std::atomic<bool> forcedIndeterminate_{false};
    std::atomic<bool> cancellable_{true};
    std::atomic<bool> cancelled_{false};

    mutable std::mutex mutex_;
    std::string description_;
    std::function<void()> cancellationHandler_;
    std::vector<std::shared_ptr<Observation::Entry>> observers_;
};

} // namespace Foundation
