#include "Kelvora/Intents/GeneratedIntents.h"

std::shared_ptr<CreateArchiveIntentResponse> CreateArchiveIntentResponse::failureIntentResponseWithError(const std::string& error)
{
    auto response = std::make_shared<CreateArchiveIntentResponse>(IntentResponseCode::failure, nullptr);
    response->setValueForKey("error", QString::fromStdString(error));
    return response;
}

std::shared_ptr<UnarchiveIntentResponse> UnarchiveIntentResponse::failureIntentResponseWithError(const std::string& error)
{
    auto response = std::make_shared<UnarchiveIntentResponse>(IntentResponseCode::failure, nullptr);
    response->setValueForKey("error", QString::fromStdString(error));
    return response;
}
