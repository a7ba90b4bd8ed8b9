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

// Each response's codes: 0 is the code of a new response, 5 a failure.
#define KELVORA_RESPONSE_CODES(Name)                                                                       \
    enum class Name : int64_t {                                                                            \
        unspecified = 0,                                                                                   \
        ready = 1,                                                                                         \
        continueInApp = 2,                                                                                 \
        inProgress = 3,                                                                                    \
        success = 4,                                                                                       \
        failure = 5,                                                                                       \
        failureRequiringAppLaunch = 6                                                                      \
    };                                                                                                     \
    using Name##Range = RangedCode<6>;

KELVORA_RESPONSE_CODES(CreateArchiveIntentResponseCode)
KELVORA_RESPONSE_CODES(UnarchiveIntentResponseCode)
KELVORA_RESPONSE_CODES(GetURLIntentResponseCode)
KELVORA_RESPONSE_CODES(GetFileFromURLIntentResponseCode)
#undef KELVORA_RESPONSE_CODES

enum class CreateArchivePreset : int64_t { unknown = 0, zip, sevenzip, targz, tarbz2, tarZ, tarxz, iso, tarzst };
using CreateArchivePresetRange = RangedCode<8>;

enum class CreateArchiveEncrytionMethod : int64_t { unknown = 0, zipCrypt, AES128, AES256 };
using CreateArchiveEncrytionMethodRange = RangedCode<3>;

// Typed views of the dynamic properties the runtime stores by name.
namespace GeneratedProperties {

std::vector<Intents::INFile> files(const Intents::DynamicProperties& object, const char* key);
void setFiles(Intents::DynamicProperties& object, const char* key, const std::vector<Intents::INFile>& files);
std::optional<Intents::INFile> file(const Intents::DynamicProperties& object, const char* key);
void setFile(Intents::DynamicProperties& object, const char* key, const std::optional<Intents::INFile>& file);
std::optional<std::string> string(const Intents::DynamicProperties& object, const char* key);
void setString(Intents::DynamicProperties& object, const char* key, const std::optional<std::string>& text);
std::optional<bool> boolean(const Intents::DynamicProperties& object, const char* key);
void setBoolean(Intents::DynamicProperties& object, const char* key, std::optional<bool> flag);
std::optional<QUrl> url(const Intents::DynamicProperties& object, const char* key);
void setUrl(Intents::DynamicProperties& object, const char* key, const std::optional<QUrl>& url);
int64_t integer(const Intents::DynamicProperties& object, const char* key);
void setInteger(Intents::DynamicProperties& object, const char* key, int64_t value);

} // namespace GeneratedProperties

class CreateArchiveIntent : public Intents::INIntent {
public:
    using INIntent::INIntent;
    std::vector<Intents::INFile> files() const { return GeneratedProperties::files(*this, "files"); }
    void setFiles(const std::vector<Intents::INFile>& v) { GeneratedProperties::setFiles(*this, "files", v); }
    std::optional<std::string> archiveName() const { return GeneratedProperties::string(*this, "archiveName"); }
    void setArchiveName(const std::optional<std::string>& v) { GeneratedProperties::setString(*this, "archiveName", v); }
    CreateArchivePreset format() const { return static_cast<CreateArchivePreset>(GeneratedProperties::integer(*this, "format")); }
    void setFormat(CreateArchivePreset v) { GeneratedProperties::setInteger(*this, "format", static_cast<int64_t>(v)); }
    std::optional<std::string> passphrase() const { return GeneratedProperties::string(*this, "passphrase"); }
    void setPassphrase(const std::optional<std::string>& v) { GeneratedProperties::setString(*this, "passphrase", v); }
    std::optional<bool> encryptFileNames() const { return GeneratedProperties::boolean(*this, "encryptFileNames"); }
    void setEncryptFileNames(std::optional<bool> v) { GeneratedProperties::setBoolean(*this, "encryptFileNames", v); }
    CreateArchiveEncrytionMethod encryptionMethod() const
    {
        return static_cast<CreateArchiveEncrytionMethod>(GeneratedProperties::integer(*this, "encryptionMethod"));
    }
    void setEncryptionMethod(CreateArchiveEncrytionMethod v)
    {
        GeneratedProperties::setInteger(*this, "encryptionMethod", static_cast<int64_t>(v));
    }
    std::optional<bool> ignoreHiddenFiles() const { return GeneratedProperties::boolean(*this, "ignoreHiddenFiles"); }
    void setIgnoreHiddenFiles(std::optional<bool> v) { GeneratedProperties::setBoolean(*this, "ignoreHiddenFiles", v); }
    std::optional<Intents::INFile> destination() const { return GeneratedProperties::file(*this, "destination"); }
    void setDestination(const std::optional<Intents::INFile>& v) { GeneratedProperties::setFile(*this, "destination", v); }
};

