#include "Vantel/Archiver.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unordered_set>

namespace {

std::string makeTar()
{
    std::string dir = TestSupport::scratchDirectory() + "/facade";
    std::filesystem::create_directories(dir + "/in");
    std::ofstream(dir + "/in/a.txt") << "alpha";
    EXPECT_EQ(std::system(("cd '" + dir + "' && tar cf a.tar in").c_str()), 0);
    return dir + "/a.tar";
}

ZODArchiveDirectoryPtr analyzed(const std::string& archive)
{
    ZODArchiveDirectoryPtr root;
    std::atomic<bool> done{false};
    auto task = Vantel::analyze({archive}, nullptr, nullptr,
                                [&](Vantel::AnalysisResult result, ZODArchiverTaskPtr) {
                                    if (result.isSuccess())
                                        root = result.value();
                                    done = true;
                                },
                                Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return done.load(); }));
    return root;
}

} // namespace

TEST(ArchiverFacade, ErrorValueWrapsOneEngineErrorObject)
{
    ZODArchiverError made(ZODArchiverError::Code{5}, {{"k", std::string("v")}});
    EXPECT_EQ(made.error()->domain(), ZODArchiverErrorDomain);
    EXPECT_EQ(made.rawCode(), 5);
    EXPECT_EQ(std::any_cast<std::string>(made.userInfo().at("k")), "v");

    auto object = ZODArchiverMakeError(ZODArchiverErrorCancelled, {{"why", std::string("user")}});
    auto converted = ZODArchiverError::from(object);
    ASSERT_TRUE(converted);
    EXPECT_EQ(converted->error(), object);
    EXPECT_EQ(converted->code(), ZODArchiverError::Code::cancelled);
    EXPECT_EQ(*converted, *ZODArchiverError::from(object));
    EXPECT_FALSE(*converted == ZODArchiverError(ZODArchiverError::Code::cancelled));
    std::unordered_set<ZODArchiverError> set{*converted, *ZODArchiverError::from(object)};
    EXPECT_EQ(set.size(), 1u);
    EXPECT_FALSE(ZODArchiverError::from(Foundation::posixError(ENOENT)));
    EXPECT_FALSE(ZODArchiverError::from(nullptr));
    EXPECT_FALSE(made.localizedDescription().empty());
}

TEST(ArchiverFacade, ResultMapping)
{
    auto directory = std::make_shared<ZODArchiveDirectory>();
    auto engine = ZODArchiverMakeError(ZODArchiverErrorCancelled, {{"why", std::string("user")}});
    auto foreign = Foundation::posixError(EIO);

    EXPECT_TRUE(Vantel::analysisResult(directory, engine).isSuccess());
    EXPECT_EQ(Vantel::analysisResult(directory, engine).value(), directory);
    EXPECT_TRUE(Vantel::operationResult(true, engine).isSuccess());

    for (const auto& error : {Foundation::ErrorPtr(), foreign}) {
        auto a = Vantel::analysisResult(nullptr, error);
        ASSERT_TRUE(a.isFailure());
        EXPECT_EQ(a.error().rawCode(), 27);
        EXPECT_TRUE(a.error().userInfo().empty());
        auto o = Vantel::operationResult(false, error);
        ASSERT_TRUE(o.isFailure());
        EXPECT_EQ(o.error().code(), ZODArchiverError::Code::unknown);
        EXPECT_EQ(o.error().error()->domain(), ZODArchiverErrorDomain);
    }
    auto cancelled = Vantel::operationResult(false, engine);
    EXPECT_EQ(cancelled.error().error(), engine);
}

TEST(ArchiverFacade, TaskIsReturnedUnstartedAndCompletionIsOptional)
{
    std::string archive = makeTar();
    std::atomic<int> completions{0};
    auto task = Vantel::analyze({archive}, nullptr, nullptr,
                                [&](Vantel::AnalysisResult result, ZODArchiverTaskPtr t) {
                                    EXPECT_TRUE(Dispatch::isMainThread());
                                    EXPECT_TRUE(result.isSuccess());
                                    EXPECT_TRUE(t);
                                    completions++;
                                },
                                Dispatch::globalQueue(), Dispatch::mainQueue());
    TestSupport::drainEvents(std::chrono::milliseconds(100));
    EXPECT_EQ(completions, 0);
    task->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return completions == 1; }));

    auto silent = Vantel::analyze({archive}, nullptr, nullptr, nullptr, Dispatch::globalQueue(), Dispatch::mainQueue());
    auto progress = silent->progress();
    silent->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return progress->fractionCompleted() == 1.0; }));
    TestSupport::drainEvents();
}

