<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Localizable</name>
    <message>
        <source>EXTENSION_DISPLAY_NAME</source>
        <translation>Archive with Kelvora</translation>
    </message>
    <message>
        <source>ARCHIVE_DEFAULT_FILE_NAME</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_ARCHIVING_FAILED</source>
        <translation>The archive could not be made.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_FAILURE_TO_WRITE_FILES</source>
        <translation>The archive could not be saved.</translation>
    </message>
    <message>
        <source>ALERT_MESSAGE_CONFIRM_DELETE_ORIGINAL_FILES</source>
        <translation>Delete the original files now that the archive is saved?</translation>
    </message>
    <message>
        <source>COMMON_OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>COMMON_CANCEL</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
