#include "Kelvora/Intents/ZODArchiverAsync.h"

#include "Platform/Foundation/StringEncoding.h"
#include "Vantel/SharedSettings.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace ZODArchiverAsync {

namespace {

// One awaited result, resumed exactly once.
template <class R>
class Continuation {
public:
    void resume(R result)
    {
        if (result_) {
            std::fprintf(stderr, "continuation resumed twice\n");
            std::abort();
        }
        result_.emplace(std::move(result));
        done_.signal();
    }
    R wait()
    {
        done_.wait();
        return std::move(*result_);
    }

private:
    std::optional<R> result_;
    Dispatch::Semaphore done_;
};

void assertOffMainThread(const char* where)
{
    if (Dispatch::isMainThread()) {
        std::fprintf(stderr, "%s must not be awaited on the main thread\n", where);
        std::abort();
    }
}

} // namespace

CompressResult compressAsync(std::vector<std::string> items, std::string destination,
                             ZODArchiverPreference preference, Foundation::ProgressPtr progress)
{
    assertOffMainThread("compressAsync(items:destination:preference:progress:)");
    auto continuation = std::make_shared<Continuation<CompressResult>>();
    auto task = Vantel::compress(
        std::move(items), std::move(destination), std::move(preference), std::move(progress),
        [continuation](Vantel::OperationResult result, ZODArchiverTaskPtr) {
            if (result.isSuccess())
                continuation->resume(CompressResult::success({}));
            else
                continuation->resume(CompressResult::failure(result.error()));
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    return continuation->wait();
}

DecompressResult decompressAsync(std::vector<std::string> archivePaths, std::string destination,
                                 Foundation::ProgressPtr progress)
{
    assertOffMainThread("decompressAsync(archivePaths:destination:progress:)");
    uint64_t encoding = Vantel::SharedSettings().fallbackEncoding();
    if (encoding == 0)
        encoding = Foundation::Encoding::UTF8;

    auto continuation = std::make_shared<Continuation<DecompressResult>>();
    auto extraction = Vantel::decompressEntire(
        std::move(archivePaths), destination, encoding, std::move(progress),
        [](const std::string&) { return ArchiverConflictResolving::replaceAll; },
        [=](Vantel::EntireResult result, ZODArchiverTaskPtr) {
            if (result.isFailure()) {
                continuation->resume(DecompressResult::failure(result.error()));
                return;
            }
            // Pipes and devices are never made, and a failed entry's folder
            // may have been removed again: only what exists.
            std::vector<QUrl> urls;
            QDir folder(QString::fromStdString(destination));
            for (const auto& name : result.value()) {
                QString path = folder.filePath(QString::fromStdString(name));
                if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
                    urls.push_back(QUrl::fromLocalFile(path));
            }
            continuation->resume(DecompressResult::success(std::move(urls)));
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    extraction->resume();
    return continuation->wait();
}

} // namespace ZODArchiverAsync
