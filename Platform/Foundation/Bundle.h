#pragma once
// Stand-in for the platform's bundle: the program's information dictionary
// (the JSON object in the Qt resource ":/Info.json"; empty when absent) and
// its resources (files among the Qt resources, found by name and extension).
//
//   const auto& bundle = Foundation::Bundle::main();
//   QVariant name = bundle.objectForInfoDictionaryKey("CFBundleDisplayName");
//   std::optional<std::string> p = bundle.pathForResource("Credits", "html");  // ":/…/Credits.html"
//
// Thread-safe; the dictionary is read once, on first use.

#include <QVariant>
#include <QVariantMap>

#include <optional>
#include <string>

namespace Foundation {

class Bundle {
public:
    static const Bundle& main();

    const QVariantMap& infoDictionary() const { return info_; }
    // Invalid when the key is absent.
    QVariant objectForInfoDictionaryKey(const std::string& key) const;

    // The resource path (":/…") of the first file named "<name>.<extension>"
    // (or "<name>" for an empty extension) among the resources, searched in
    // name order; the string tables (":/strings") are not resources here.
    std::optional<std::string> pathForResource(const std::string& name, const std::string& extension) const;

private:
    Bundle();
    QVariantMap info_;
};

} // namespace Foundation
