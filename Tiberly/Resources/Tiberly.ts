<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Tiberly</name>
    <message>
        <source>KIT_CANCEL</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>KIT_OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>KIT_ARCHIVE_FORMAT</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>KIT_COMPRESSION_LEVEL</source>
        <translation>Compression level:</translation>
    </message>
    <message>
        <source>KIT_LEVEL_DEFAULT</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>KIT_LEVEL_LOWEST</source>
        <translation>Lowest</translation>
    </message>
    <message>
        <source>KIT_LEVEL_LOW</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>KIT_LEVEL_MEDIUM</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>KIT_LEVEL_HIGH</source>
        <translation>High</translation>
    </message>
    <message>
        <source>KIT_LEVEL_HIGHEST</source>
        <translation>Highest</translation>
    </message>
    <message>
        <source>KIT_PASSPHRASE</source>
        <translation>Passphrase:</translation>
    </message>
    <message>
        <source>KIT_PASSPHRASE_CONFIRM</source>
        <translation>Confirm:</translation>
    </message>
    <message>
        <source>KIT_PASSPHRASE_MISMATCH</source>
        <translation>The passphrase and its confirmation differ: no archive is made until they match.</translation>
    </message>
    <message>
        <source>KIT_ENCRYPTION_METHOD</source>
        <translation>Encryption:</translation>
    </message>
    <message>
        <source>KIT_ENCRYPT_FILE_NAMES</source>
        <translation>Encrypt file names</translation>
    </message>
    <message>
        <source>KIT_IGNORE_HIDDEN_FILES</source>
        <translation>Ignore hidden files</translation>
    </message>
    <message>
        <source>KIT_REVEAL_AFTER_CREATION</source>
        <translation>Reveal the archive when done</translation>
    </message>
    <message>
        <source>KIT_DELETE_ORIGINALS</source>
        <translation>Delete the original files</translation>
    </message>
    <message>
        <source>KIT_HINT_NO_ENCRYPTION</source>
        <translation>This format cannot be encrypted.</translation>
    </message>
    <message>
        <source>KIT_HINT_NO_NAME_ENCRYPTION</source>
        <translation>Only 7z archives can encrypt file names.</translation>
    </message>
    <message>
        <source>KIT_HINT_NO_LEVEL</source>
        <translation>This format has no compression levels.</translation>
    </message>
    <message>
        <source>KIT_REFUSAL_NO_ENCRYPTION</source>
        <translation>%1 archives cannot be encrypted: choose .zip or .7z, or clear the passphrase.</translation>
    </message>
    <message>
        <source>KIT_ENCODING_MESSAGE</source>
        <translation>Choose the text encoding of the file names:</translation>
    </message>
</context>
</TS>
