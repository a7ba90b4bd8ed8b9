#pragma once
// Stand-in for the platform's store review request. A desktop has no store
// prompt, so the request is only counted: the call stays observable.

namespace StoreKit {

class SKStoreReviewController {
public:
    static void requestReview();
    // How many reviews were requested in this process.
    static int requestCount();
};

} // namespace StoreKit
