#include "Platform/StoreKit/StoreReviewController.h"

#include "Platform/Dispatch/Dispatch.h"

namespace StoreKit {

namespace {
int requests = 0;
} // namespace

void SKStoreReviewController::requestReview()
{
    Dispatch::assertMainThread("SKStoreReviewController::requestReview");
    ++requests;
}

int SKStoreReviewController::requestCount() { return requests; }

} // namespace StoreKit
