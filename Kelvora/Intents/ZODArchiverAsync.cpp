#include "Kelvora/Intents/ZODArchiverAsync.h"

#include "Brackwen/EntryNames.h"
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
    // The tree's names must be decoded as the extraction decodes them, or the
    // returned paths name files that were never written.
    auto analysis = Vantel::analyze(
        archivePaths, [] { return std::optional<std::string>(); }, [encoding](const char*) { return encoding; },
        [=](Vantel::AnalysisResult result, ZODArchiverTaskPtr) {
            if (result.isFailure()) {
                continuation->resume(DecompressResult::failure(result.error()));
                return;
            }
            const ZODArchiveDirectoryPtr& root = result.value();
            std::vector<std::string> items;
            for (const auto& d : root->directories())
                items.push_back(d->name());
            for (const auto& f : root->files())
                items.push_back(f->name());
            auto extraction = Vantel::decompress(
                archivePaths, destination, root, items, root->size(), root->itemCount(), std::nullopt, encoding,
                progress, nullptr, [](const std::string&) { return ArchiverConflictResolving::replaceAll; },
                [=](Vantel::OperationResult extracted, ZODArchiverTaskPtr) {
                    if (extracted.isFailure()) {
                        continuation->resume(DecompressResult::failure(extracted.error()));
                        return;
                    }
                    // Each item under the name the engine wrote it by; pipes
                    // and devices are never made, so only what exists.
                    std::vector<QUrl> urls;
                    QDir folder(QString::fromStdString(destination));
                    auto add = [&](const ZODArchiveModel& entry) {
                        QString path =
                            folder.filePath(QString::fromStdString(Brackwen::decodeEntryName(entry.rawName(), encoding)));
                        if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
                            urls.push_back(QUrl::fromLocalFile(path));
                    };
                    for (const auto& d : root->directories())
                        add(*d);
                    for (const auto& f : root->files())
                        add(*f);
                    continuation->resume(DecompressResult::success(std::move(urls)));
                },
                Dispatch::globalQueue(), Dispatch::mainQueue());
            extraction->resume();
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    analysis->resume();
    return continuation->wait();
}

} // namespace ZODArchiverAsync
