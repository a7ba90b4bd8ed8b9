<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Localizable</name>
    <message>
        <source>ARCHIVE_DEFAULT_FILE_NAME</source>
        <translation>Archive</translation>
    </message>
</context>
</TS>
