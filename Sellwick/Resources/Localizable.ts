<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Localizable</name>
    <message>
        <source>EXTENSION_DISPLAY_NAME</source>
        <translation>Extract with Kelvora</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_ANAYLYZING_FAILED</source>
        <translation>The archive could not be read</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_ENTER_PASSPHRASE_HINT</source>
        <translation>Enter the passphrase of the archive</translation>
    </message>
    <message>
        <source>ARCHIVE_PASSPHRASE_ITEM</source>
        <translation>Passphrase</translation>
    </message>
    <message>
        <source>COMMON_OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>COMMON_CANCEL</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_EXITS</source>
        <translation>“%@” already exists.</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP_ALL</source>
        <translation>Skip All</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE_ALL</source>
        <translation>Replace All</translation>
    </message>
</context>
</TS>