class UnarchiveIntent : public Intents::INIntent {
public:
    using INIntent::INIntent;
    std::vector<Intents::INFile> files() const { return GeneratedProperties::files(*this, "files"); }
    void setFiles(const std::vector<Intents::INFile>& v) { GeneratedProperties::setFiles(*this, "files", v); }
    std::optional<Intents::INFile> destination() const { return GeneratedProperties::file(*this, "destination"); }
    void setDestination(const std::optional<Intents::INFile>& v) { GeneratedProperties::setFile(*this, "destination", v); }
};

class GetURLIntent : public Intents::INIntent {
public:
    using INIntent::INIntent;
    std::optional<Intents::INFile> file() const { return GeneratedProperties::file(*this, "file"); }
    void setFile(const std::optional<Intents::INFile>& v) { GeneratedProperties::setFile(*this, "file", v); }
};

class GetFileFromURLIntent : public Intents::INIntent {
public:
    using INIntent::INIntent;
    std::optional<QUrl> url() const { return GeneratedProperties::url(*this, "url"); }
    void setUrl(const std::optional<QUrl>& v) { GeneratedProperties::setUrl(*this, "url", v); }
};

// The response code is the one property a response stores itself; a
// response restored from a coder starts at code 0 like a new one.
template <class Code>
class CodedIntentResponse : public Intents::INIntentResponse {
public:
    CodedIntentResponse() = default;
    explicit CodedIntentResponse(const Intents::Coder& coder) : INIntentResponse(coder) {}
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
    std::optional<Intents::INFile> file() const { return GeneratedProperties::file(*this, "file"); }
    void setFile(const std::optional<Intents::INFile>& v) { GeneratedProperties::setFile(*this, "file", v); }
    std::optional<std::string> error() const { return GeneratedProperties::string(*this, "error"); }
    void setError(const std::optional<std::string>& v) { GeneratedProperties::setString(*this, "error", v); }
};

class UnarchiveIntentResponse : public CodedIntentResponse<UnarchiveIntentResponseCode> {
public:
    using CodedIntentResponse::CodedIntentResponse;
    static std::shared_ptr<UnarchiveIntentResponse> failureIntentResponseWithError(const std::string& error);
    std::vector<Intents::INFile> files() const { return GeneratedProperties::files(*this, "files"); }
    void setFiles(const std::vector<Intents::INFile>& v) { GeneratedProperties::setFiles(*this, "files", v); }
    std::optional<std::string> error() const { return GeneratedProperties::string(*this, "error"); }
    void setError(const std::optional<std::string>& v) { GeneratedProperties::setString(*this, "error", v); }
};

class GetURLIntentResponse : public CodedIntentResponse<GetURLIntentResponseCode> {
public:
    using CodedIntentResponse::CodedIntentResponse;
    std::optional<QUrl> url() const { return GeneratedProperties::url(*this, "url"); }
    void setUrl(const std::optional<QUrl>& v) { GeneratedProperties::setUrl(*this, "url", v); }
};

class GetFileFromURLIntentResponse : public CodedIntentResponse<GetFileFromURLIntentResponseCode> {
public:
    using CodedIntentResponse::CodedIntentResponse;
    std::optional<Intents::INFile> file() const { return GeneratedProperties::file(*this, "file"); }
    void setFile(const std::optional<Intents::INFile>& v) { GeneratedProperties::setFile(*this, "file", v); }
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