TEST(ArchiverFacade, FailuresAndCancellationKeepTheEngineError)
{
    std::atomic<bool> done{false};
    std::optional<ZODArchiverError> failure;
    auto task = Vantel::analyze({TestSupport::scratchDirectory() + "/missing.zip"}, nullptr, nullptr,
                                [&](Vantel::AnalysisResult result, ZODArchiverTaskPtr) {
                                    if (result.isFailure())
                                        failure = result.error();
                                    done = true;
                                },
                                Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done.load(); }));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->rawCode(), ZODArchiverErrorFileNotFound);

    done = false;
    failure.reset();
    auto cancelled = Vantel::analyze({makeTar()}, nullptr, nullptr,
                                     [&](Vantel::AnalysisResult result, ZODArchiverTaskPtr) {
                                         if (result.isFailure())
                                             failure = result.error();
                                         done = true;
                                     },
                                     Dispatch::globalQueue(), Dispatch::mainQueue());
    cancelled->cancel();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done.load(); }));
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->code(), ZODArchiverError::Code::cancelled);
}

TEST(ArchiverFacade, DecompressPassesAnswersThrough)
{
    std::string archive = makeTar();
    auto root = analyzed(archive);
    ASSERT_TRUE(root);
    std::string dest = TestSupport::scratchDirectory() + "/facade-out";
    std::filesystem::create_directories(dest + "/in");
    std::ofstream(dest + "/in/a.txt") << "old";
    std::atomic<int> asked{0};
    std::atomic<bool> done{false};
    bool success = false;
    auto task = Vantel::decompress(
        {archive}, dest, root, {}, root->size(), root->itemCount(), std::string(), 0, nullptr, nullptr,
        [&](const std::string&) {
            asked++;
            return ArchiverConflictResolving::replaceAll;
        },
        [&](Vantel::OperationResult result, ZODArchiverTaskPtr) {
            success = result.isSuccess();
            done = true;
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done.load(); }));
    EXPECT_TRUE(success);
    EXPECT_EQ(asked, 0); // an empty item list extracts nothing

    done = false;
    auto all = Vantel::decompress(
        {archive}, dest, root, {"in"}, root->size(), root->itemCount(), std::nullopt, 0, nullptr, nullptr,
        [&](const std::string&) {
            asked++;
            return ArchiverConflictResolving::replaceAll;
        },
        [&](Vantel::OperationResult result, ZODArchiverTaskPtr) {
            success = result.isSuccess();
            done = true;
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    all->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done.load(); }));
    EXPECT_TRUE(success);
    EXPECT_EQ(asked, 1);
    std::ifstream in(dest + "/in/a.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "alpha");
}

TEST(ArchiverFacade, CachedURLIsKeptPerEntry)
{
    auto first = std::make_shared<ZODArchiveFile>();
    auto second = std::make_shared<ZODArchiveFile>();
    EXPECT_FALSE(Vantel::cachedURL(*first));
    Vantel::setCachedURL(*first, QUrl::fromLocalFile("/tmp/one"));
    Vantel::setCachedURL(*first, QUrl::fromLocalFile("/tmp/two"));
    Vantel::setCachedURL(*second, QUrl::fromLocalFile("/tmp/other"));
    EXPECT_EQ(Vantel::cachedURL(*first), QUrl::fromLocalFile("/tmp/two"));
    EXPECT_EQ(Vantel::cachedURL(*second), QUrl::fromLocalFile("/tmp/other"));
    Vantel::setCachedURL(*first, std::nullopt);
    EXPECT_FALSE(Vantel::cachedURL(*first));
    second->attachedValue() = std::string("not a URL");
    EXPECT_FALSE(Vantel::cachedURL(*second));
}
