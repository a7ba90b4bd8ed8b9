#include "ActionFrame/ActionFrame.h"
#include "Platform/Extension/ExtensionHost.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Extension/ExtensionItem.h"
#include "Platform/Foundation/FileManager.h"
#include "tests/Extensions/ExtensionTestSupport.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace ExtensionTests;
using Extension::ExtensionContext;
using Extension::ExtensionItem;
using Extension::ItemProvider;

// The frame with a start step that only records, and every finishRequest counted.
class RecordingFrame : public ActionFrame {
public:
    explicit RecordingFrame(std::string type = "public.item") : ActionFrame(std::move(type)) {}
    void gather() { gatherAttachments(); }
    void finishRequest(const Extension::ExtensionContextPtr& context) override
    {
        ++finishes;
        ActionFrame::finishRequest(context);
    }
    int starts = 0;
    int finishes = 0;

protected:
    void startStep(const Extension::ExtensionContextPtr&) override { ++starts; }
};

std::shared_ptr<ExtensionItem> itemWith(std::vector<Extension::ItemProviderPtr> providers)
{
    return std::make_shared<ExtensionItem>(std::move(providers));
}

Extension::ItemProviderPtr fileProvider(const std::string& path)
{
    return ItemProvider::withContentsOfURL(Foundation::URL::fileURLWithPath(path));
}

Extension::ItemProviderPtr providerWithoutURL()
{
    auto provider = std::make_shared<ItemProvider>();
    provider->registerFileRepresentation("public.data", true, [](ItemProvider::FileCompletion completion) {
        completion(std::nullopt, false, nullptr);
    });
    return provider;
}

std::shared_ptr<RecordingFrame> gatherWith(std::vector<std::any> items, std::string type = "public.item")
{
    auto frame = std::make_shared<RecordingFrame>(std::move(type));
    frame->setExtensionContext(std::make_shared<ExtensionContext>(std::move(items)));
    frame->gather();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return frame->starts == 1; }));
    return frame;
}

std::vector<std::string> paths(const std::vector<Foundation::URL>& urls)
{
    std::vector<std::string> out;
    for (const auto& url : urls)
        out.push_back(url.path());
    return out;
}

TEST(ExtensionFrame, RequestsWithoutAttachmentsStartAtOnceWithNoCopies)
{
    const std::vector<std::vector<std::any>> requests = {
        {},
        {std::any(itemWith({})), std::any(itemWith({}))},
        // One item of another kind: none of the items counts.
        {std::any(itemWith({fileProvider(writeFile(makeFolder("a") + "/x.txt", "x"))})), std::any(std::string("text"))},
    };
    for (const auto& items : requests) {
        auto frame = gatherWith(items);
        EXPECT_TRUE(frame->currentLoadedAttachments().empty());
        EXPECT_TRUE(frame->urlsToLoad().empty());
        EXPECT_TRUE(frame->originalURLs().empty());
        EXPECT_EQ(frame->currentLoadingIndex(), 0);
    }
}

TEST(ExtensionFrame, CopiesEachLoadableAttachmentInOrderAndSkipsTheOthers)
{
    const std::string first = writeFile(makeFolder("one") + "/first.txt", "1");
    const std::string third = writeFile(makeFolder("three") + "/third.txt", "3");
    // Two items: the second carries two attachments, of which the first yields no URL.
    auto frame = gatherWith({std::any(itemWith({fileProvider(first)})),
                             std::any(itemWith({providerWithoutURL(), fileProvider(third)}))});
    EXPECT_EQ(frame->currentLoadedAttachments().size(), 3u);
    EXPECT_EQ(frame->currentLoadingIndex(), 3);
    EXPECT_EQ(paths(frame->originalURLs()), (std::vector<std::string>{first, third}));
    const std::string folder = runFolder(frame->uuid());
    EXPECT_EQ(paths(frame->urlsToLoad()), (std::vector<std::string>{folder + "/first.txt", folder + "/third.txt"}));
    EXPECT_EQ(readFile(folder + "/third.txt"), "3");
}

TEST(ExtensionFrame, SkipsWhatCannotBeCopiedOrIsOfTheWrongKind)
{
    const std::string a = writeFile(makeFolder("left") + "/same.txt", "left");
    const std::string b = writeFile(makeFolder("right") + "/same.txt", "right");
    const std::string folder = makeFolder("a folder");
    const std::string gone = makeFolder("x") + "/gone.txt";
    // Loaded as data: the folder is not data; the second same.txt finds the first.
    auto frame = gatherWith({std::any(itemWith({fileProvider(a), fileProvider(b), fileProvider(folder),
                                                fileProvider(gone)}))},
                            "public.data");
    EXPECT_EQ(frame->currentLoadingIndex(), 4);
    EXPECT_EQ(paths(frame->originalURLs()), std::vector<std::string>{a});
    ASSERT_EQ(frame->urlsToLoad().size(), 1u);
    EXPECT_EQ(readFile(frame->urlsToLoad().front().path()), "left");
}

TEST(ExtensionFrame, FoldersAreCopiedWholeAsItems)
{
    const std::string folder = makeFolder("Photos.2024");
    writeFile(folder + "/inner/deep.txt", "deep");
    auto frame = gatherWith({std::any(itemWith({fileProvider(folder)}))});
    ASSERT_EQ(frame->urlsToLoad().size(), 1u);
    EXPECT_EQ(readFile(frame->urlsToLoad().front().path() + "/inner/deep.txt"), "deep");
}

