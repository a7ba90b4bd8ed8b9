#include "Tiberly/KitStrings.h"

#include <map>

namespace Tiberly {

std::string kitString(const std::string& key)
{
    static const std::map<std::string, std::string> texts = {
        {"KIT_CANCEL", "Cancel"},
        {"KIT_OK", "OK"},
        {"KIT_ARCHIVE_FORMAT", "Format:"},
        {"KIT_COMPRESSION_LEVEL", "Compression level:"},
        {"KIT_LEVEL_DEFAULT", "Default"},
        {"KIT_LEVEL_LOWEST", "Lowest"},
        {"KIT_LEVEL_LOW", "Low"},
        {"KIT_LEVEL_MEDIUM", "Medium"},
        {"KIT_LEVEL_HIGH", "High"},
        {"KIT_LEVEL_HIGHEST", "Highest"},
        {"KIT_PASSPHRASE", "Passphrase:"},
        {"KIT_PASSPHRASE_CONFIRM", "Confirm:"},
        {"KIT_PASSPHRASE_MISMATCH", "The passphrases do not match; none is used."},
        {"KIT_ENCRYPTION_METHOD", "Encryption:"},
        {"KIT_ENCRYPT_FILE_NAMES", "Encrypt file names"},
        {"KIT_IGNORE_HIDDEN_FILES", "Ignore hidden files"},
        {"KIT_REVEAL_AFTER_CREATION", "Reveal the archive when done"},
        {"KIT_DELETE_ORIGINALS", "Delete the original files"},
        {"KIT_HINT_NO_ENCRYPTION", "This format cannot be encrypted."},
        {"KIT_HINT_NO_NAME_ENCRYPTION", "Only 7z archives can encrypt file names."},
        {"KIT_HINT_NO_LEVEL", "This format has no compression levels."},
        {"KIT_ENCODING_MESSAGE", "Choose the text encoding of the file names:"},
    };
    const auto it = texts.find(key);
    return it == texts.end() ? key : it->second;
}

} // namespace Tiberly
