#pragma once
// The classes of the older intent definition, kept so that shortcuts built
// on them migrate to the actions of the same parameter names. Nothing
// creates them or adopts their handling protocols.

#include "Platform/Intents/LegacyIntents.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Raw values outside each range make no value.
template <int64_t Last>
struct RangedCode {
    static std::optional<int64_t> fromRawValue(int64_t raw)
    {
        if (raw < 0 || raw > Last)
            return std::nullopt;
        return raw;
    }
};

// 0 is the code of a new response, 5 a failure.
enum class IntentResponseCode : int64_t { unspecified = 0, ready = 1, continueInApp = 2, inProgress = 3, success = 4, failure = 5, failureRequiringAppLaunch = 6 };

using CreateArchiveIntentResponseCode = IntentResponseCode;
using UnarchiveIntentResponseCode = IntentResponseCode;
using GetURLIntentResponseCode = IntentResponseCode;
using GetFileFromURLIntentResponseCode = IntentResponseCode;
using IntentResponseCodeRange = RangedCode<6>;

enum class CreateArchivePreset : int64_t { unknown = 0, zip, sevenzip, targz, tarbz2, tarZ, tarxz, iso, tarzst };
using CreateArchivePresetRange = RangedCode<8>;

enum class CreateArchiveEncrytionMethod : int64_t { unknown = 0, zipCrypt, AES128, AES256 };
using CreateArchiveEncrytionMethodRange = RangedCode<3>;

class CreateArchiveIntent : public Intents::INIntent {};
class UnarchiveIntent : public Intents::INIntent {};
class GetURLIntent : public Intents::INIntent {};
class GetFileFromURLIntent : public Intents::INIntent {};

// The response code is the one property a response stores itself.
template <class Code>
class CodedIntentResponse : public Intents::INIntentResponse {
public:
    CodedIntentResponse() = default;
    CodedIntentResponse(Code code, std::shared_ptr<Intents::UserActivity> userActivity)
    {
        code_ = code;
        setUserActivity(std::move(userActivity));
    }
    Code code() const { return code_; }
    void setCode(Code code) { code_ = code; }

private:
    Code code_ = static_cast<Code>(0);
};

class CreateArchiveIntentResponse : public CodedIntentResponse<CreateArchiveIntentResponseCode> {
public:
    using CodedIntentResponse::CodedIntentResponse;
    static std::shared_ptr<CreateArchiveIntentResponse> failureIntentResponseWithError(const std::string& error);
};

class UnarchiveIntentResponse : public CodedIntentResponse<UnarchiveIntentResponseCode> {
public:
    using CodedIntentResponse::CodedIntentResponse;
    static std::shared_ptr<UnarchiveIntentResponse> failureIntentResponseWithError(const std::string& error);
};

class GetURLIntentResponse : public CodedIntentResponse<GetURLIntentResponseCode> {
public:
    using CodedIntentResponse::CodedIntentResponse;
};

class GetFileFromURLIntentResponse : public CodedIntentResponse<GetFileFromURLIntentResponseCode> {
public:
    using CodedIntentResponse::CodedIntentResponse;
};

struct CreateArchivePresetResolutionResult {
    static Intents::INEnumResolutionResult successWithResolvedCreateArchivePreset(CreateArchivePreset v)
    {
        return Intents::INEnumResolutionResult::successWithResolvedValue(static_cast<int64_t>(v));
    }
    static Intents::INEnumResolutionResult confirmationRequiredWithCreateArchivePresetToConfirm(CreateArchivePreset v)
    {
        return Intents::INEnumResolutionResult::confirmationRequiredWithValueToConfirm(static_cast<int64_t>(v));
    }
};

struct CreateArchiveEncrytionMethodResolutionResult {
    static Intents::INEnumResolutionResult successWithResolvedCreateArchiveEncrytionMethod(CreateArchiveEncrytionMethod v)
    {
        return Intents::INEnumResolutionResult::successWithResolvedValue(static_cast<int64_t>(v));
    }
    static Intents::INEnumResolutionResult confirmationRequiredWithCreateArchiveEncrytionMethodToConfirm(CreateArchiveEncrytionMethod v)
    {
        return Intents::INEnumResolutionResult::confirmationRequiredWithValueToConfirm(static_cast<int64_t>(v));
    }
};

// Handling protocols: declared for migration, adopted by nothing.
template <class Intent, class Response>
using IntentCompletion = std::function<void(std::shared_ptr<Response>)>;

class CreateArchiveIntentHandling {
public:
    virtual ~CreateArchiveIntentHandling() = default;
    virtual void handleCreateArchive(const CreateArchiveIntent&, IntentCompletion<CreateArchiveIntent, CreateArchiveIntentResponse>) = 0;
    virtual void resolveFilesForCreateArchive(const CreateArchiveIntent&, std::function<void()>) = 0;
    virtual void resolveArchiveNameForCreateArchive(const CreateArchiveIntent&, std::function<void()>) = 0;
    virtual void resolveFormatForCreateArchive(const CreateArchiveIntent&, std::function<void(Intents::INEnumResolutionResult)>) = 0;
    virtual void resolvePassphraseForCreateArchive(const CreateArchiveIntent&, std::function<void()>) = 0;
    virtual void resolveEncryptFileNamesForCreateArchive(const CreateArchiveIntent&, std::function<void()>) = 0;
    virtual void resolveEncryptionMethodForCreateArchive(const CreateArchiveIntent&, std::function<void(Intents::INEnumResolutionResult)>) = 0;
    virtual void resolveIgnoreHiddenFilesForCreateArchive(const CreateArchiveIntent&, std::function<void()>) = 0;
    virtual void resolveDestinationForCreateArchive(const CreateArchiveIntent&, std::function<void()>) = 0;
    virtual void confirmCreateArchive(const CreateArchiveIntent&, IntentCompletion<CreateArchiveIntent, CreateArchiveIntentResponse>) {}
};

class UnarchiveIntentHandling {
public:
    virtual ~UnarchiveIntentHandling() = default;
    virtual void handleUnarchive(const UnarchiveIntent&, IntentCompletion<UnarchiveIntent, UnarchiveIntentResponse>) = 0;
    virtual void resolveFilesForUnarchive(const UnarchiveIntent&, std::function<void()>) = 0;
    virtual void resolveDestinationForUnarchive(const UnarchiveIntent&, std::function<void()>) = 0;
    virtual void confirmUnarchive(const UnarchiveIntent&, IntentCompletion<UnarchiveIntent, UnarchiveIntentResponse>) {}
};

class GetURLIntentHandling {
public:
    virtual ~GetURLIntentHandling() = default;
    virtual void handleGetURL(const GetURLIntent&, IntentCompletion<GetURLIntent, GetURLIntentResponse>) = 0;
    virtual void resolveFileForGetURL(const GetURLIntent&, std::function<void()>) = 0;
    virtual void confirmGetURL(const GetURLIntent&, IntentCompletion<GetURLIntent, GetURLIntentResponse>) {}
};

class GetFileFromURLIntentHandling {
public:
    virtual ~GetFileFromURLIntentHandling() = default;
    virtual void handleGetFileFromURL(const GetFileFromURLIntent&, IntentCompletion<GetFileFromURLIntent, GetFileFromURLIntentResponse>) = 0;
    virtual void resolveUrlForGetFileFromURL(const GetFileFromURLIntent&, std::function<void()>) = 0;
    virtual void confirmGetFileFromURL(const GetFileFromURLIntent&, IntentCompletion<GetFileFromURLIntent, GetFileFromURLIntentResponse>) {}
};