TEST(ExtensionFrame, FinishingRemovesTheCopiesKeepsTheRunFolderAndCompletesWithNoItems)
{
    const std::string a = writeFile(makeFolder("f1") + "/a.txt", "a");
    const std::string b = writeFile(makeFolder("f2") + "/b.txt", "b");
    auto frame = gatherWith({std::any(itemWith({fileProvider(a), fileProvider(b)}))});
    ASSERT_EQ(frame->urlsToLoad().size(), 2u);
    // One copy already gone: the other is still removed.
    std::filesystem::remove(frame->urlsToLoad().front().path());

    std::vector<ExtensionContext::Ending> endings;
    auto context = frame->extensionContext();
    context->setEndHandler([&](const ExtensionContext::Ending& ending) { endings.push_back(ending); });
    frame->finishRequest(context);

    EXPECT_FALSE(std::filesystem::exists(frame->urlsToLoad().back().path()));
    EXPECT_EQ(frame->urlsToLoad().size(), 2u);
    EXPECT_TRUE(std::filesystem::is_directory(runFolder(frame->uuid())));
    EXPECT_TRUE(std::filesystem::exists(a) && std::filesystem::exists(b));
    ASSERT_EQ(endings.size(), 1u);
    EXPECT_EQ(endings.front().state, ExtensionContext::State::completed);
    EXPECT_TRUE(endings.front().returnedItems.empty());
    EXPECT_EQ(context->state(), ExtensionContext::State::completed);
}

TEST(ExtensionFrame, WithoutContextNothingHappensAndCancellingBeforeATaskDoesNothing)
{
    auto frame = std::make_shared<RecordingFrame>();
    frame->gather();
    TestSupport::drainEvents();
    EXPECT_EQ(frame->starts, 0);

    frame->progressVC()->cancelButton()->performClick();
    EXPECT_EQ(frame->currentTask(), nullptr);
    EXPECT_EQ(frame->finishes, 0);
}

TEST(ExtensionFrame, ControllerGoneWhileLoadingStopsTheRun)
{
    std::shared_ptr<ItemProvider::FileCompletion> pending = std::make_shared<ItemProvider::FileCompletion>();
    auto provider = std::make_shared<ItemProvider>();
    provider->registerFileRepresentation("public.data", true, [pending](ItemProvider::FileCompletion completion) {
        Dispatch::mainQueue()->async([pending, completion] { *pending = completion; });
    });
    const std::string file = writeFile(makeFolder("late") + "/late.txt", "late");
    auto frame = std::make_shared<RecordingFrame>();
    auto context = std::make_shared<ExtensionContext>(std::vector<std::any>{std::any(itemWith({provider}))});
    frame->setExtensionContext(context);
    frame->gather();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return static_cast<bool>(*pending); }));
    const std::string uuid = frame->uuid();
    frame.reset();
    (*pending)(Foundation::URL::fileURLWithPath(file), true, nullptr);
    TestSupport::drainEvents();
    EXPECT_FALSE(std::filesystem::exists(runFolder(uuid)));
    EXPECT_EQ(context->state(), ExtensionContext::State::open);
}

TEST(ExtensionHost, EachPathIsOneItemWithOneFileAttachment)
{
    const std::string file = writeFile(makeFolder("h") + "/report.pdf", "%PDF");
    const std::string folder = makeFolder("h/Docs");
    const auto items = Extension::inputItemsForPaths({file, folder});
    ASSERT_EQ(items.size(), 2u);
    const auto& second = std::any_cast<const Extension::ExtensionItemPtr&>(items[1]);
    ASSERT_EQ(second->attachments().size(), 1u);
    EXPECT_TRUE(second->attachments().front()->hasItemConformingToTypeIdentifier("public.item"));
    EXPECT_FALSE(second->attachments().front()->hasItemConformingToTypeIdentifier("public.data"));
    const auto& first = std::any_cast<const Extension::ExtensionItemPtr&>(items[0]);
    EXPECT_TRUE(first->attachments().front()->hasItemConformingToTypeIdentifier("public.data"));

    std::optional<Foundation::URL> loaded;
    bool inPlace = false;
    bool done = false;
    first->attachments().front()->loadInPlaceFileRepresentation(
        "public.data", [&](std::optional<Foundation::URL> url, bool isInPlace, Foundation::ErrorPtr) {
            Dispatch::mainQueue()->async([&, url, isInPlace] {
                loaded = url;
                inPlace = isInPlace;
                done = true;
            });
        });
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done; }));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->path(), file);
    EXPECT_TRUE(inPlace);
}

TEST(ExtensionHost, EndingTheRequestClosesTheWindowOnceWithItsExitCode)
{
    for (bool complete : {true, false}) {
        Request<RecordingFrame> request({});
        request.start();
        ASSERT_TRUE(request.window()->isVisible());
        EXPECT_FALSE(request.window()->isClosable());
        EXPECT_EQ(request.controller->extensionContext(), request.context);
        if (complete)
            request.context->completeRequestReturningItems({});
        else
            request.context->cancelRequestWithError(Foundation::Error::make("Test", 1));
        request.context->completeRequestReturningItems({});
        EXPECT_EQ(request.exitCodes, std::vector<int>{complete ? 0 : 1});
        EXPECT_FALSE(request.window()->isVisible());
    }
}

} // namespace
